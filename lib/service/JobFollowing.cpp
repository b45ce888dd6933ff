#include "service/JobFollowing.h"

#include <algorithm>

namespace zarvo {
namespace {

std::string withReason(std::string message, const std::string& reason) {
    return reason.empty() ? message : message + " (" + reason + ")";
}

bool stillToPrint(QueuedJobState state) {
    return state == QueuedJobState::Pending || state == QueuedJobState::Held || state == QueuedJobState::Processing ||
           state == QueuedJobState::Stopped;
}

void markMaybeSent(JobRecord& job) {
    job.state = JobState::Unknown;
    job.message = kMaybeSentMessage;
}

// Whether CUPS still remembers every job made since job was accepted: it
// forgets ended jobs oldest first, so a job of its created no later than
// that one shows that nothing since has been forgotten.
bool historyReaches(const std::vector<QueuedJob>& all, const JobRecord& job) {
    return std::any_of(all.begin(), all.end(), [&](const QueuedJob& q) { return q.created <= job.created; });
}

}  // namespace

std::string cupsJobName(const JobRecord& job) {
    return "zarvo " + job.id + "." + std::to_string(job.attempt) + " " + job.form;
}

std::string waitingMessage(PrinterReadiness readiness, const std::string& printer) {
    switch (readiness) {
    case PrinterReadiness::ServiceDown: return "等待 CUPS 列印服務";
    case PrinterReadiness::NotAccepting: return "印表機「" + printer + "」不接受新的工作, 等待中";
    case PrinterReadiness::Stopped: return "印表機「" + printer + "」已暫停";
    case PrinterReadiness::Ready:
    case PrinterReadiness::Missing: break;
    }
    return {};
}

std::optional<FollowedOutcome> followedOutcome(const std::vector<QueuedJob>& cupsJobs) {
    for (const QueuedJob& job : cupsJobs) {
        if (job.state == QueuedJobState::Aborted) {
            return FollowedOutcome{JobState::Failed, withReason("CUPS 中止了列印", job.reason)};
        }
        if (job.state == QueuedJobState::Cancelled) {
            return FollowedOutcome{JobState::Failed, withReason("列印工作在 CUPS 中被取消", job.reason)};
        }
        if (job.state == QueuedJobState::Missing) {
            return FollowedOutcome{JobState::Unknown, "CUPS 已沒有這件工作的紀錄, 請查看印表機"};
        }
    }
    const bool running = std::any_of(cupsJobs.begin(), cupsJobs.end(),
                                     [](const QueuedJob& job) { return stillToPrint(job.state); });
    if (running) return std::nullopt;
    return FollowedOutcome{};
}

bool needsSettling(const JobRecord& job) {
    if (!job.handingOver || job.pdf) return false;
    return job.state == JobState::Printing || job.state == JobState::Waiting ||
           (job.state == JobState::Unknown && job.message == kMaybeSentMessage);
}

// A job is never sent again unless it surely never reached CUPS:
// - when the ids of all its CUPS jobs were recorded (they are written as
//   soon as CUPS has taken the last one), it is in CUPS: followed;
// - otherwise its CUPS jobs are looked for by the name of this attempt.
//   A CUPS job without data was being sent when the service stopped and
//   will never print: it is withdrawn and counts as not sent. When as
//   many CUPS jobs with data are found as the hand-over was to make, the
//   job is followed; when none is found, CUPS answered, and CUPS still
//   remembers a job older than this one (so it has forgotten none made
//   since), the job never reached CUPS and is queued again;
// - anything else (CUPS not answering, only some of its CUPS jobs found,
//   a CUPS job that cannot be withdrawn, no history to rely on) leaves it
//   unknown, with kMaybeSentMessage, for a person to look at the printer.
void settleHandOver(JobRecord& job, Spooler& spooler) {
    const bool recorded = job.handOverJobs > 0 && int(job.cupsJobs.size()) == job.handOverJobs;
    if (recorded) {
        job.state = JobState::Printing;
        job.message.clear();
        return;
    }
    const std::optional<std::vector<QueuedJob>> all = spooler.allQueuedJobs();
    if (!all) return markMaybeSent(job);
    const std::string name = cupsJobName(job);
    std::vector<int> reached;
    for (const QueuedJob& found : *all) {
        if (found.name != name) continue;
        if (found.kilobytes != 0) {
            reached.push_back(found.id);
        } else if (stillToPrint(found.state) && !spooler.cancelQueuedJob(found.id)) {
            return markMaybeSent(job);
        }
    }
    if (!reached.empty() && int(reached.size()) == job.handOverJobs) {
        std::sort(reached.begin(), reached.end());
        job.cupsJobs = reached;
        job.state = JobState::Printing;
        job.message.clear();
        return;
    }
    if (!reached.empty() || !historyReaches(*all, job)) return markMaybeSent(job);
    job.state = JobState::Queued;
    job.message.clear();
    job.handingOver = false;
    job.handOverJobs = 0;
    job.cupsJobs.clear();
}

}  // namespace zarvo
