// zarvo-service: prints forms for other programs on this machine. They ask
// over HTTP on the loopback addresses, with the token in the user's
// settings, naming a form of the forms folders and giving its records; the
// records are checked as zarvo-render checks a data file, the job kept in
// the spool and printed through CUPS, or into a PDF they fetch back.

#include <QApplication>
#include <QGuiApplication>
#include <QSystemTrayIcon>
#include <QHashSeed>

#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>

#include <iostream>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "picture/PictureDecoder.h"
#include "painting/PdfSpooler.h"
#include "platform/os/ConfigFile.h"
#include "printing/CupsSpooler.h"
#include "report/ReportError.h"
#include "service/FolderWatcher.h"
#include "service/FormCatalog.h"
#include "service/HttpServer.h"
#include "service/JobQueue.h"
#include "service/JobSpool.h"
#include "service/OriginAccess.h"
#include "service/ServiceApi.h"
#include "service/ServiceDesktop.h"
#include "service/ServiceFiles.h"
#include "service/ServiceLog.h"
#include "servicetray/OriginQuestionBox.h"
#include "servicetray/ServiceTray.h"

namespace zarvo {
namespace {

const char* const kServiceUsage =
    "用法: zarvo-service [--port N] [--new-token]\n"
    "      zarvo-service --help | --version\n"
    "  --port N      在 127.0.0.1 與 ::1 的通訊埠 N 等候連線 (預設: service.conf 的 port=, 否則 8631)\n"
    "  --new-token   產生新的權杖, 取代 $XDG_CONFIG_HOME/zarvo/service.token\n"
    "表單: $XDG_DATA_HOME/zarvo/forms 的報表 (*.txt), 或 service.conf 的 [Forms] folder=, folder2=, ...\n"
    "監看資料夾: service.conf 的 [Watch 名稱] folder=, printer=; 放入的 表單.csv 或 表單.json 會印出\n"
    "工作: $XDG_STATE_HOME/zarvo/jobs\n";

const char* const kServiceVersion = "zarvo-service 2.1";

struct ServiceOptions {
    std::optional<int> port;
    bool newToken = false;
    bool help = false;
    bool version = false;
};

std::optional<ServiceOptions> parseOptions(const std::vector<std::string>& args, std::string& error) {
    ServiceOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--new-token") {
            options.newToken = true;
        } else if (arg == "--port") {
            if (i + 1 == args.size() || !(options.port = parsePort(args[i + 1]))) {
                error = "--port 需要 1 到 65535 的通訊埠號碼";
                return std::nullopt;
            }
            ++i;
        } else {
            error = "不認得的參數: " + arg;
            return std::nullopt;
        }
    }
    return options;
}

// Qt's own notices would mix with the service's messages; only its errors
// are passed on.
void qtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << message.toStdString() << '\n';
}

// The Qt application the service runs under. On a desktop (a display
// with a system tray) a QApplication on it, desktop set; otherwise an
// offscreen QGuiApplication: the sheets are drawn through Qt (fonts and PDF
// pages), no screen needed.
std::unique_ptr<QGuiApplication> startQt(bool& desktop) {
    static int argc = 1;
    static char name[] = "zarvo-service";
    static char* argv[] = {name, nullptr};
    desktop = false;
    const std::optional<std::string> platform = desktopPlatform(currentDisplayEnvironment());
    if (platform) {
        // A display that cannot be reached leaves the service headless.
        const QByteArray chosen = qgetenv("QT_QPA_PLATFORM");
        qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(*platform + ";offscreen"));
        auto application = std::make_unique<QApplication>(argc, argv);
        if (QGuiApplication::platformName() != QLatin1String("offscreen") &&
            QSystemTrayIcon::isSystemTrayAvailable()) {
            // The programs it opens (the file manager) get the person's own setting.
            if (chosen.isEmpty()) qunsetenv("QT_QPA_PLATFORM");
            else qputenv("QT_QPA_PLATFORM", chosen);
            desktop = true;
            return application;
        }
    }
    if (platform || qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

// Serves until SIGINT or SIGTERM.
void serveHeadless(HttpServer& server, const sigset_t& stopping) {
    std::thread signalWaiter([&server, stopping] {
        int signal = 0;
        sigwait(&stopping, &signal);
        server.stop();
    });
    // Only the signal ends the server, so the thread has ended with it.
    server.run();
    signalWaiter.join();
}

// The tray and the questions to the person, while the service runs on a
// desktop. Made before the jobs start, so that the tray hears of them all.
class DesktopService {
public:
    DesktopService(JobQueue& jobs, OriginAccess& origins, std::chrono::seconds answerWait,
                   ServiceTraySettings settings)
        : origins_(origins), question_(answerWait), tray_(jobs, origins, std::move(settings)) {
        QApplication::setQuitOnLastWindowClosed(false);
        origins_.setQuestion(&question_);
        QObject::connect(&tray_, &TServiceTray::quitRequested, qApp, &QCoreApplication::quit);
        jobs.addListener(tray_.listener());
    }
    ~DesktopService() { origins_.setQuestion(nullptr); }

    // Serves on a thread of its own while the tray and the questions run on
    // this one, until SIGINT, SIGTERM or 結束服務.
    void serve(HttpServer& server, const sigset_t& stopping) {
        tray_.reload();
        tray_.show();
        std::thread signalWaiter([stopping] {
            int signal = 0;
            sigwait(&stopping, &signal);
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        });
        std::thread serving([&server] { server.run(); });
        QApplication::exec();
        // Ended from the menu, the signal waiter still waits: SIGTERM ends it.
        pthread_kill(signalWaiter.native_handle(), SIGTERM);
        signalWaiter.join();
        server.stop();
        // Pages still waiting for an answer are told no, so that their requests end.
        question_.withdraw();
        serving.join();
    }

private:
    OriginAccess& origins_;
    TOriginQuestion question_;
    TServiceTray tray_;
};

int serve(const ServiceOptions& options) {
    const ServiceConfig config = readServiceConfig();
    const int port = options.port.value_or(config.port.value_or(kDefaultServicePort));
    const std::string token = loadServiceToken(userConfigFile("service.token"), options.newToken);
    const FormCatalog forms(config.formFolders.empty() ? std::vector<std::string>{defaultFormsFolder()}
                                                       : config.formFolders);
    JobSpool spool(defaultSpoolFolder());

    // SIGINT and SIGTERM end the service: blocked in every thread, taken
    // by one that stops the server.
    sigset_t stopping;
    sigemptyset(&stopping);
    sigaddset(&stopping, SIGINT);
    sigaddset(&stopping, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopping, nullptr);

    qInstallMessageHandler(qtMessages);
    bool desktop = false;
    const std::unique_ptr<QGuiApplication> qt = startQt(desktop);

    ServiceLog log(ServiceLog::defaultPath());
    CupsSpooler printers;
    JobQueue jobs(
        printers, [](const std::string& pdfPath) { return std::make_unique<PdfSpooler>(pdfPath); }, forms, spool,
        JobQueue::Settings{});
    const OriginAccess::Settings access{config.origins, userConfigFile("paired-origins")};
    OriginAccess origins(access);
    ServiceApi api(token, port, printers, forms, jobs, origins);
    EventSocketRules events;
    events.admit = [&api](const ApiRequest& upgrade) { return api.admitEvents(upgrade); };
    events.tokenFits = [&api](const ApiRequest& upgrade, std::string_view given) {
        return api.eventsTokenFits(upgrade, given);
    };
    std::unique_ptr<HttpServer> server;
    try {
        server = std::make_unique<HttpServer>(
            port,
            [&api, &log](const ApiRequest& request) {
                ApiResponse response = api.handle(request);
                log.request(request, response.status);
                return response;
            },
            ServerLimits{}, events);
    } catch (const ListenError& error) {
        std::cerr << error.what() << '\n';
        return 1;
    }
    jobs.addListener([&server, &log](const JobRecord& job) {
        log.job(job);
        server->broadcast(ServiceApi::jobEvent(job));
    });
    std::cerr << "zarvo-service 在 http://127.0.0.1:" << port << "/ 等候連線" << std::endl;
    log.note("started on port " + std::to_string(port));
    std::unique_ptr<DesktopService> onDesktop;
    if (desktop) {
        onDesktop = std::make_unique<DesktopService>(jobs, origins, access.answerWait,
                                                     ServiceTraySettings{port, forms.folders().front(), config.origins});
    }
    jobs.start();
    // The watcher's lines come from its own thread; the log takes one at a time.
    FolderWatcher watcher(jobs, config.watchedFolders, ServerLimits{}.bodyBytes, [&log](const std::string& line) {
        log.note(line);
        static std::mutex errMutex;
        const std::lock_guard lock(errMutex);
        std::cerr << line << std::endl;
    });
    watcher.start();
    if (onDesktop) onDesktop->serve(*server, stopping);
    else serveHeadless(*server, stopping);
    watcher.stop();
    jobs.stop();
    log.note("stopped");
    return 0;
}

}  // namespace
}  // namespace zarvo

int main(int argc, char** argv) {
    // Qt's PDF writer orders its fonts by hash: one seed, the same bytes every run.
    QHashSeed::setDeterministicGlobalSeed();
    // Once, before any thread reads a picture.
    zarvo::limitPictureAllocation();
    // The spool, the PDF files and the token are the user's alone.
    ::umask(077);
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    const std::optional<zarvo::ServiceOptions> options = zarvo::parseOptions(args, error);
    if (!options) {
        std::cerr << error << '\n' << zarvo::kServiceUsage;
        return 2;
    }
    if (options->help) {
        std::cout << zarvo::kServiceUsage;
        return 0;
    }
    if (options->version) {
        std::cout << zarvo::kServiceVersion << '\n';
        return 0;
    }
    try {
        return zarvo::serve(*options);
    } catch (const std::exception& failure) {
        std::cerr << failure.what() << '\n';
        return 1;
    }
}
