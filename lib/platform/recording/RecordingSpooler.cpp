#include "platform/recording/RecordingSpooler.h"

#include <algorithm>

#include "platform/recording/RecordingSurface.h"
#include "report/ReportError.h"

namespace zarvo {

namespace {

class RecordingJob : public PrintJob {
public:
    RecordingJob(std::ostream& out, int dpi, const SheetPaper& paper) : out_(out), surface_(out, dpi) {
        startSheet(paper);
    }

    Surface& surface() override { return surface_; }
    int dotsPerInch() const override { return surface_.dotsPerInch(); }
    void nextSheet(const SheetPaper& paper) override { startSheet(paper); }
    void finish() override {}

private:
    void startSheet(const SheetPaper& paper) {
        out_ << "sheet " << sheets_++ << " paper=" << paper.code << " dpi=" << dotsPerInch();
        if (!paperForCode(paper.code) && paper.custom) out_ << " size=" << paper.custom->sizeText;
        out_ << '\n';
    }

    std::ostream& out_;
    RecordingSurface surface_;
    int sheets_ = 0;
};

}  // namespace

RecordingSpooler::RecordingSpooler(std::ostream& out, int dpi, std::vector<PrinterInfo> printers)
    : out_(out), dpi_(dpi), printers_(std::move(printers)) {}

bool RecordingSpooler::knows(const std::string& printerName) const {
    return std::any_of(printers_.begin(), printers_.end(),
                       [&](const PrinterInfo& p) { return p.name == printerName; });
}

std::optional<int> RecordingSpooler::dotsPerInch(const std::string& printerName) {
    if (!knows(printerName)) return std::nullopt;
    return dpi_;
}

std::unique_ptr<PrintJob> RecordingSpooler::startJob(const std::string& printerName,
                                                     const std::string& documentName,
                                                     const SheetPaper& paper) {
    if (!knows(printerName)) throw ReportError("找不到印表機「" + printerName + "」, 無法列印");
    ++jobsStarted_;
    lastDocumentName_ = documentName;
    return std::make_unique<RecordingJob>(out_, dpi_, paper);
}

}  // namespace zarvo
