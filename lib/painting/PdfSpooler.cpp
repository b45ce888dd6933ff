#include "painting/PdfSpooler.h"

#include <algorithm>
#include <utility>
#include <vector>

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QSaveFile>
#include <QTransform>

#include "platform/Paper.h"
#include "painting/PdfPages.h"
#include "report/ReportError.h"
#include "report/Units.h"

namespace zarvo {

namespace {

constexpr int kPdfDpi = 300;

// The sheet of a paper with no margins, so that the printer's origin is the
// sheet's top-left corner; a code outside 0..5 without a custom paper gets
// the default, A4 portrait.
QPageLayout pageLayout(const SheetPaper& sheetPaper) {
    const Paper paper = paperFor(sheetPaper).value_or(Paper{});
    return QPageLayout(portraitPageSize(paper),
                       paper.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0));
}

// Why a file could not be written, in the interface's language.
std::string failureReason(QFileDevice::FileError error) {
    switch (error) {
    case QFileDevice::OpenError:
    case QFileDevice::PermissionsError:
        return "資料夾不存在或沒有寫入權限";
    case QFileDevice::WriteError:
    case QFileDevice::ResourceError:
        return "寫入失敗, 磁碟空間可能不足";
    case QFileDevice::RenameError:
        return "無法取代原有的檔案";
    default:
        return "檔案無法完成";
    }
}

[[noreturn]] void throwWriteError(const std::string& path, const QSaveFile& file) {
    throw ReportError("無法寫入 PDF 檔案「" + path + "」: " + failureReason(file.error()));
}

[[noreturn]] void throwTooLarge(const std::string& path) {
    throw ReportError("PDF 檔案「" + path + "」超過 2 GB, 無法寫入");
}

// One job: the sheets go into a temporary file beside the target, which
// replaces the target only when the job finishes. Destroyed unfinished, the
// temporary file is removed and the target is untouched.
class PdfJob : public PrintJob {
public:
    PdfJob(const std::string& path, const std::string& documentName, const SheetPaper& paper,
           const PdfSheetOptions& options, std::int64_t byteLimit)
        : path_(path),
          file_(QString::fromStdString(path)),
          pages_(file_, kPdfDpi, documentName, byteLimit),
          options_(options) {
        if (!file_.open(QIODevice::WriteOnly)) throwWriteError(path_, file_);
        if (!pages_.begin(pageLayout(paper))) throwWriteError(path_, file_);
        prepareSheet(paper);
    }

    Surface& surface() override { return pages_.surface(); }
    int dotsPerInch() const override { return kPdfDpi; }
    // A PDF page is drawn in vectors: a symbol's module is taken exactly.
    bool wholePixels() const override { return false; }
    void nextSheet(const SheetPaper& paper) override {
        // The sheet just ended reached the file: stop as soon as it is too large.
        pages_.newPage(pageLayout(paper));
        if (pages_.tooLarge()) throwTooLarge(path_);
        prepareSheet(paper);
    }

    void finish() override {
        if (!pages_.isActive()) return;
        const bool ended = pages_.end();
        if (pages_.tooLarge()) throwTooLarge(path_);
        if (!ended || !file_.commit()) throwWriteError(path_, file_);
    }

private:
    // Draws the underlay on the sheet just opened, then moves the surface's
    // origin to where the form starts.
    void prepareSheet(const SheetPaper& paper) {
        if (options_.underlay) {
            QPainter& painter = pages_.painter();
            painter.save();
            options_.underlay(painter, pageLayout(paper).fullRectPixels(kPdfDpi), kPdfDpi);
            painter.restore();
        }
        if (options_.formOrigin) {
            // Asked once a paper: the answer may come from a print service.
            auto origin = std::find_if(origins_.begin(), origins_.end(),
                                       [&](const auto& known) { return known.first == paper; });
            if (origin == origins_.end()) {
                origin = origins_.insert(origins_.end(),
                                         {paper, options_.formOrigin(paper) * (kPdfDpi / kMmPerInch)});
            }
            pages_.placeOrigin(QTransform::fromTranslate(origin->second.x(), origin->second.y()));
        }
    }

    std::string path_;
    QSaveFile file_;
    PdfPages pages_;
    PdfSheetOptions options_;
    std::vector<std::pair<SheetPaper, QPointF>> origins_;  // device pixels, by paper
};

}  // namespace

PdfSpooler::PdfSpooler(std::string outputPath, std::string printerName, PdfSheetOptions options,
                       std::int64_t byteLimit)
    : outputPath_(std::move(outputPath)),
      printerName_(std::move(printerName)),
      options_(std::move(options)),
      byteLimit_(byteLimit) {}

std::vector<PrinterInfo> PdfSpooler::printers() { return {PrinterInfo{printerName_, true}}; }

std::unique_ptr<PrintJob> PdfSpooler::startJob(const std::string& printerName,
                                               const std::string& documentName, const SheetPaper& paper) {
    if (printerName != printerName_) {
        throw ReportError("找不到印表機「" + printerName + "」, 無法列印");
    }
    return std::make_unique<PdfJob>(outputPath_, documentName, paper, options_, byteLimit_);
}

}  // namespace zarvo
