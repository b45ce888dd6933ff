#pragma once
// The system's printers through CUPS. Every sheet is drawn through the Qt
// surface into a portrait PDF page at the queue's resolution, with device
// (0, 0) at the printable corner of the queue's margins for that paper; a
// landscape form is turned onto its page by us, so CUPS neither rotates nor
// scales anything. A print goes out as one CUPS job for each run of
// consecutive sheets with the same paper, in sheet order, all at finish().

#include "platform/Spooler.h"

namespace zarvo {

class CupsSpooler : public Spooler {
public:
    // The destinations CUPS reports, in its order, the default marked; one
    // with an instance is named "name/instance". Empty, at once, when no
    // print service runs or it has no printers.
    std::vector<PrinterInfo> printers() override;

    // A job on printerName ("name" or "name/instance") at the queue's default
    // resolution (300 dpi when it reports none); documentName (UTF-8) names
    // the CUPS jobs. Throws ReportError naming the printer when the print
    // service does not run, CUPS does not know the printer, or the printer
    // has no such paper. A custom paper takes the queue's own media of its
    // size (within 0.5 mm each way), else a custom size ("Custom.WxHmm")
    // when the queue's PPD takes custom sizes and the paper lies in their
    // range, with the PPD's hardware margins.
    std::unique_ptr<PrintJob> startJob(const std::string& printerName,
                                       const std::string& documentName, const SheetPaper& paper) override;

    // The queue's margins for the paper, from the same media entry a job
    // uses; nullopt when the printer or the paper cannot be found.
    std::optional<SheetMargins> sheetMargins(const std::string& printerName, const SheetPaper& paper) override;

    // The size of the queue's default media, portrait; nullopt when the
    // printer or its default media cannot be found.
    std::optional<std::pair<double, double>> defaultPaperMm(const std::string& printerName) override;
    std::optional<int> dotsPerInch(const std::string& printerName) override;
    // The media the queue lists, by their PWG names; empty for a printer
    // that cannot be found.
    std::vector<std::string> mediaNames(const std::string& printerName) override;

    // From the queue's printer-is-accepting-jobs and printer-state.
    PrinterReadiness readiness(const std::string& printerName) override;
    // The jobs still to print from one Get-Jobs, those that have ended one
    // Get-Job-Attributes each (with their reasons and documents).
    std::optional<std::vector<QueuedJob>> queuedJobs(const std::vector<int>& ids) override;
    // Every job CUPS keeps, of every queue, from one Get-Jobs.
    std::optional<std::vector<QueuedJob>> allQueuedJobs() override;
    bool cancelQueuedJob(int id) override;
};

}  // namespace zarvo
