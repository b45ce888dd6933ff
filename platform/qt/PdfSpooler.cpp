#include "platform/qt/PdfSpooler.h"

#include <map>

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QSaveFile>
#include <QTransform>

#include "platform/Paper.h"
#include "platform/qt/PdfPages.h"
#include "report/ReportError.h"

namespace zarvo {

namespace {

constexpr int kPdfDpi = 300;
constexpr double kMmPerInch = 25.4;

// The sheet of a paper code with no margins, so that the printer's origin
// is the sheet's top-left corner; other codes get the default, A4 portrait.
QPageLayout pageLayout(int paperCode) {
    const Paper paper = paperForCode(paperCode).value_or(Paper{});
    return QPageLayout(QPageSize(pageSizeId(paper.size)),
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

// One job: the sheets go into a temporary file beside the target, which
// replaces the target only when the job finishes. Destroyed unfinished, the
// temporary file is removed and the target is untouched.
class PdfJob : public PrintJob {
public:
    PdfJob(const std::string& path, const std::string& documentName, int paperCode, const PdfSheetOptions& options)
        : path_(path), file_(QString::fromStdString(path)), pages_(file_, kPdfDpi, documentName), options_(options) {
        if (!file_.open(QIODevice::WriteOnly)) throwWriteError(path_, file_);
        if (!pages_.begin(pageLayout(paperCode))) throwWriteError(path_, file_);
        prepareSheet(paperCode);
    }

    Surface& surface() override { return pages_.surface(); }
    int dotsPerInch() const override { return kPdfDpi; }
    void nextSheet(int paperCode) override {
        pages_.newPage(pageLayout(paperCode));
        prepareSheet(paperCode);
    }

    void finish() override {
        if (!pages_.isActive()) return;
        const bool ended = pages_.end();
        if (!ended || !file_.commit()) throwWriteError(path_, file_);
    }

private:
    // Draws the underlay on the sheet just opened, then moves the surface's
    // origin to where the form starts.
    void prepareSheet(int paperCode) {
        if (options_.underlay) {
            QPainter& painter = pages_.painter();
            painter.save();
            options_.underlay(painter, pageLayout(paperCode).fullRectPixels(kPdfDpi), kPdfDpi);
            painter.restore();
        }
        if (options_.formOrigin) {
            // Asked once a paper: the answer may come from a print service.
            auto [origin, unknown] = origins_.try_emplace(paperCode);
            if (unknown) origin->second = options_.formOrigin(paperCode) * (kPdfDpi / kMmPerInch);
            pages_.placeOrigin(QTransform::fromTranslate(origin->second.x(), origin->second.y()));
        }
    }

    std::string path_;
    QSaveFile file_;
    PdfPages pages_;
    PdfSheetOptions options_;
    std::map<int, QPointF> origins_;  // device pixels, by paper code
};

}  // namespace

PdfSpooler::PdfSpooler(std::string outputPath, std::string printerName, PdfSheetOptions options)
    : outputPath_(std::move(outputPath)), printerName_(std::move(printerName)), options_(std::move(options)) {}

std::vector<PrinterInfo> PdfSpooler::printers() { return {PrinterInfo{printerName_, true}}; }

std::unique_ptr<PrintJob> PdfSpooler::startJob(const std::string& printerName,
                                               const std::string& documentName, int paperCode) {
    if (printerName != printerName_) {
        throw ReportError("找不到印表機「" + printerName + "」, 無法列印");
    }
    return std::make_unique<PdfJob>(outputPath_, documentName, paperCode, options_);
}

}  // namespace zarvo
