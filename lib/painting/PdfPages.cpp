#include "painting/PdfPages.h"

#include <malloc.h>

#include <QIODevice>

namespace zarvo {

namespace {

// The PDF writer compresses every page through buffers of 10 MB that it
// allocates for the page and frees after it. By default the C library
// hands blocks that large back to the system when they are freed and maps
// them afresh, page faults included, for the next page: that costs more
// than drawing the page. Kept in the heap, they are reused page after page;
// only what is written into them is ever resident.
void keepPageBuffersInTheHeap() {
#ifdef __GLIBC__
    constexpr int kLargestHeapBlock = 32 * 1024 * 1024;  // the C library's upper limit
    constexpr int kKeptFreeMemory = 64 * 1024 * 1024;
    mallopt(M_MMAP_THRESHOLD, kLargestHeapBlock);
    mallopt(M_TRIM_THRESHOLD, kKeptFreeMemory);
#endif
}

}  // namespace

QPageSize::PageSizeId pageSizeId(PaperSize size) {
    switch (size) {
    case PaperSize::A4: return QPageSize::A4;
    case PaperSize::JisB4: return QPageSize::JisB4;
    case PaperSize::A3: return QPageSize::A3;
    case PaperSize::Custom: break;
    }
    return QPageSize::A4;
}

QPageSize portraitPageSize(const Paper& paper) {
    if (paper.size != PaperSize::Custom) return QPageSize(pageSizeId(paper.size));
    return QPageSize(QSizeF(paper.customWidthMm, paper.customHeightMm), QPageSize::Millimeter,
                     QString(), QPageSize::ExactMatch);
}

PdfPages::PdfPages(QIODevice& device, int dpi, const std::string& title, std::int64_t byteLimit)
    : device_(device, byteLimit), writer_(&device_), dpi_(dpi) {
    keepPageBuffersInTheHeap();
    writer_.setResolution(dpi);
    writer_.setTitle(QString::fromStdString(title));
    writer_.setCreator("Zarvo");
}

bool PdfPages::begin(const QPageLayout& layout) {
    writer_.setPageLayout(layout);
    active_ = painter_.begin(&writer_);
    if (active_) surface_.emplace(painter_, dpi_, TextDelivery::Runs);
    return active_;
}

QPainter& PdfPages::painter() {
    flushText();
    return painter_;
}

void PdfPages::newPage(const QPageLayout& layout) {
    flushText();
    // The new layout applies to the page that newPage() opens.
    writer_.setPageLayout(layout);
    writer_.newPage();
    painter_.resetTransform();
}

void PdfPages::flushText() {
    if (surface_) surface_->flushText();
}

void PdfPages::placeOrigin(const QTransform& placement) {
    flushText();
    painter_.setWorldTransform(placement);
}

bool PdfPages::end() {
    if (!active_) return false;
    active_ = false;
    flushText();
    const bool ended = painter_.end();
    return ended && !device_.failed();
}

}  // namespace zarvo
