// The designer started as the program starts, with real message boxes, that
// is asked to quit (QCoreApplication::quit()) while the first message box
// of start-up is open: "asked" on standard output, then the quit.
//
// Usage: QuitAtQuestion

#include <cstdio>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "designer/MainWindow.h"
#include "platform/Messages.h"
#include "platform/NoPrinters.h"
#include "shell/QtMessagePresenter.h"
#include "shell/Startup.h"
#include "shell/ZarvoApplication.h"

int main(int argc, char** argv) {
    zarvo::ZarvoApplication application(argc, argv);
    zarvo::NoPrinters printers;
    zarvo::QtMessagePresenter presenter;
    zarvo::setMessagePresenter(&presenter);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&poll] {
        if (!qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) return;
        poll.stop();
        std::printf("asked\n");
        std::fflush(stdout);
        QCoreApplication::quit();
    });
    poll.start(20);
    const int status = zarvo::runApplication(zarvo::startupSteps(), printers, [](QWidget&) {
        zarvo::startDocument(*zarvo::zarvo2_Form, std::nullopt, {});
    });
    zarvo::setMessagePresenter(nullptr);
    return status;
}
