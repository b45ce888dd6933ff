#pragma once
// A spooler for tests and traces: its printers are a given list, and a job
// writes "sheet N paper=P dpi=D" (and " size=WxH" for a custom paper) for
// every sheet and draws on a recording
// surface that writes to the same trace.

#include <ostream>

#include "platform/Spooler.h"

namespace zarvo {

class RecordingSpooler : public Spooler {
public:
    // Jobs write to out (not owned) and print at dpi.
    RecordingSpooler(std::ostream& out, int dpi, std::vector<PrinterInfo> printers);

    std::vector<PrinterInfo> printers() override { return printers_; }
    // From now on, printers in place of the list before.
    void setPrinters(std::vector<PrinterInfo> printers) { printers_ = std::move(printers); }
    // Throws ReportError for a printer that is not in the list.
    std::unique_ptr<PrintJob> startJob(const std::string& printerName,
                                       const std::string& documentName, const SheetPaper& paper) override;
    // The jobs' dpi for a printer in the list.
    std::optional<int> dotsPerInch(const std::string& printerName) override;

    // How many jobs were started and the document name of the last.
    int jobsStarted() const { return jobsStarted_; }
    const std::string& lastDocumentName() const { return lastDocumentName_; }

private:
    bool knows(const std::string& printerName) const;

    std::ostream& out_;
    int dpi_;
    std::vector<PrinterInfo> printers_;
    int jobsStarted_ = 0;
    std::string lastDocumentName_;
};

}  // namespace zarvo
