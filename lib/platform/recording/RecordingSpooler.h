#pragma once
// A spooler for tests and traces: its printers are a given list, and a job
// writes "sheet N paper=P dpi=D" (and " size=WxH" for a custom paper) for
// every sheet and draws on a recording
// surface that writes to the same trace.

#include <functional>
#include <map>
#include <mutex>
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

    // A scripted print service behind the printers, for tests. Once kept,
    // every finished job is also one Pending job of it, ids from 1 (the
    // job's jobIds()), moved on by setQueuedState; it answers while
    // reachable. readiness() says what setReadiness set (Ready before).
    void keepQueuedJobs() { keeping_ = true; }
    void setReachable(bool reachable);
    void setReadiness(const std::string& printerName, PrinterReadiness readiness);
    void setQueuedState(int id, QueuedJobState state, const std::string& reason = {});
    // Adds a job as one left by an earlier run would be.
    void addQueuedJob(const QueuedJob& job);

    PrinterReadiness readiness(const std::string& printerName) override;
    std::optional<std::vector<QueuedJob>> queuedJobs(const std::vector<int>& ids) override;
    std::optional<std::vector<QueuedJob>> allQueuedJobs() override;
    bool cancelQueuedJob(int id) override;

private:
    bool knows(const std::string& printerName) const;
    // The id of a job just handed to the scripted service, named name.
    int handOver(const std::string& name);

    mutable std::mutex scriptMutex_;
    bool keeping_ = false;
    bool reachable_ = true;
    std::map<std::string, PrinterReadiness> readiness_;
    std::map<int, QueuedJob> queued_;

    std::ostream& out_;
    int dpi_;
    std::vector<PrinterInfo> printers_;
    int jobsStarted_ = 0;
    std::string lastDocumentName_;
};

}  // namespace zarvo
