#include "platform/qt/PdfPages.h"

#include <QIODevice>

namespace zarvo {

QPageSize::PageSizeId pageSizeId(PaperSize size) {
    switch (size) {
    case PaperSize::A4: return QPageSize::A4;
    case PaperSize::JisB4: return QPageSize::JisB4;
    case PaperSize::A3: return QPageSize::A3;
    }
    return QPageSize::A4;
}

PdfPages::PdfPages(QIODevice& device, int dpi, const std::string& title)
    : writer_(&device), dpi_(dpi) {
    writer_.setResolution(dpi);
    writer_.setTitle(QString::fromStdString(title));
    writer_.setCreator("Zarvo");
}

bool PdfPages::begin(const QPageLayout& layout) {
    writer_.setPageLayout(layout);
    if (!painter_.begin(&writer_)) return false;
    surface_.emplace(painter_, dpi_);
    return true;
}

void PdfPages::newPage(const QPageLayout& layout) {
    // The new layout applies to the page that newPage() opens.
    writer_.setPageLayout(layout);
    writer_.newPage();
    painter_.resetTransform();
}

void PdfPages::placeOrigin(const QTransform& placement) { painter_.setWorldTransform(placement); }

bool PdfPages::end() { return painter_.end(); }

}  // namespace zarvo
