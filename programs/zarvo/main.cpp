// Zarvo's entry point: the command line, then the application object, the
// message boxes as real dialogs, the system's printers, the permanent
// windows and the event loop.

#include <filesystem>
#include <iostream>
#include <optional>
#include <vector>

#include <QFile>
#include <QHashSeed>

#include "picture/PictureDecoder.h"
#include "designer/MainWindow.h"
#include "guide/GuideLocation.h"
#include "guide/GuidePages.h"
#include "platform/Messages.h"
#include "printing/CupsSpooler.h"
#include "shell/QtMessagePresenter.h"
#include "shell/Startup.h"
#include "shell/ZarvoApplication.h"
#include "zarvo/DesignerOptions.h"

int main(int argc, char** argv) {
    std::string error;
    const std::optional<zarvo::DesignerOptions> options =
        zarvo::parseDesignerOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::cerr << error << '\n' << zarvo::kDesignerUsage;
        return 2;
    }
    if (options->help || options->version) {
        std::cout << (options->help ? zarvo::kDesignerUsage : zarvo::kDesignerVersion) << (options->help ? "" : "\n");
        return 0;
    }
    if (options->guide) {
        const std::vector<std::filesystem::path> folders = zarvo::guideFoldersOfThisProgram();
        if (const std::optional<std::filesystem::path> guide = zarvo::findGuide(folders)) {
            std::cout << (*guide / zarvo::kGuideContents).string() << '\n';
            return 0;
        }
        std::cerr << "zarvo: " << zarvo::guideMissingMessage(folders) << '\n';
        return 1;
    }
    // Qt's PDF writer orders its fonts by hash: one seed, the same bytes every run.
    QHashSeed::setDeterministicGlobalSeed();
    // Once, before any thread reads a picture.
    zarvo::limitPictureAllocation();
    zarvo::ZarvoApplication application(argc, argv);
    zarvo::QtMessagePresenter presenter;
    zarvo::setMessagePresenter(&presenter);
    zarvo::CupsSpooler printers;
    std::optional<QString> report;
    if (options->report) report = QFile::decodeName(options->report->c_str());
    const int status = zarvo::runApplication(zarvo::startupSteps(), printers, [&report](QWidget&) {
        zarvo::startDocument(*zarvo::zarvo2_Form, report, {});
    });
    zarvo::setMessagePresenter(nullptr);
    return status;
}
