#include "platform/qt/PdfPages.h"

#include <malloc.h>

#include <algorithm>

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

PdfPages::PdfPages(QIODevice& device, int dpi, const std::string& title, int pagesPerPart)
    : title_(QString::fromStdString(title)), dpi_(dpi), pagesPerPart_(std::max(1, pagesPerPart)), joiner_(device) {
    keepPageBuffersInTheHeap();
}

bool PdfPages::begin(const QPageLayout& layout) {
    active_ = beginPart(layout);
    return active_;
}

bool PdfPages::beginPart(const QPageLayout& layout) {
    if (!part_.isOpen() && !part_.open()) return false;
    if (!part_.seek(0) || !part_.resize(0)) return false;
    writer_.emplace(&part_);
    writer_->setResolution(dpi_);
    writer_->setTitle(title_);
    writer_->setCreator("Zarvo");
    writer_->setPageLayout(layout);
    if (!painter_.begin(&*writer_)) return false;
    partPages_ = 1;
    if (surface_) {
        surface_->beginPainting();
    } else {
        surface_.emplace(painter_, dpi_, TextDelivery::Runs);
    }
    return true;
}

bool PdfPages::endPart() {
    flushText();
    const bool ended = painter_.end() && part_.flush() && joiner_.append(part_);
    writer_.reset();
    return ended;
}

QPainter& PdfPages::painter() {
    flushText();
    return painter_;
}

void PdfPages::newPage(const QPageLayout& layout) {
    flushText();
    if (!painter_.isActive()) return;  // a part could not begin: end() fails
    if (partPages_ == pagesPerPart_) {
        // A part that cannot be joined fails the document at end(); the
        // caller draws on to the end all the same.
        if (!endPart()) failed_ = true;
        if (!beginPart(layout)) failed_ = true;
        return;
    }
    // The new layout applies to the page that newPage() opens.
    writer_->setPageLayout(layout);
    writer_->newPage();
    painter_.resetTransform();
    ++partPages_;
}

void PdfPages::flushText() {
    if (surface_ && painter_.isActive()) surface_->flushText();
}

void PdfPages::placeOrigin(const QTransform& placement) {
    flushText();
    painter_.setWorldTransform(placement);
}

bool PdfPages::end() {
    if (!active_) return false;
    active_ = false;
    const bool ended = painter_.isActive() && endPart();
    return ended && !failed_ && joiner_.finish();
}

}  // namespace zarvo
