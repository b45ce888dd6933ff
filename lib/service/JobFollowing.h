#pragma once
// The print service's jobs as CUPS sees them: the name their CUPS jobs
// carry, why a job waits for its printer, what its CUPS jobs add up to, and
// what became of a job that was being handed to CUPS when the service
// stopped.

#include <optional>
#include <string>
#include <vector>

#include "platform/Spooler.h"
#include "service/JobSpool.h"

namespace zarvo {

// The name of the CUPS jobs of one attempt at job: "zarvo ID.ATTEMPT FORM"
// (UTF-8), unique to the attempt, so that they are found again by name.
std::string cupsJobName(const JobRecord& job);

// Why a job for printer waits (Traditional Chinese); empty for a ready or
// missing printer.
std::string waitingMessage(PrinterReadiness readiness, const std::string& printer);

// What a job's CUPS jobs add up to once they have all ended.
struct FollowedOutcome {
    JobState state = JobState::Done;
    std::string message;  // UTF-8; empty for Done
};

// Done when every CUPS job completed; Failed, with CUPS's reason, when one
// was aborted or cancelled; Unknown when CUPS no longer has one; nullopt
// while one is still to print.
std::optional<FollowedOutcome> followedOutcome(const std::vector<QueuedJob>& cupsJobs);

// Settles a printer job found being handed over (handingOver) on start-up
// against what spooler's print service holds: Printing with its CUPS jobs
// in cupsJobs (to be followed), Queued again when it surely never reached
// CUPS, Unknown with kMaybeSentMessage otherwise. CUPS jobs left without
// data by the stopped service are withdrawn.
void settleHandOver(JobRecord& job, Spooler& spooler);

// Whether a job found on start-up is one for settleHandOver.
bool needsSettling(const JobRecord& job);

}  // namespace zarvo
