#include "platform/recording/RecordingSpooler.h"

#include <algorithm>

#include "platform/recording/RecordingSurface.h"
#include "report/ReportError.h"

namespace zarvo {

namespace {

class RecordingJob : public PrintJob {
public:
    // handOver (may be empty) gives the id of the scripted job it becomes.
    RecordingJob(std::ostream& out, int dpi, const SheetPaper& paper, std::function<int()> handOver)
        : out_(out), surface_(out, dpi), handOver_(std::move(handOver)) {
        startSheet(paper);
    }

    Surface& surface() override { return surface_; }
    int dotsPerInch() const override { return surface_.dotsPerInch(); }
    void nextSheet(const SheetPaper& paper) override { startSheet(paper); }
    void finish() override {
        if (handOver_) ids_ = {handOver_()};
    }
    std::vector<int> jobIds() const override { return ids_; }
    int jobsToHandOver() const override { return handOver_ ? 1 : 0; }

private:
    void startSheet(const SheetPaper& paper) {
        out_ << "sheet " << sheets_++ << " paper=" << paper.code << " dpi=" << dotsPerInch();
        if (!paperForCode(paper.code) && paper.custom) out_ << " size=" << paper.custom->sizeText;
        out_ << '\n';
    }

    std::ostream& out_;
    RecordingSurface surface_;
    std::function<int()> handOver_;
    std::vector<int> ids_;
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
    std::function<int()> handOver;
    if (keeping_) handOver = [this, documentName] { return this->handOver(documentName); };
    return std::make_unique<RecordingJob>(out_, dpi_, paper, std::move(handOver));
}

int RecordingSpooler::handOver(const std::string& name) {
    std::lock_guard lock(scriptMutex_);
    const int id = queued_.empty() ? 1 : queued_.rbegin()->first + 1;
    queued_[id] = QueuedJob{id, QueuedJobState::Pending, name, {}, 0, 1};
    return id;
}

void RecordingSpooler::setReachable(bool reachable) {
    std::lock_guard lock(scriptMutex_);
    reachable_ = reachable;
}

void RecordingSpooler::setReadiness(const std::string& printerName, PrinterReadiness readiness) {
    std::lock_guard lock(scriptMutex_);
    readiness_[printerName] = readiness;
}

void RecordingSpooler::setQueuedState(int id, QueuedJobState state, const std::string& reason) {
    std::lock_guard lock(scriptMutex_);
    queued_[id].state = state;
    queued_[id].reason = reason;
}

void RecordingSpooler::addQueuedJob(const QueuedJob& job) {
    std::lock_guard lock(scriptMutex_);
    queued_[job.id] = job;
}

PrinterReadiness RecordingSpooler::readiness(const std::string& printerName) {
    std::lock_guard lock(scriptMutex_);
    const auto found = readiness_.find(printerName);
    return found == readiness_.end() ? PrinterReadiness::Ready : found->second;
}

std::optional<std::vector<QueuedJob>> RecordingSpooler::queuedJobs(const std::vector<int>& ids) {
    std::lock_guard lock(scriptMutex_);
    if (!keeping_ || !reachable_) return std::nullopt;
    std::vector<QueuedJob> found;
    for (int id : ids) {
        const auto job = queued_.find(id);
        QueuedJob missing;
        missing.id = id;
        found.push_back(job == queued_.end() ? missing : job->second);
    }
    return found;
}

std::optional<std::vector<QueuedJob>> RecordingSpooler::allQueuedJobs() {
    std::lock_guard lock(scriptMutex_);
    if (!keeping_ || !reachable_) return std::nullopt;
    std::vector<QueuedJob> all;
    for (const auto& [id, job] : queued_) all.push_back(job);
    return all;
}

bool RecordingSpooler::cancelQueuedJob(int id) {
    std::lock_guard lock(scriptMutex_);
    if (!keeping_ || !reachable_ || !queued_.count(id)) return false;
    queued_[id].state = QueuedJobState::Cancelled;
    return true;
}

}  // namespace zarvo
