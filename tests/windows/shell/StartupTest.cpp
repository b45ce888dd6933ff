#include "shell/Startup.h"

#include <gtest/gtest.h>

#include <QTimer>
#include <QWidget>

#include "document/Big5TextFile.h"
#include "designer/MainWindow.h"
#include "platform/NoPrinters.h"
#include "preview/PreviewForm.h"
#include "preview/PrinterForm.h"
#include "preview/SelectPrinterForm.h"
#include "report/ConversionError.h"
#include "tests/common/RecordingPresenter.h"
#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

using test::RecordingPresenter;

TEST(StartupTest, ZarvoCreatesItsWindowsInOrderHiddenAndDestroysThemAll) {
    {
        NoPrinters printers;
        StartupWindows windows(startupSteps(), printers);
        EXPECT_EQ(windows.order(), (std::vector<std::string>{"zarvo2_Form", "PrinterForm",
                                                             "SelectPrinterForm", "PreviewForm"}));
        ASSERT_NE(zarvo2_Form, nullptr);
        EXPECT_EQ(windows.mainWindow(), zarvo2_Form);
        EXPECT_EQ(zarvo2_Form->windowTitle(), QStringLiteral("Zarvo v2.1"));
        const QWidget* windowsMade[] = {zarvo2_Form, PrinterForm, SelectPrinterForm, PreviewForm};
        for (const QWidget* window : windowsMade) {
            ASSERT_NE(window, nullptr);
            EXPECT_FALSE(window->isVisible());
        }
    }
    EXPECT_EQ(zarvo2_Form, nullptr);
    EXPECT_EQ(PrinterForm, nullptr);
    EXPECT_EQ(SelectPrinterForm, nullptr);
    EXPECT_EQ(PreviewForm, nullptr);
}

// Three windows standing in for the permanent ones; the journal records what
// each step saw and did.
std::vector<std::string> journal;
QWidget* first = nullptr;
QWidget* second = nullptr;
QWidget* third = nullptr;
bool thirdThrows = false;

QWidget* make(QWidget*& window, const char* name) {
    journal.push_back(std::string("create ") + name +
                      (first && first->isVisible() ? " main shown" : ""));
    return window = new QWidget();
}

void destroy(QWidget*& window, const char* name) {
    journal.push_back(std::string("destroy ") + name);
    delete window;
    window = nullptr;
}

constexpr StartupStep sampleSteps[] = {
    {"first", [](Spooler&) { return make(first, "first"); }, [] { destroy(first, "first"); }},
    {"second", [](Spooler&) { return make(second, "second"); }, [] { destroy(second, "second"); }},
    {"third",
     [](Spooler&) -> QWidget* {
         if (thirdThrows) throw ConversionError("x1");
         return make(third, "third");
     },
     [] { destroy(third, "third"); }},
};

class StartupOrderTest : public testing::Test {
protected:
    void SetUp() override {
        journal.clear();
        thirdThrows = false;
    }

    NoPrinters printers;
};

TEST_F(StartupOrderTest, WindowsAreCreatedInOrderBeforeTheMainWindowShowsAndDestroyedInReverse) {
    RecordingPresenter messages;
    bool mainShownInLoop = false;
    QTimer::singleShot(0, [&] {
        mainShownInLoop = first && first->isVisible();
        first->close();
    });

    EXPECT_EQ(runApplication(sampleSteps, printers), 0);

    EXPECT_TRUE(mainShownInLoop);
    EXPECT_EQ(journal, (std::vector<std::string>{"create first", "create second", "create third",
                                                 "destroy third", "destroy second",
                                                 "destroy first"}));
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(StartupOrderTest, AStepThatThrowsIsShownAndTheWindowsMadeSoFarAreDestroyed) {
    RecordingPresenter messages;
    thirdThrows = true;

    EXPECT_EQ(runApplication(sampleSteps, printers), 0);

    EXPECT_EQ(journal, (std::vector<std::string>{"create first", "create second",
                                                 "destroy second", "destroy first"}));
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, MessageKind::Warning);
    EXPECT_EQ(messages.shown()[0].text, "'x1' is not a valid integer value");
}

// zarvo FILE: the program's own start-up, with the report opened once the
// main window shows; a file that cannot be read leaves the new document.
TEST(StartupTest, TheReportOnTheCommandLineOpensAfterStartUp) {
    test::TempDir dir;
    const QString example = QString::fromUtf8(ZARVO_SOURCE_DIR "/examples/delivery_note.txt");
    const QString missing = QString::fromStdString((dir.path() / "missing.txt").string());
    const struct {
        QString file;
        QString fileName;  // the document's afterwards
        std::vector<std::string> messages;
    } cases[] = {
        {example, example, {}},
        {missing, QString(), {"找不到檔案:\n\n" + missing.toStdString()}},
    };
    for (const auto& c : cases) {
        RecordingPresenter messages;
        NoPrinters printers;
        QString fileName, text;
        EXPECT_EQ(runApplication(startupSteps(), printers,
                                 [&](QWidget&) {
                                     startDocument(*zarvo2_Form, c.file, dir.path() / "recovery");
                                     QTimer::singleShot(0, [&] {
                                         fileName = zarvo2_Form->document().fileName();
                                         text = zarvo2_Form->document().textToSave();
                                         zarvo2_Form->close();
                                     });
                                 }),
                  0);
        EXPECT_EQ(fileName, c.fileName);
        EXPECT_EQ(text, c.fileName.isEmpty() ? QStringLiteral("0\t0\t0\nLINE_INFO\nLABEL_STRING\nBLOCK_INFO\n")
                                             : readBig5TextFile(c.fileName));
        EXPECT_EQ(messages.texts(), c.messages);
    }
}

}  // namespace
}  // namespace zarvo
