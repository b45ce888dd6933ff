#include "tests/support/PrivateCups.h"
#include "tests/support/PrivateServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cups/cups.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace zarvo::test {

namespace fs = std::filesystem;

namespace {

// Where the system keeps the filters and helpers cupsd runs.
const fs::path kSystemServerBin = "/usr/lib/cups";

struct PaperEntry {
    const char* key;    // the PPD's option keyword
    const char* label;
    double width;       // points, as the usual PPDs give them
    double height;
};
constexpr PaperEntry kPapers[] = {
    {"A4", "A4", 595, 842}, {"B4", "JIS B4", 729, 1032}, {"A3", "A3", 842, 1191}};

// The standard output of a shell command; its status in status.
std::string capture(const std::string& command, int* status = nullptr) {
    std::string out;
    FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe) return out;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
    const int raw = pclose(pipe);
    if (status) *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return out;
}

void runOrThrow(const std::string& command) {
    int status = -1;
    capture(command, &status);
    if (status != 0) throw std::runtime_error("private cupsd: failed: " + command);
}

// Starts argv[0] with the other arguments, its output going to log and
// environment ("NAME=value" each) added to ours; its process id, -1 when it
// cannot be started.
pid_t spawn(const std::vector<std::string>& argv, const fs::path& log,
            const std::vector<std::string>& environment = {}) {
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0) return pid;
    // A test that is killed or aborts takes its services with it.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(127);
    const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out >= 0) {
        dup2(out, STDOUT_FILENO);
        dup2(out, STDERR_FILENO);
    }
    for (const std::string& variable : environment) putenv(const_cast<char*>(variable.c_str()));
    execv(args[0], args.data());
    _exit(127);
}

// Ends a process started by spawn and waits for it; harmless for -1.
void terminate(pid_t& pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    pid = -1;
}

// Waits until command succeeds, or throws what after about ten seconds.
void waitFor(const std::string& command, const std::string& what) {
    for (int attempt = 0; attempt < 200; ++attempt) {
        int status = -1;
        capture(command, &status);
        if (status == 0) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    throw std::runtime_error("private cupsd: " + what);
}

std::size_t lineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

void writeFile(const fs::path& path, const std::string& text, fs::perms perms) {
    std::ofstream(path, std::ios::binary) << text;
    fs::permissions(path, perms);
}

// A PostScript printer with the three papers, kMargins on each, and
// defaultResolution (none when empty); with customSizes, it also takes any
// size from 2 x 2 to 17 x 36 inches with kCustomMargins. The resolution code
// is empty so that a later rendering of the output chooses its own.
std::string ppdText(const std::string& defaultResolution, bool customSizes = false) {
    const QueueMargins m = PrivateCups::kMargins;
    std::ostringstream ppd;
    ppd << "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*FileVersion: \"1.0\"\n"
           "*LanguageVersion: English\n*LanguageEncoding: ISOLatin1\n"
           "*PCFileName: \"ZARVOTST.PPD\"\n*Manufacturer: \"Zarvo\"\n"
           "*Product: \"(Zarvo Test Printer)\"\n*ModelName: \"Zarvo Test Printer\"\n"
           "*ShortNickName: \"Zarvo Test Printer\"\n*NickName: \"Zarvo Test Printer\"\n"
           "*PSVersion: \"(3010.000) 0\"\n*LanguageLevel: \"3\"\n*ColorDevice: False\n"
           "*DefaultColorSpace: Gray\n*FileSystem: False\n*Throughput: \"1\"\n"
           "*TTRasterizer: Type42\n";
    for (const char* option : {"PageSize", "PageRegion"}) {
        ppd << "*OpenUI *" << option << ": PickOne\n*OrderDependency: 10 AnySetup *" << option
            << "\n*Default" << option << ": A4\n";
        for (const PaperEntry& p : kPapers) {
            ppd << "*" << option << " " << p.key << "/" << p.label << ": \"<</PageSize[" << p.width
                << " " << p.height << "]/ImagingBBox null>>setpagedevice\"\n";
        }
        ppd << "*CloseUI: *" << option << "\n";
    }
    ppd << "*DefaultImageableArea: A4\n";
    for (const PaperEntry& p : kPapers) {
        ppd << "*ImageableArea " << p.key << "/" << p.label << ": \"" << m.left << " " << m.bottom
            << " " << p.width - m.right << " " << p.height - m.top << "\"\n";
    }
    ppd << "*DefaultPaperDimension: A4\n";
    for (const PaperEntry& p : kPapers) {
        ppd << "*PaperDimension " << p.key << "/" << p.label << ": \"" << p.width << " "
            << p.height << "\"\n";
    }
    if (customSizes) {
        const QueueMargins c = PrivateCups::kCustomMargins;
        ppd << "*VariablePaperSize: True\n*MaxMediaWidth: \"1224\"\n*MaxMediaHeight: \"2592\"\n"
            << "*HWMargins: " << c.left << " " << c.bottom << " " << c.right << " " << c.top << "\n"
            << "*CustomPageSize True: \"pop pop pop <</PageSize[5 -2 roll]/ImagingBBox null>>setpagedevice\"\n"
               "*ParamCustomPageSize Width: 1 points 144 1224\n"
               "*ParamCustomPageSize Height: 2 points 144 2592\n"
               "*ParamCustomPageSize WidthOffset: 3 points 0 0\n"
               "*ParamCustomPageSize HeightOffset: 4 points 0 0\n"
               "*ParamCustomPageSize Orientation: 5 int 0 0\n";
    }
    if (defaultResolution.empty()) return ppd.str();
    ppd << "*OpenUI *Resolution: PickOne\n*OrderDependency: 20 AnySetup *Resolution\n"
        << "*DefaultResolution: " << defaultResolution << "\n"
        << "*Resolution " << defaultResolution << ": \"\"\n*CloseUI: *Resolution\n";
    return ppd.str();
}

// PostScript that, run before a document, makes every page of it draw
// shifted by (ex, ey) and scaled by (kx, ky) about the printable corner of
// its paper: BeginPage runs at the start of each page, after the page's own
// setpagedevice, and sets the matrix the page then draws through. Lengths in
// points, ey down the sheet; the corner is (left, height - top) with y up.
std::string distortionProlog(double ex, double ey, double kx, double ky) {
    const QueueMargins m = PrivateCups::kMargins;
    std::ostringstream ps;
    ps << std::setprecision(12) << "<</BeginPage {pop currentpagedevice /PageSize get 1 get "
       << m.top << " sub dup " << m.left + ex << " exch " << ey << " sub translate " << kx << " "
       << ky << " scale " << m.left << " neg exch neg translate} bind>> setpagedevice\n";
    return ps.str();
}

}  // namespace

PrivateCups::PrivateCups(const std::string& serverDirectives, Transport transport) {
    std::string pattern = (fs::temp_directory_path() / "zarvo-cups-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("private cupsd: no temporary directory");
    dir_ = pattern;
    // The filters run as cupsd's unprivileged user and must reach the spool.
    fs::permissions(dir_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
    for (const char* sub :
         {"spool", "spool/tmp", "state", "cache", "log", "out", "ppd", "bin", "distortion"}) {
        fs::create_directories(dir_ / sub);
    }
    server_ = transport == Transport::LoopbackTcp
                  ? "127.0.0.1:" + std::to_string(freeLoopbackPort())
                  : socket();
    writeConfiguration(serverDirectives);
    writeBackend();

    for (const auto& [name, value] : {std::pair{"CUPS_SERVER", server_},
                                      std::pair{"CUPS_SERVERROOT", dir_.string()}}) {
        const char* old = std::getenv(name);
        savedEnvironment_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        setenv(name, value.c_str(), 1);
    }
    // libcups keeps the server and its connection per process: start over.
    cupsSetServer(server_.c_str());

    try {
        restart();
    } catch (...) {
        fs::remove_all(dir_);
        throw;
    }
}

void PrivateCups::restart() {
    if (pid_ > 0) return;
    const std::string conf = (dir_ / "cupsd.conf").string();
    const std::string files = (dir_ / "cups-files.conf").string();
    pid_ = spawn({"/usr/sbin/cupsd", "-f", "-c", conf, "-s", files}, dir_ / "log" / "cupsd.out");
    try {
        if (pid_ < 0) throw std::runtime_error("private cupsd: cannot fork");
        waitUntilAnswering();
    } catch (...) {
        stop();
        throw;
    }
}

PrivateCups::~PrivateCups() {
    stop();
    for (const auto& [name, value] : savedEnvironment_) {
        if (value) {
            setenv(name.c_str(), value->c_str(), 1);
        } else {
            unsetenv(name.c_str());
        }
    }
    cupsSetServer(nullptr);
    std::error_code error;
    fs::remove_all(dir_, error);
}

std::string PrivateCups::socket() const { return (dir_ / "cups.sock").string(); }

void PrivateCups::writeConfiguration(const std::string& serverDirectives) const {
    const std::string d = dir_.string();
    const auto rw = fs::perms::owner_read | fs::perms::owner_write;
    // The socket always. A TCP client has no peer credentials to show, so
    // on the TCP port every operation, the administrative ones too, is open
    // to anyone without logging in; the port is on the loopback interface.
    const std::string tcp = server_ == socket()
                                ? ""
                                : "Listen " + server_ + "\n<Policy default>\n<Limit All>\n"
                                  "Order deny,allow\n</Limit>\n</Policy>\n";
    writeFile(dir_ / "cupsd.conf",
              "Listen " + socket() + "\n" + tcp + "LogLevel warn\nBrowsing No\nWebInterface No\n"
              "MaxJobs 0\n" + serverDirectives + "\n"
              "<Location />\nOrder allow,deny\nAllow all\n</Location>\n",
              rw);
    // No User or Group: as root, cupsd refuses "User root" and picks its own.
    writeFile(dir_ / "cups-files.conf",
              "FileDevice Yes\nSandboxing Relaxed\nServerRoot " + d + "\nServerBin " + d +
                  "/bin\nRequestRoot " + d + "/spool\nTempDir " + d + "/spool/tmp\nStateDir " +
                  d + "/state\nCacheDir " + d + "/cache\nErrorLog " + d +
                  "/log/error_log\nAccessLog " + d + "/log/access_log\nPageLog " + d +
                  "/log/page_log\n",
              rw);
}

void PrivateCups::writeBackend() const {
    // The system's filters and helpers, and a backend directory of our own.
    for (const char* sub : {"filter", "daemon", "cgi-bin", "notifier", "monitor", "driver"}) {
        if (fs::exists(kSystemServerBin / sub)) {
            fs::create_directory_symlink(kSystemServerBin / sub, dir_ / "bin" / sub);
        }
    }
    fs::create_directories(dir_ / "bin" / "backend");
    // The system's IPP backend, for the driverless queues.
    fs::create_symlink(kSystemServerBin / "backend" / "ipp", dir_ / "bin" / "backend" / "ipp");
    // zarvofile:/DIR writes each job to DIR/<job id>.prn, renamed into place
    // when complete. A queue with a prolog in the distortion directory has
    // its job drawn anew through it first. Owner-only, so cupsd runs it as
    // root and it can write DIR.
    writeFile(dir_ / "bin" / "backend" / "zarvofile",
              "#!/bin/sh\n"
              "if [ $# -eq 0 ]; then echo 'direct zarvofile \"Unknown\" \"Zarvo test files\"'; "
              "exit 0; fi\n"
              "out=\"${DEVICE_URI#zarvofile:}/$(printf %08d \"$1\")\"\n"
              "if [ -n \"$6\" ]; then cat \"$6\"; else cat; fi > \"$out.part\" || exit 1\n"
              "prolog='" + (dir_ / "distortion").string() + "'/\"$PRINTER.ps\"\n"
              "if [ -f \"$prolog\" ]; then\n"
              "  gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=ps2write -sOutputFile=\"$out.ps\" "
              "\"$prolog\" \"$out.part\" && mv \"$out.ps\" \"$out.part\" || exit 1\n"
              "fi\n"
              "printf '%s\\n' \"$5\" > \"$out.options\"\n"
              "printf '%s\\n' \"$3\" > \"$out.title\"\n"
              "mv \"$out.part\" \"$out.prn\"\n",
              fs::perms::owner_all);
}

void PrivateCups::waitUntilAnswering() const {
    for (int attempt = 0; attempt < 200; ++attempt) {
        int status = -1;
        const std::string answer = capture("lpstat -r", &status);
        if (status == 0 && answer.find("not") == std::string::npos) return;
        int exited = 0;
        if (waitpid(pid_, &exited, WNOHANG) == pid_) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    throw std::runtime_error("private cupsd: does not answer (see " + (dir_ / "log").string() + ")");
}

void PrivateCups::addQueue(const std::string& name, const std::string& defaultResolution) {
    addQueueWithPpd(name, ppdText(defaultResolution));
}

void PrivateCups::addCustomSizeQueue(const std::string& name) { addQueueWithPpd(name, ppdText("600dpi", true)); }

void PrivateCups::addEpson24Queue(const std::string& name, const std::string& resolution) {
    runOrThrow("lpadmin -p '" + name + "' -E -v 'zarvofile:" + (dir_ / "out").string() +
               "' -m drv:///sample.drv/epson24.ppd -o 'Resolution=" + resolution + "'");
}

int PrivateCups::loggedPages(const fs::path& job) const {
    // The service logs a job's pages, as its filters report them, once it ends.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (activeJobCount() > 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    // "printer user job-id [time] total pages ..."
    const std::string id = std::to_string(std::stoi(job.stem().string()));
    std::ifstream log(dir_ / "log" / "page_log");
    for (std::string line; std::getline(log, line);) {
        std::istringstream fields(line);
        std::string printer, user, jobId;
        fields >> printer >> user >> jobId;
        const std::size_t total = line.find("] total ");
        if (jobId == id && total != std::string::npos) return std::atoi(line.c_str() + total + 8);
    }
    return -1;
}

void PrivateCups::addQueueWithPpd(const std::string& name, const std::string& ppdContent) {
    const fs::path ppd = dir_ / "ppd" / (name + ".ppd");
    writeFile(ppd, ppdContent, fs::perms::owner_read | fs::perms::owner_write |
                                                   fs::perms::group_read | fs::perms::others_read);
    runOrThrow("lpadmin -p '" + name + "' -E -v 'zarvofile:" + (dir_ / "out").string() + "' -P '" +
               ppd.string() + "'");
}

void PrivateCups::addDistortingQueue(const std::string& name, double exMm, double eyMm,
                                     double kx, double ky, const std::string& defaultResolution) {
    const double pointsPerMm = 72 / 25.4;
    writeFile(dir_ / "distortion" / (name + ".ps"),
              distortionProlog(exMm * pointsPerMm, eyMm * pointsPerMm, kx, ky),
              fs::perms::owner_read | fs::perms::owner_write);
    addQueue(name, defaultResolution);
}

void PrivateCups::setDefault(const std::string& name) { runOrThrow("lpadmin -d '" + name + "'"); }

void PrivateCups::addInstance(const std::string& printer, const std::string& instance,
                              const std::vector<std::string>& options) {
    // The service's own lpoptions, which libcups reads under CUPS_SERVERROOT;
    // the lpoptions command would write the user's file in HOME instead.
    std::ofstream file(dir_ / "lpoptions", std::ios::app);
    file << "Dest " << printer << "/" << instance;
    for (const std::string& option : options) file << " " << option;
    file << "\n";
    if (!file.flush()) throw std::runtime_error("private cupsd: cannot write lpoptions");
}

void PrivateCups::holdPrinting(const std::string& name) { runOrThrow("cupsdisable '" + name + "'"); }

void PrivateCups::removeQueue(const std::string& name) { runOrThrow("lpadmin -x '" + name + "'"); }

std::vector<std::string> PrivateCups::printedTitles() const {
    std::vector<std::string> titles;
    for (const auto& entry : fs::directory_iterator(dir_ / "out")) {
        if (entry.path().extension() != ".prn") continue;
        fs::path title = entry.path();
        std::string line;
        std::getline(std::ifstream(title.replace_extension(".title")), line);
        titles.push_back(line);
    }
    std::sort(titles.begin(), titles.end());
    return titles;
}

void PrivateCups::addEverywhereQueue(const std::string& name) {
    const fs::path home = dir_ / "ipp" / name;
    fs::create_directories(home / "jobs");
    // The printer announces itself over DNS-SD and will not start without a
    // message bus to reach it by; a private bus keeps it off the system's.
    const fs::path bus = home / "bus";
    helpers_.push_back(spawn({"/usr/bin/dbus-daemon", "--session", "--nofork", "--nopidfile",
                              "--address=unix:path=" + bus.string()},
                             home / "dbus.out"));
    waitFor("test -S '" + bus.string() + "'", "the message bus of " + name + " does not start");
    const std::string port = std::to_string(freeLoopbackPort());
    const std::string uri = "ipp://127.0.0.1:" + port + "/ipp/print";
    helpers_.push_back(spawn({"/usr/sbin/ippeveprinter", "-r", "off", "-n", "localhost", "-p", port,
                              "-k", "-d", (home / "jobs").string(), "-f", "application/pdf", name},
                             home / "printer.out",
                             {"DBUS_SYSTEM_BUS_ADDRESS=unix:path=" + bus.string()}));
    waitFor("ipptool -q -T 2 '" + uri + "' get-printer-attributes.test",
            "the IPP printer " + name + " does not answer (see " + home.string() + ")");
    runOrThrow("lpadmin -p '" + name + "' -E -v '" + uri + "' -m everywhere");
    // cupsd makes the queue's description from the printer's answers after
    // lpadmin returns; until then the queue has none of its papers.
    waitFor("lpoptions -p '" + name + "' -l | grep -q '^PageSize.* A4'",
            "the queue " + name + " has no papers");
}

std::vector<fs::path> PrivateCups::waitForIppDocuments(const std::string& name, std::size_t count,
                                                       std::chrono::seconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(dir_ / "ipp" / name / "jobs")) {
            files.push_back(entry.path());
        }
        // A document is whole once cupsd's job has ended: the IPP backend
        // waits for the printer to finish it.
        if (files.size() >= count && activeJobCount() == 0) {
            // "<job id>-<name>.pdf"
            std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
                return std::stoi(a.filename().string()) < std::stoi(b.filename().string());
            });
            return files;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            throw std::runtime_error("private cupsd: " + std::to_string(files.size()) + " of " +
                                     std::to_string(count) + " documents reached " + name);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

void PrivateCups::stop() {
    terminate(pid_);
    // Each printer before the message bus it was started after.
    for (auto helper = helpers_.rbegin(); helper != helpers_.rend(); ++helper) terminate(*helper);
    helpers_.clear();
}

std::vector<fs::path> PrivateCups::waitForJobs(std::size_t count, std::chrono::seconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(dir_ / "out")) {
            if (entry.path().extension() == ".prn") files.push_back(entry.path());
        }
        if (files.size() >= count) {
            // Zero-padded job ids: name order is job order.
            std::sort(files.begin(), files.end());
            files.resize(count);
            return files;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            throw std::runtime_error("private cupsd: " + std::to_string(files.size()) + " of " +
                                     std::to_string(count) + " jobs done (see " +
                                     (dir_ / "log").string() + ")");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

int PrivateCups::sheetCount(const std::filesystem::path& job) {
    std::ifstream in(job);
    int count = 0;
    for (std::string line; std::getline(in, line);) count += line.starts_with("%%Page:");
    return count;
}

std::string PrivateCups::jobOptions(const std::filesystem::path& job) {
    fs::path file = job;
    std::string options;
    std::getline(std::ifstream(file.replace_extension(".options")), options);
    return options;
}

std::size_t PrivateCups::jobCount(const std::string& queue) const {
    if (pid_ <= 0) return 0;
    return lineCount(capture("lpstat -W all -o" + (queue.empty() ? "" : " '" + queue + "'")));
}

std::size_t PrivateCups::activeJobCount() const {
    if (pid_ <= 0) return 0;
    return lineCount(capture("lpstat -W not-completed -o"));
}

}  // namespace zarvo::test

