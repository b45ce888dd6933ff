// Zarvo's entry point: the application object, the message boxes as real
// dialogs, the system's printers, the permanent windows and the event loop.

#include <QHashSeed>

#include "designer/MainWindow.h"
#include "platform/Messages.h"
#include "printing/CupsSpooler.h"
#include "shell/QtMessagePresenter.h"
#include "shell/Startup.h"
#include "shell/ZarvoApplication.h"

int main(int argc, char** argv) {
    // Qt's PDF writer orders its fonts by hash: one seed, the same bytes every run.
    QHashSeed::setDeterministicGlobalSeed();
    zarvo::ZarvoApplication application(argc, argv);
    zarvo::QtMessagePresenter presenter;
    zarvo::setMessagePresenter(&presenter);
    zarvo::CupsSpooler printers;
    const std::optional<QString> report = zarvo::reportArgument(QApplication::arguments());
    const int status = zarvo::runApplication(zarvo::startupSteps(), printers, [&report](QWidget&) {
        zarvo::startDocument(*zarvo::zarvo2_Form, report, {});
    });
    zarvo::setMessagePresenter(nullptr);
    return status;
}
