// Zarvo's entry point: the application object, the message boxes as real
// dialogs, the permanent windows and the event loop.

#include "platform/Messages.h"
#include "shell/QtMessagePresenter.h"
#include "shell/Startup.h"
#include "shell/ZarvoApplication.h"

int main(int argc, char** argv) {
    zarvo::ZarvoApplication application(argc, argv);
    zarvo::QtMessagePresenter presenter;
    zarvo::setMessagePresenter(&presenter);
    const int status = zarvo::runApplication(zarvo::startupSteps());
    zarvo::setMessagePresenter(nullptr);
    return status;
}
