#include "shell/Startup.h"

#include <exception>

#include <QApplication>
#include <QStatusBar>
#include <QTimer>
#include <QWidget>

#include "designer/BlockForm.h"
#include "designer/DialogRowEditors.h"
#include "designer/LineForm.h"
#include "document/QuitWatch.h"
#include "designer/MainWindow.h"
#include "guidewindow/GuideForm.h"
#include "preview/PreviewForm.h"
#include "preview/PrinterForm.h"
#include "preview/SelectPrinterForm.h"
#include "recovery/RecoveryStore.h"
#include "shell/VersionWindow.h"
#include "shell/ZarvoApplication.h"

namespace zarvo {

namespace {

DialogRowEditors rowEditors;

// The main window first, then the print range dialog, the printer selection
// dialog and the start-up preview window, which is never shown. The preview
// step destroys whichever preview window is current by then; its destructor
// clears PreviewForm and deletes its page data files. The main window's row
// editor dialogs, made on their first use, go with the main window, the
// line editor before the block editor.
constexpr StartupStep zarvoSteps[] = {
    {"zarvo2_Form",
     [](Spooler& printers) -> QWidget* {
         zarvo2_Form = new MainWindow(printers);
         zarvo2_Form->setHelpCommand(showVersionWindow);
         zarvo2_Form->setRowEditors(&rowEditors);
         return zarvo2_Form;
     },
     [] {
         destroyLineForm();
         destroyBlockForm();
         delete zarvo2_Form;
         zarvo2_Form = nullptr;
     }},
    {"PrinterForm", [](Spooler&) -> QWidget* { return PrinterForm = new TPrinterForm(); },
     [] {
         delete PrinterForm;
         PrinterForm = nullptr;
     }},
    {"SelectPrinterForm",
     [](Spooler& printers) -> QWidget* { return SelectPrinterForm = new TSelectPrinterForm(printers); },
     [] {
         delete SelectPrinterForm;
         SelectPrinterForm = nullptr;
     }},
    {"PreviewForm", [](Spooler& printers) -> QWidget* { return new TPreviewForm(printers); },
     [] { delete PreviewForm; }},
};

}  // namespace

std::span<const StartupStep> startupSteps() { return zarvoSteps; }

StartupWindows::StartupWindows(std::span<const StartupStep> steps, Spooler& printers) {
    try {
        for (const StartupStep& step : steps) {
            QWidget* window = step.create(printers);
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

int runApplication(std::span<const StartupStep> steps, Spooler& printers,
                   const std::function<void(QWidget& main)>& started) {
    try {
        StartupWindows windows(steps, printers);
        QWidget& main = *windows.mainWindow();
        main.show();
        // Start-up's own questions run inside the event loop, so that a quit
        // asked for while one is open ends the loop as at any other time.
        if (started) QTimer::singleShot(0, &main, [&started, &main] { started(main); });
        QApplication::exec();
        closeGuide();
    } catch (const std::exception& error) {
        showException(error, "啟動");
    }
    return 0;
}

void startDocument(MainWindow& form, const std::optional<QString>& file,
                   const std::filesystem::path& recoveryDirectory) {
    bool restored = false;
    const QuitWatch quit;
    // Without its copies the program still works: it says why in the status bar.
    try {
        form.keepRecoveryCopies(recoveryDirectory.empty() ? RecoveryStore::defaultDirectory() : recoveryDirectory);
        restored = form.offerRecoveryCopies();
    } catch (const std::exception& error) {
        form.ST_head->showMessage(QString::fromUtf8(error.what()));
    }
    // A quit asked for during the questions ends the program: no file is opened.
    if (!file || quit.asked()) return;
    if (restored) {
        form.ST_head->showMessage(QStringLiteral("已恢復未存檔的報表, 沒有開啟 ") + *file);
        return;
    }
    try {
        form.openFile(*file);
    } catch (const std::exception& error) {
        showException(error, "開啟舊檔");
    }
}

}  // namespace zarvo
