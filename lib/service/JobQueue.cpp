#include "service/JobQueue.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <regex>

#include "compose/DataFileStem.h"
#include "compose/DataPages.h"
#include "compose/PageComposer.h"
#include "compose/StreamedPages.h"
#include "engine/RenderContext.h"
#include "report/ConversionError.h"
#include "report/ReportError.h"
#include "service/DatabaseJobData.h"
#include "service/JobFollowing.h"
#include "service/ServiceFiles.h"

namespace zarvo {
namespace {

constexpr int kMaxCopies = 99;

// A print job that says when it is about to be handed over and what it
// became once it has been.
class HandOverJob : public PrintJob {
public:
    HandOverJob(std::unique_ptr<PrintJob> inner, std::function<void(int jobs)> before,
                std::function<void(const std::vector<int>&)> after)
        : inner_(std::move(inner)), before_(std::move(before)), after_(std::move(after)) {}

    Surface& surface() override { return inner_->surface(); }
    int dotsPerInch() const override { return inner_->dotsPerInch(); }
    bool wholePixels() const override { return inner_->wholePixels(); }
    void nextSheet(const SheetPaper& paper) override { inner_->nextSheet(paper); }
    void finish() override {
        before_(inner_->jobsToHandOver());
        inner_->finish();
        after_(inner_->jobIds());
    }
    std::vector<std::string> sheetWarnings() const override { return inner_->sheetWarnings(); }
    std::vector<int> jobIds() const override { return inner_->jobIds(); }
    int jobsToHandOver() const override { return inner_->jobsToHandOver(); }

private:
    std::unique_ptr<PrintJob> inner_;
    std::function<void(int jobs)> before_;
    std::function<void(const std::vector<int>&)> after_;
};

// The spooler a job is printed on, its jobs wrapped in HandOverJob and
// named name (when not empty) in place of the report's path.
class HandOverSpooler : public Spooler {
public:
    HandOverSpooler(Spooler& inner, std::string name, std::function<void(int jobs)> before,
                    std::function<void(const std::vector<int>&)> after)
        : inner_(inner), name_(std::move(name)), before_(std::move(before)), after_(std::move(after)) {}

    std::vector<PrinterInfo> printers() override { return inner_.printers(); }
    std::unique_ptr<PrintJob> startJob(const std::string& printerName, const std::string& documentName,
                                       const SheetPaper& paper) override {
        return std::make_unique<HandOverJob>(
            inner_.startJob(printerName, name_.empty() ? documentName : name_, paper), before_, after_);
    }
    std::optional<SheetMargins> sheetMargins(const std::string& printerName, const SheetPaper& paper) override {
        return inner_.sheetMargins(printerName, paper);
    }
    std::optional<int> dotsPerInch(const std::string& printerName) override {
        return inner_.dotsPerInch(printerName);
    }
    std::optional<std::pair<double, double>> defaultPaperMm(const std::string& printerName) override {
        return inner_.defaultPaperMm(printerName);
    }

private:
    Spooler& inner_;
    std::string name_;
    std::function<void(int jobs)> before_;
    std::function<void(const std::vector<int>&)> after_;
};

JobRefusal refusal(int status, std::string code, std::string message) {
    return JobRefusal{status, std::move(code), std::move(message), std::nullopt, std::nullopt};
}

// Whether a job for printer waits until it can be given to it.
bool waitsFor(PrinterReadiness readiness) {
    return readiness != PrinterReadiness::Ready && readiness != PrinterReadiness::Missing;
}

std::string missingPrinter(const std::string& printer) { return "找不到印表機「" + printer + "」"; }

}  // namespace

void findRecordAndField(const std::string& message, JobRefusal& refusal) {
    static const std::regex record("第 ([0-9]{1,18}) 筆");
    static const std::regex field("欄位「([^」]*)」");
    std::smatch match;
    if (std::regex_search(message, match, record)) refusal.record = std::stoll(match[1].str());
    if (std::regex_search(message, match, field)) refusal.field = match[1].str();
}

JobQueue::JobQueue(Spooler& printers, PdfSpoolers pdfSpoolers, const FormCatalog& forms, JobSpool& spool,
                   Settings settings)
    : printers_(printers), pdfSpoolers_(std::move(pdfSpoolers)), forms_(forms), spool_(spool),
      settings_(std::move(settings)) {}

JobQueue::~JobQueue() { stop(); }

std::int64_t JobQueue::now() const {
    return settings_.clock ? settings_.clock() : std::int64_t(std::time(nullptr));
}

void JobQueue::start() {
    std::vector<JobRecord> jobs = spool_.load(now());
    for (JobRecord& job : jobs) {
        {
            // Accepted before the start: queued already.
            std::lock_guard lock(mutex_);
            if (jobs_.count(job.id)) continue;
        }
        const bool settling = needsSettling(job);
        if (settling) settleHandOver(job, printers_);
        if (settling || recoverJob(job)) {
            try {
                spool_.save(job);
            } catch (const ReportError&) {
                // Kept in memory as found; the next save tries again.
            }
        }
        std::lock_guard lock(mutex_);
        nextSequence_ = std::max(nextSequence_, job.sequence + 1);
        if (job.state == JobState::Queued) queued_.push_back(job.id);
        if (job.state == JobState::Printing) followed_.insert(job.id);
        jobs_[job.id] = std::move(job);
    }
    std::lock_guard lock(mutex_);
    stopping_ = false;
    for (int i = 0; i < std::max(1, settings_.workers); ++i) workers_.emplace_back([this] { work(); });
    follower_ = std::thread([this] { follow(); });
}

void JobQueue::stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& worker : workers_) worker.join();
    workers_.clear();
    if (follower_.joinable()) follower_.join();
}

std::variant<JobRecord, JobRefusal> JobQueue::submit(const JobRequest& request) {
    if (FormCatalog::pathLike(request.form)) {
        return refusal(400, "bad_form_name", "表單名稱「" + request.form + "」不可含路徑, 只能是表單的名稱");
    }
    const std::optional<std::string> report = forms_.reportPath(request.form);
    if (!report) return refusal(404, "form_not_found", "找不到表單「" + request.form + "」");
    if (request.copies < 1 || request.copies > kMaxCopies) {
        return refusal(400, "bad_copies", "份數必須是 1 到 " + std::to_string(kMaxCopies) + " 之間的整數");
    }
    if (request.params) {
        // The rows are fetched now and spooled like any data file.
        JobRequest fetched = request;
        fetched.params.reset();
        try {
            const JobData data = databaseJobData(*report, *request.params);
            fetched.data = data.bytes;
            fetched.dataExtension = data.extension;
        } catch (const std::exception& error) {
            return refusal(422, "database_error", error.what());
        }
        return submit(fetched);
    }
    if (request.dataExtension != "csv" && request.dataExtension != "json") {
        return refusal(400, "bad_format", "資料格式必須是 csv 或 json");
    }
    JobRecord job;
    job.form = request.form;
    job.copies = request.copies;
    job.pdf = request.pdf;
    job.dataExtension = request.dataExtension;
    if (!request.pdf) {
        const std::vector<PrinterInfo> printers = printers_.printers();
        for (const PrinterInfo& printer : printers) {
            if (request.printer.empty() ? printer.isDefault : printer.name == request.printer) job.printer = printer.name;
        }
        // While CUPS is away a named printer cannot be looked up: its job
        // is taken and waits for CUPS, where the printer's fate is known.
        if (job.printer.empty() && printers.empty() && !request.printer.empty() &&
            printers_.readiness(request.printer) == PrinterReadiness::ServiceDown) {
            job.printer = request.printer;
        }
        if (job.printer.empty()) {
            return request.printer.empty()
                       ? refusal(409, "no_default_printer", "沒有預設印表機, 請指定印表機")
                       : refusal(404, "printer_not_found", "找不到印表機「" + request.printer + "」");
        }
    }
    {
        std::lock_guard lock(mutex_);
        if (queued_.size() >= settings_.maxQueued) {
            return refusal(429, "queue_full",
                           "等待列印的工作已達 " + std::to_string(settings_.maxQueued) + " 件, 請稍後再送");
        }
    }
    job.id = randomHex(8);
    job.created = now();
    const std::string dataPath = spool_.dataPath(job);
    try {
        spool_.writeFile(dataPath, request.data);
    } catch (const ReportError& error) {
        return refusal(507, "spool_write_failed", error.what());
    }
    // The whole data file is checked, every value its block's format or
    // symbol must take included, before the job is accepted.
    try {
        const DataPages pages(*report, dataPath);
        if (pages.recordCount() == 0) {
            spool_.remove(job);
            return refusal(422, "no_records", "沒有任何一筆資料");
        }
    } catch (const std::exception& error) {
        spool_.remove(job);
        JobRefusal bad = refusal(422, "bad_data", error.what());
        findRecordAndField(bad.message, bad);
        return bad;
    }
    std::unique_lock lock(mutex_);
    job.sequence = nextSequence_++;
    lock.unlock();
    try {
        spool_.save(job);
    } catch (const ReportError& error) {
        spool_.remove(job);
        return refusal(507, "spool_write_failed", error.what());
    }
    lock.lock();
    jobs_[job.id] = job;
    queued_.push_back(job.id);
    lock.unlock();
    changed_.notify_all();
    tell(job);
    return job;
}

std::optional<JobRecord> JobQueue::find(const std::string& id) const {
    std::lock_guard lock(mutex_);
    const auto found = jobs_.find(id);
    if (found == jobs_.end()) return std::nullopt;
    return found->second;
}

std::optional<JobRecord> JobQueue::cancel(const std::string& id) {
    std::unique_lock lock(mutex_);
    auto found = jobs_.find(id);
    if (found == jobs_.end()) return std::nullopt;
    JobRecord& job = found->second;
    if (std::find(queued_.begin(), queued_.end(), id) != queued_.end()) {
        std::erase(queued_, id);
        job.state = JobState::Cancelled;
        job.message = "已取消";
        const JobRecord cancelled = job;
        lock.unlock();
        changed_.notify_all();
        try {
            spool_.save(cancelled);
        } catch (const ReportError&) {
            // Cancelled in memory; a restart would find it queued again.
        }
        tell(cancelled);
        return cancelled;
    }
    const auto running = running_.find(id);
    if (running == running_.end() || job.handingOver) return job;
    // Being drawn: it stops at its next sheet, or before it is handed over.
    running->second->cancel = true;
    changed_.wait_for(lock, std::chrono::seconds(30), [&] { return !running_.count(id); });
    return jobs_.at(id);
}

bool JobQueue::waitIdle(int timeoutMs) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return queued_.empty() && running_.empty() && followed_.empty(); });
}

void JobQueue::update(const JobRecord& job) {
    {
        std::lock_guard lock(mutex_);
        jobs_[job.id] = job;
    }
    tell(job);
    spool_.save(job);
}

void JobQueue::tell(const JobRecord& job) const {
    for (const Listener& listener : listeners_) listener(job);
}

void JobQueue::addListener(Listener listener) { listeners_.push_back(std::move(listener)); }

void JobQueue::setPaused(bool paused) {
    {
        std::lock_guard lock(mutex_);
        paused_ = paused;
    }
    changed_.notify_all();
}

bool JobQueue::paused() const {
    std::lock_guard lock(mutex_);
    return paused_;
}

std::vector<JobRecord> JobQueue::recent(std::size_t limit) const {
    std::vector<JobRecord> jobs;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [id, job] : jobs_) jobs.push_back(job);
    }
    std::sort(jobs.begin(), jobs.end(), [](const JobRecord& a, const JobRecord& b) { return a.sequence > b.sequence; });
    if (jobs.size() > limit) jobs.resize(limit);
    return jobs;
}

void JobQueue::work() {
    for (;;) {
        std::unique_lock lock(mutex_);
        std::optional<std::string> id;
        for (;;) {
            if (stopping_) return;
            if (!paused_ && (id = nextToPrint())) break;
            const std::optional<Clock::time_point> retry = paused_ ? std::nullopt : nextRetry();
            if (retry) {
                changed_.wait_until(lock, *retry);
            } else {
                changed_.wait(lock);
            }
        }
        std::erase(queued_, *id);
        running_[*id] = std::make_shared<Running>();
        JobRecord job = jobs_.at(*id);
        lock.unlock();
        print(std::move(job));
        lock.lock();
        running_.erase(*id);
        lock.unlock();
        changed_.notify_all();
        prune();
    }
}

std::optional<std::string> JobQueue::nextToPrint() {
    const Clock::time_point now = Clock::now();
    std::erase_if(blockedUntil_, [&](const auto& blocked) { return blocked.second <= now; });
    const bool cupsAway = blockedUntil_.count("") > 0;
    for (const std::string& id : queued_) {
        const JobRecord& job = jobs_.at(id);
        // Skipping every job of a waiting printer keeps that printer's order.
        if (job.pdf || (!cupsAway && !blockedUntil_.count(job.printer))) return id;
    }
    return std::nullopt;
}

std::optional<JobQueue::Clock::time_point> JobQueue::nextRetry() const {
    if (queued_.empty() || blockedUntil_.empty()) return std::nullopt;
    Clock::time_point first = blockedUntil_.begin()->second;
    for (const auto& [printer, until] : blockedUntil_) first = std::min(first, until);
    return first;
}

void JobQueue::holdBack(const JobRecord& job, PrinterReadiness readiness) {
    const std::string printer = readiness == PrinterReadiness::ServiceDown ? "" : job.printer;
    {
        std::lock_guard lock(mutex_);
        blockedUntil_[printer] = Clock::now() + settings_.retry;
        // Back in the place of its sequence, ahead of the jobs accepted after it.
        const auto place = std::find_if(queued_.begin(), queued_.end(), [&](const std::string& other) {
            return jobs_.at(other).sequence > job.sequence;
        });
        queued_.insert(place, job.id);
    }
    restate(printer, std::nullopt, JobState::Waiting, waitingMessage(readiness, job.printer));
}

void JobQueue::restate(const std::string& printer, std::optional<JobState> from, JobState to,
                       const std::string& message) {
    std::vector<JobRecord> changed;
    {
        std::lock_guard lock(mutex_);
        for (const std::string& id : queued_) {
            JobRecord& job = jobs_.at(id);
            if (job.pdf || (from && job.state != *from) || (!printer.empty() && job.printer != printer)) continue;
            if (job.state == to && job.message == message) continue;
            job.state = to;
            job.message = message;
            changed.push_back(job);
        }
    }
    for (const JobRecord& job : changed) {
        tell(job);
        try {
            spool_.save(job);
        } catch (const ReportError&) {
            // Known in memory; on disk it stays queued, which a restart reads the same way.
        }
    }
}

void JobQueue::print(JobRecord job) {
    std::shared_ptr<Running> running;
    {
        std::lock_guard lock(mutex_);
        running = running_.at(job.id);
    }
    const PrinterReadiness readiness = job.pdf ? PrinterReadiness::Ready : printers_.readiness(job.printer);
    if (waitsFor(readiness) && !running->cancel) return holdBack(job, readiness);
    // The printer takes jobs again: those waiting for it go back to the queue.
    if (readiness == PrinterReadiness::Ready) restate(job.printer, JobState::Waiting, JobState::Queued, "");
    try {
        if (readiness == PrinterReadiness::Missing) throw ReportError(missingPrinter(job.printer));
        draw(job, *running);
    } catch (const PrintCancelled&) {
        job.state = JobState::Cancelled;
        job.message = "已取消";
    } catch (const std::exception& error) {
        // CUPS or the printer went away before anything was handed over:
        // the job waits for them rather than failing.
        const PrinterReadiness now =
            job.pdf || job.handingOver ? PrinterReadiness::Ready : printers_.readiness(job.printer);
        if (running->cancel && !job.handingOver) {
            job.state = JobState::Cancelled;
            job.message = "已取消";
        } else if (waitsFor(now)) {
            return holdBack(job, now);
        } else {
            job.state = JobState::Failed;
            job.message = now == PrinterReadiness::Missing ? missingPrinter(job.printer) : error.what();
        }
    }
    try {
        update(job);
    } catch (const ReportError&) {
        // Known in memory; on disk it stays as last written.
    }
    if (job.state == JobState::Printing) {
        {
            std::lock_guard lock(mutex_);
            followed_.insert(job.id);
        }
        changed_.notify_all();
    }
}

void JobQueue::draw(JobRecord& job, Running& running) {
    job.state = JobState::Printing;
    job.message.clear();
    if (!job.pdf) ++job.attempt;
    update(job);
    const std::optional<std::string> report = forms_.reportPath(job.form);
    if (!report) throw ReportError("找不到表單「" + job.form + "」");
    std::unique_ptr<Spooler> pdf;
    std::string printer = job.printer;
    if (job.pdf) {
        if (!pdfSpoolers_) throw ReportError("這個服務不能製作 PDF");
        pdf = pdfSpoolers_(spool_.pdfPath(job.id));
        printer = pdf->printers().front().name;
    }
    // The hand-over is on disk before the print service sees a byte, with
    // how many jobs it makes for all the copies (each copy makes the same
    // runs), and its jobs as soon as it has them.
    HandOverSpooler spooler(
        pdf ? *pdf : printers_, pdf ? std::string() : cupsJobName(job),
        [&](int jobs) {
            std::lock_guard lock(mutex_);
            if (running.cancel) throw PrintCancelled();
            job.handingOver = true;
            job.handOverJobs = jobs * job.copies;
            jobs_[job.id] = job;
            spool_.save(job);
        },
        [&](const std::vector<int>& ids) {
            job.cupsJobs.insert(job.cupsJobs.end(), ids.begin(), ids.end());
            update(job);
        });
    PageSequence written(reserveDataFileStem(std::time(nullptr)));
    const WrittenPages removal(written, false);
    DataPages data(*report, spool_.dataPath(job));
    StreamedPages pages(data, written.stem(), 0, data.recordCount(), false);
    const PageSource source = pages.source();
    RenderContext paper = paperContext(spooler, printer);
    paper.pictureFolder = source.pictureFolder;
    CompositionProblems problems;
    std::vector<std::string> warnings;
    for (int copy = 0; copy < job.copies; ++copy) {
        const PrintReceipt receipt = printSheets(paper, source.count, source.file, problems,
                                                 [&](std::int64_t, std::int64_t) { return !running.cancel; });
        job.sheets += receipt.sheets;
        warnings.insert(warnings.end(), receipt.sheetWarnings.begin(), receipt.sheetWarnings.end());
    }
    // Handed to CUPS: printing until CUPS has printed it.
    job.state = job.cupsJobs.empty() ? JobState::Done : JobState::Printing;
    for (const std::string& problem : problems) job.message += (job.message.empty() ? "" : "\n") + problem;
    if (!warnings.empty()) job.message += (job.message.empty() ? "" : "\n") + sheetWarningSummary(warnings);
}

void JobQueue::follow() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return stopping_ || !followed_.empty(); });
        if (changed_.wait_for(lock, settings_.followEvery, [&] { return stopping_; })) return;
        lock.unlock();
        followOnce();
        lock.lock();
    }
}

void JobQueue::followOnce() {
    std::vector<JobRecord> jobs;
    std::vector<int> ids;
    {
        std::lock_guard lock(mutex_);
        for (const std::string& id : followed_) {
            jobs.push_back(jobs_.at(id));
            ids.insert(ids.end(), jobs.back().cupsJobs.begin(), jobs.back().cupsJobs.end());
        }
    }
    // CUPS away: the jobs stay printing, asked about again next time.
    const std::optional<std::vector<QueuedJob>> states = printers_.queuedJobs(ids);
    if (!states || states->size() != ids.size()) return;
    auto next = states->begin();
    for (JobRecord& job : jobs) {
        const std::vector<QueuedJob> own(next, next + std::ptrdiff_t(job.cupsJobs.size()));
        next += std::ptrdiff_t(job.cupsJobs.size());
        const std::optional<FollowedOutcome> outcome = followedOutcome(own);
        if (!outcome) continue;
        job.state = outcome->state;
        if (!outcome->message.empty()) {
            job.message = outcome->message + (job.message.empty() ? "" : "\n" + job.message);
        }
        try {
            update(job);
        } catch (const ReportError&) {
            // Known in memory; on disk it stays printing, which a restart asks CUPS about again.
        }
        {
            std::lock_guard lock(mutex_);
            followed_.erase(job.id);
        }
        changed_.notify_all();
    }
}

void JobQueue::prune() {
    std::vector<JobRecord> old;
    {
        std::lock_guard lock(mutex_);
        const std::int64_t limit = now() - kJobKeepSeconds;
        for (auto it = jobs_.begin(); it != jobs_.end();) {
            if (jobEnded(it->second.state) && it->second.created < limit) {
                old.push_back(it->second);
                it = jobs_.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (const JobRecord& job : old) spool_.remove(job);
}

}  // namespace zarvo
