#include "shell/Startup.h"

#include <exception>

#include <QApplication>
#include <QWidget>

#include "designer/zarvo2.h"
#include "preview/PreviewForm.h"
#include "preview/PrinterForm.h"
#include "preview/Selectprinter.h"
#include "shell/Vinfoc.h"
#include "shell/ZarvoApplication.h"

namespace zarvo {

namespace {

// The main window first, then the print range dialog, the printer selection
// dialog and the start-up preview window, which is never shown. The preview
// step destroys whichever preview window is current by then; its destructor
// clears PreviewForm and deletes its page data files.
constexpr StartupStep zarvoSteps[] = {
    {"zarvo2_Form",
     []() -> QWidget* {
         zarvo2_Form = new Tzarvo2_Form();
         zarvo2_Form->setHelpCommand(showVersionWindow);
         return zarvo2_Form;
     },
     [] {
         delete zarvo2_Form;
         zarvo2_Form = nullptr;
     }},
    {"PrinterForm", []() -> QWidget* { return PrinterForm = new TPrinterForm(); },
     [] {
         delete PrinterForm;
         PrinterForm = nullptr;
     }},
    {"SelectPrinterForm", []() -> QWidget* { return SelectPrinterForm = new TSelectPrinterForm(); },
     [] {
         delete SelectPrinterForm;
         SelectPrinterForm = nullptr;
     }},
    {"PreviewForm", []() -> QWidget* { return new TPreviewForm(); }, [] { delete PreviewForm; }},
};

}  // namespace

std::span<const StartupStep> startupSteps() { return zarvoSteps; }

StartupWindows::StartupWindows(std::span<const StartupStep> steps) {
    try {
        for (const StartupStep& step : steps) {
            QWidget* window = step.create();
            created_.push_back(&step);
            order_.emplace_back(step.name);
            if (!mainWindow_) mainWindow_ = window;
        }
    } catch (...) {
        destroyAll();
        throw;
    }
}

StartupWindows::~StartupWindows() { destroyAll(); }

void StartupWindows::destroyAll() {
    for (auto step = created_.rbegin(); step != created_.rend(); ++step) (*step)->destroy();
    created_.clear();
}

int runApplication(std::span<const StartupStep> steps) {
    try {
        StartupWindows windows(steps);
        windows.mainWindow()->show();
        QApplication::exec();
    } catch (const std::exception& error) {
        showException(error);
    }
    return 0;
}

}  // namespace zarvo
