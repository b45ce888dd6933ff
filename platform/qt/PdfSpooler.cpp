#include "platform/qt/PdfSpooler.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <optional>

#include "platform/Paper.h"
#include "platform/qt/QtSurface.h"
#include "report/ReportError.h"

namespace zarvo {

namespace {

constexpr int kPdfDpi = 300;

QPageSize::PageSizeId pageSizeId(PaperSize size) {
    switch (size) {
    case PaperSize::A4: return QPageSize::A4;
    case PaperSize::JisB4: return QPageSize::JisB4;
    case PaperSize::A3: return QPageSize::A3;
    }
    return QPageSize::A4;
}

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
    PdfJob(const std::string& path, const std::string& documentName, int paperCode)
        : path_(path), file_(QString::fromStdString(path)), writer_(&file_) {
        if (!file_.open(QIODevice::WriteOnly)) throwWriteError(path_, file_);
        writer_.setResolution(kPdfDpi);
        writer_.setTitle(QString::fromStdString(documentName));
        writer_.setCreator("Zarvo");
        writer_.setPageLayout(pageLayout(paperCode));
        if (!painter_.begin(&writer_)) throwWriteError(path_, file_);
        surface_.emplace(painter_, kPdfDpi);
    }

    Surface& surface() override { return *surface_; }
    int dotsPerInch() const override { return kPdfDpi; }

    void nextSheet(int paperCode) override {
        // The new layout applies to the page that newPage() opens.
        writer_.setPageLayout(pageLayout(paperCode));
        writer_.newPage();
    }

    void finish() override {
        if (!painter_.isActive()) return;
        const bool ended = painter_.end();
        if (!ended || !file_.commit()) throwWriteError(path_, file_);
    }

private:
    std::string path_;
    QSaveFile file_;
    QPdfWriter writer_;
    QPainter painter_;
    std::optional<QtSurface> surface_;
};

}  // namespace

PdfSpooler::PdfSpooler(std::string outputPath, std::string printerName)
    : outputPath_(std::move(outputPath)), printerName_(std::move(printerName)) {}

std::vector<PrinterInfo> PdfSpooler::printers() { return {PrinterInfo{printerName_, true}}; }

std::unique_ptr<PrintJob> PdfSpooler::startJob(const std::string& printerName,
                                               const std::string& documentName, int paperCode) {
    if (printerName != printerName_) {
        throw ReportError("找不到印表機「" + printerName + "」, 無法列印");
    }
    return std::make_unique<PdfJob>(outputPath_, documentName, paperCode);
}

}  // namespace zarvo
