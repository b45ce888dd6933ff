#pragma once
// PDF pages drawn through the Qt surface: a PDF writer, its painter and the
// surface over it, writing to a device the caller opened. Each page has its
// own layout and may place the surface's origin anywhere on the page.
// The whole document is one writer's: it keeps a table entry for every page
// and object it has written, about 35 bytes a sheet, so memory grows slowly
// with the pages. A document that would pass its byte limit is refused.

#include <cstdint>
#include <optional>
#include <string>

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTransform>

#include "platform/Paper.h"
#include "painting/ByteLimitDevice.h"
#include "painting/PdfSizeLimit.h"
#include "painting/QtSurface.h"

namespace zarvo {

// The page size of a paper, as Qt names it.
QPageSize::PageSizeId pageSizeId(PaperSize size);
// The portrait page size of a paper: Qt's own for the six codes' sizes, the
// exact millimetres for a custom paper.
QPageSize portraitPageSize(const Paper& paper);

class PdfPages {
public:
    // Writes to device (not owned, open for writing, at its start) at dpi
    // dots per inch, at most byteLimit bytes; title (UTF-8) names the document.
    PdfPages(QIODevice& device, int dpi, const std::string& title, std::int64_t byteLimit = kPdfByteLimit);

    // Opens the first page laid out as layout; false when painting cannot start.
    bool begin(const QPageLayout& layout);
    // Ends the current page and opens the next, laid out as layout.
    void newPage(const QPageLayout& layout);
    // Maps the surface's device coordinates onto the current page (device
    // pixels of the page's top-left corner); identity when never called.
    void placeOrigin(const QTransform& placement);
    // The current page's surface; valid while pages are open. Its text
    // reaches the page in glyph runs.
    QtSurface& surface() { return *surface_; }
    // The painter of the current page, for drawing beside the surface, with
    // what the surface has drawn so far on the page.
    QPainter& painter();
    // Ends the last page and the document; false when it could not be
    // written whole.
    bool end();
    // True between begin() and end().
    bool isActive() const { return active_; }
    // True once the document would have passed its byte limit: nothing more
    // reaches the device, and end() fails.
    bool tooLarge() const { return device_.passedLimit(); }

private:
    // Puts the surface's gathered text on the page (none before begin()).
    void flushText();

    ByteLimitDevice device_;
    QPdfWriter writer_;
    int dpi_;
    bool active_ = false;
    QPainter painter_;
    std::optional<QtSurface> surface_;
};

}  // namespace zarvo
