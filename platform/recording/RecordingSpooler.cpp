#include "platform/recording/RecordingSpooler.h"

#include <algorithm>

#include "platform/recording/RecordingSurface.h"
#include "report/ReportError.h"

namespace zarvo {

namespace {

class RecordingJob : public PrintJob {
public:
    RecordingJob(std::ostream& out, int dpi, int paperCode) : out_(out), surface_(out, dpi) {
        startSheet(paperCode);
    }

    Surface& surface() override { return surface_; }
    int dotsPerInch() const override { return surface_.dotsPerInch(); }
    void nextSheet(int paperCode) override { startSheet(paperCode); }
    void finish() override {}

private:
    void startSheet(int paperCode) {
        out_ << "sheet " << sheets_++ << " paper=" << paperCode << " dpi=" << dotsPerInch() << '\n';
    }

    std::ostream& out_;
    RecordingSurface surface_;
    int sheets_ = 0;
};

}  // namespace

RecordingSpooler::RecordingSpooler(std::ostream& out, int dpi, std::vector<PrinterInfo> printers)
    : out_(out), dpi_(dpi), printers_(std::move(printers)) {}

std::unique_ptr<PrintJob> RecordingSpooler::startJob(const std::string& printerName,
                                                     const std::string& documentName,
                                                     int paperCode) {
    bool known = std::any_of(printers_.begin(), printers_.end(),
                             [&](const PrinterInfo& p) { return p.name == printerName; });
    if (!known) throw ReportError("找不到印表機「" + printerName + "」, 無法列印");
    ++jobsStarted_;
    lastDocumentName_ = documentName;
    return std::make_unique<RecordingJob>(out_, dpi_, paperCode);
}

}  // namespace zarvo
