#pragma once
// PDF pages drawn through the Qt surface: a PDF writer, its painter and the
// surface over it, writing to a device the caller opened. Each page has its
// own layout and may place the surface's origin anywhere on the page.
// The writer keeps a table entry for every page and object it has written,
// so a long document is written in parts of a few thousand pages, each by a
// writer of its own into a temporary file, and the parts are joined on the
// device: memory stays the same however many pages there are.

#include <optional>
#include <string>

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryFile>
#include <QTransform>

#include "platform/Paper.h"
#include "platform/qt/PdfJoiner.h"
#include "platform/qt/QtSurface.h"

class QIODevice;

namespace zarvo {

// The page size of a paper, as Qt names it.
QPageSize::PageSizeId pageSizeId(PaperSize size);
// The portrait page size of a paper: Qt's own for the six codes' sizes, the
// exact millimetres for a custom paper.
QPageSize portraitPageSize(const Paper& paper);

class PdfPages {
public:
    // The pages of one part.
    static constexpr int kPagesPerPart = 5000;

    // Writes to device (not owned, open for writing, at its start) at dpi
    // dots per inch; title (UTF-8) names the document.
    PdfPages(QIODevice& device, int dpi, const std::string& title, int pagesPerPart = kPagesPerPart);

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
    // written, nor any part of it.
    bool end();
    // True between begin() and end().
    bool isActive() const { return active_; }

private:
    // Puts the surface's gathered text on the page (none before begin()).
    void flushText();
    // A new writer into the emptied part file, its first page laid out as layout.
    bool beginPart(const QPageLayout& layout);
    // Ends the part's last page and joins the part onto the device.
    bool endPart();

    QString title_;
    int dpi_;
    int pagesPerPart_;
    int partPages_ = 0;
    bool active_ = false;
    bool failed_ = false;
    QTemporaryFile part_;
    std::optional<QPdfWriter> writer_;
    QPainter painter_;
    std::optional<QtSurface> surface_;  // one surface over the painter, for all parts
    PdfJoiner joiner_;
};

}  // namespace zarvo
