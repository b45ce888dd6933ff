#pragma once
// What the engine sees of the preview window: its mode, printer, page
// sequence and image. The preview window implements it; the command-line
// renderer implements it without a window.

#include <string>

#include "platform/Spooler.h"
#include "platform/Surface.h"

namespace zarvo {

class PreviewState {
public:
    virtual ~PreviewState() = default;

    // PreviewMode: 1 while drawing into the preview image, 0 while printing.
    virtual int previewMode() const = 0;

    // PrinterName: the printer that printing uses (UTF-8; may be empty).
    virtual std::string printerName() const = 0;

    // LastPage: index of the last page whose data file was started, -1 when none.
    virtual int lastPage() const = 0;
    virtual void setLastPage(int page) = 0;

    // DataFileStem: "/QEL/Tmp/" and the window's creation time in seconds.
    virtual std::string dataFileStem() const = 0;

    // Appends an item (a page number) to the page list c1.
    virtual void addPageItem(const std::string& item) = 0;

    // Sizes Image1 to width x height pixels and returns the surface that
    // draws on it (owned by the preview, valid until the next call).
    virtual Surface& sizeImage(int width, int height) = 0;

    // Has Image1 invalidated and repainted.
    virtual void repaintImage() = 0;

    // The spooler whose printers PrinterName names.
    virtual Spooler& spooler() = 0;
};

// The application's single current preview window; nullptr when none.
PreviewState* currentPreview();
// Makes preview the current one (nullptr clears it); not owned.
void setCurrentPreview(PreviewState* preview);

}  // namespace zarvo
