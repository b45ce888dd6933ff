#pragma once
// A private print service for tests: cupsd in the foreground with its own
// configuration, spool and state in a temporary directory, listening on a
// unix socket there and, when asked, on a loopback TCP port too. Its queues
// use a PPD of our own (A4, JIS B4, A3 with margins that are not zero) and a
// backend that keeps one PostScript file per job, and its title (a
// distorting queue keeps it shifted and stretched as an ill-adjusted
// printer would print it); a
// queue may also take custom sizes, or drive a 24-pin dot-matrix printer
// through CUPS's own driver (its output the printer's stream); a
// driverless queue has an IPP printer of its own. While it lives,
// CUPS_SERVER and libcups in this process point the CUPS commands and the
// spooler at it (its socket or its TCP port), and CUPS_SERVERROOT points
// them at its own files (lpoptions), so nothing outside its directory is
// read or written.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zarvo::test {

// The margins of every paper of the private queues, in points (1/72 inch).
struct QueueMargins {
    double left = 0;
    double bottom = 0;
    double right = 0;
    double top = 0;
};

class PrivateCups {
public:
    // The margins the queues' PPD gives for every paper.
    static constexpr QueueMargins kMargins{17, 34, 11, 23};
    // The hardware margins of the custom sizes of addCustomSizeQueue.
    static constexpr QueueMargins kCustomMargins{14, 20, 10, 8};

    // How the clients reach the service.
    enum class Transport {
        UnixSocket,   // through its unix socket
        LoopbackTcp,  // through a free TCP port on 127.0.0.1, as a networked server
    };

    // Starts cupsd, with serverDirectives (lines) added to its cupsd.conf and
    // clients reaching it through transport, and waits until it answers;
    // throws std::runtime_error when it does not.
    explicit PrivateCups(const std::string& serverDirectives = "",
                         Transport transport = Transport::UnixSocket);
    // Starts cupsd with nothing added, clients reaching it through transport.
    explicit PrivateCups(Transport transport) : PrivateCups("", transport) {}
    // Stops cupsd, restores CUPS_SERVER and removes the directory.
    ~PrivateCups();
    PrivateCups(const PrivateCups&) = delete;
    PrivateCups& operator=(const PrivateCups&) = delete;

    // Adds an enabled queue whose PPD says defaultResolution (e.g. "600dpi",
    // "" for none); throws on failure.
    void addQueue(const std::string& name, const std::string& defaultResolution = "600dpi");
    // Adds a queue like addQueue (600 dpi) whose PPD also takes custom sizes
    // from 2 x 2 to 17 x 36 inches, with kCustomMargins; throws on failure.
    void addCustomSizeQueue(const std::string& name);
    // Adds a queue with CUPS's own Epson 24-pin driver at resolution (e.g.
    // "180dpi"), its output the printer's own stream; throws on failure.
    void addEpson24Queue(const std::string& name, const std::string& resolution);
    // The pages the service logged for a job (its output file) from what its
    // filters reported, once no job is left to print; -1 when none.
    int loggedPages(const std::filesystem::path& job) const;
    // Adds a queue like addQueue whose device is off: a point printed at
    // (x, y) mm from the top-left corner of a portrait sheet is kept at
    // (L + exMm + (x - L) * kx, T + eyMm + (y - T) * ky), where (L, T) is the
    // printable corner of kMargins in mm; throws on failure.
    void addDistortingQueue(const std::string& name, double exMm, double eyMm, double kx,
                            double ky, const std::string& defaultResolution = "600dpi");
    // Makes the named queue the service's default; throws on failure.
    void setDefault(const std::string& name);
    // Adds an enabled driverless queue (IPP everywhere, no PPD of ours) on an
    // IPP printer of its own, ippeveprinter on a loopback port, that keeps the
    // documents it receives; throws on failure.
    void addEverywhereQueue(const std::string& name);
    // The documents the IPP printer of queue name received, in job order,
    // once there are count and no job is left to print; throws when they do
    // not come within timeout.
    std::vector<std::filesystem::path> waitForIppDocuments(
        const std::string& name, std::size_t count,
        std::chrono::seconds timeout = std::chrono::seconds(60)) const;
    // Defines printer/instance with options ("name=value" each) in the
    // service's own lpoptions file, for the processes started after; throws
    // on failure.
    void addInstance(const std::string& printer, const std::string& instance,
                     const std::vector<std::string>& options);
    // Stops printing on the named queue; it still accepts jobs and keeps them. Throws on failure.
    void holdPrinting(const std::string& name);
    // Removes the named queue and its jobs; throws on failure.
    void removeQueue(const std::string& name);
    // The titles (job names) of the jobs whose output is complete, sorted.
    std::vector<std::string> printedTitles() const;
    // Stops cupsd and the IPP printers (by their process ids) and waits for
    // them to end; harmless when stopped.
    void stop();
    // Starts cupsd again after stop(), its queues and jobs as they were,
    // and waits until it answers; throws std::runtime_error when it does not.
    void restart();

    // The PostScript output files of the first count jobs, in job order, once
    // every one of them has completed; throws when they do not within timeout.
    std::vector<std::filesystem::path> waitForJobs(std::size_t count,
                                                   std::chrono::seconds timeout = std::chrono::seconds(60)) const;
    // The sheets of a job's PostScript output file (its "%%Page:" comments).
    static int sheetCount(const std::filesystem::path& job);
    // The job options a job's backend received ("name=value ..."), once it has completed.
    static std::string jobOptions(const std::filesystem::path& job);
    // How many jobs the service knows on queue (all queues when empty), in any
    // state (0 when it is stopped).
    std::size_t jobCount(const std::string& queue = "") const;
    // How many jobs are still to print: pending, held or printing.
    std::size_t activeJobCount() const;
    // The unix socket it listens on.
    std::string socket() const;
    // Where its clients reach it, the value of CUPS_SERVER: socket(), or
    // "127.0.0.1:PORT" through a TCP port.
    const std::string& server() const { return server_; }
    // The directory that holds everything, output files under "out".
    const std::filesystem::path& dir() const { return dir_; }

private:
    void writeConfiguration(const std::string& serverDirectives) const;
    void writeBackend() const;
    void addQueueWithPpd(const std::string& name, const std::string& ppdContent);
    void waitUntilAnswering() const;

    std::filesystem::path dir_;
    std::string server_;
    pid_t pid_ = -1;
    std::vector<pid_t> helpers_;  // the IPP printers and their message buses
    // CUPS_SERVER and CUPS_SERVERROOT as they were before, to restore.
    std::vector<std::pair<std::string, std::optional<std::string>>> savedEnvironment_;
};

}  // namespace zarvo::test
