#include "calibrationdialog/CalibrationForm.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include "designer/MainWindow.h"
#include "platform/os/DataRoot.h"
#include "shell/ZarvoApplication.h"
#include "tests/common/FifoWatchdog.h"
#include "tests/common/MarginSpooler.h"
#include "tests/common/RecordingPresenter.h"
#include "tests/common/TempDir.h"
#include "tests/support/ModalAnswerer.h"
#include "tests/support/QtTestMain.h"
#include "tests/support/TextInput.h"

namespace zarvo {
namespace {

// Errors of the dialog's handlers reach Zarvo's own top-level handler.
[[maybe_unused]] const bool usesZarvoApplication =
    test::useTestApplication([](int& argc, char** argv) -> std::unique_ptr<QApplication> {
        return std::make_unique<ZarvoApplication>(argc, argv);
    });

const SheetMargins kMargins{5, 6, 5, 6};

class CalibrationFormTest : public testing::Test {
protected:
    CalibrationFormTest() {
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) oldConfig_ = old;
        setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
        setDataRootOverride(dir.path().string());
        usePrinters({{"Office", false}, {"Lab/draft", true}});
    }
    ~CalibrationFormTest() override {
        setDataRootOverride("");
        if (oldConfig_) setenv("XDG_CONFIG_HOME", oldConfig_->c_str(), 1);
        else unsetenv("XDG_CONFIG_HOME");
    }

    void usePrinters(std::vector<PrinterInfo> printers) {
        // Every printer's sheets have kMargins on every paper.
        std::map<std::string, SheetMargins> margins;
        for (const PrinterInfo& printer : printers) margins[printer.name] = kMargins;
        spooler.use(std::move(printers), std::move(margins));
    }

    template <typename Widget>
    Widget& control(const char* name) {
        auto* widget = form.findChild<Widget*>(QString::fromLatin1(name));
        if (!widget) throw std::runtime_error(std::string("no control ") + name);
        return *widget;
    }
    void click(const char* name) { control<QPushButton>(name).click(); }
    QString result() { return control<QLabel>("Label_result").text(); }

    // Types the four measurements into empty fields.
    void type(const MeasurementTexts& texts) {
        const char* names[] = {"ED_ax", "ED_ay", "ED_bx", "ED_by"};
        for (int i = 0; i < 4; ++i) {
            QLineEdit& field = control<QLineEdit>(names[i]);
            field.clear();
            test::typeText(field, QString::fromStdString(texts[i]));
        }
    }

    // Shows the dialog, runs steps in it and returns its result; a dialog
    // still open after them is cancelled and counts as stayedOpen.
    int session(const std::function<void()>& steps) {
        stayedOpen = false;
        test::ModalAnswerer answerer([&](QWidget& modal) {
            EXPECT_EQ(&modal, &form);
            steps();
            stayedOpen = form.isVisible();
            if (stayedOpen) click("btn_cancel");
        });
        const int ended = form.execute();
        EXPECT_FALSE(answerer.forced());
        return ended;
    }

    static PrinterCorrection kept(const std::string& printer) {
        return PrinterCorrections().correction(currentPrintServer(), printer);
    }
    static void keep(const std::string& printer, const PrinterCorrection& correction) {
        PrinterCorrections().setCorrection(currentPrintServer(), printer, correction);
    }

    test::TempDir dir;
    test::RecordingPresenter messages;
    test::MarginSpooler spooler;
    TCalibrationForm form{spooler};
    bool stayedOpen = false;

private:
    std::optional<std::string> oldConfig_;
};

TEST_F(CalibrationFormTest, ListsThePrintersWithTheDefaultFirstAndThenTheOneChosen) {
    QStringList printers;
    QString chosen;
    session([&] {
        QComboBox& printerList = control<QComboBox>("CB_calprinter");
        for (int i = 0; i < printerList.count(); ++i) printers << printerList.itemText(i);
        chosen = printerList.currentText();
        printerList.setCurrentIndex(0);
    });
    EXPECT_EQ(printers, (QStringList{"Office", "Lab/draft"}));
    EXPECT_EQ(chosen, QStringLiteral("Lab/draft"));
    session([&] { chosen = control<QComboBox>("CB_calprinter").currentText(); });
    EXPECT_EQ(chosen, QStringLiteral("Office"));
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(CalibrationFormTest, OkKeepsTheCorrectionTheFieldsGiveForTheChosenPrinter) {
    struct Case {
        const char* printer;
        int paperIndex;
        PrinterCorrection inForce;
        MeasurementTexts texts;
        const char* correction;
        const char* shown;
    };
    const Case cases[] = {
        {"Office", 0, {}, {"26.5", "25.7", "187.3", "270"}, "-1.4 0.2 99.5 100.29",
         "校正值: dx -1.4 mm, dy 0.2 mm, sx 99.50 %, sy 100.29 %\n"
         "原校正值: dx 0 mm, dy 0 mm, sx 100.00 %, sy 100.00 %"},
        {"Lab/draft", 1, {1, -1, 101, 99}, {"27.5", "23.9", "237.2", "331.9"}, "-1.2 0.8 99.7 100.29",
         "校正值: dx -1.2 mm, dy 0.8 mm, sx 99.70 %, sy 100.29 %\n"
         "原校正值: dx 1 mm, dy -1 mm, sx 101.00 %, sy 99.00 %"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.printer);
        keep(c.printer, c.inForce);
        keep("Other", {3, 3, 100, 100});
        QString shown;
        const int ended = session([&] {
            control<QComboBox>("CB_calprinter").setCurrentText(QString::fromUtf8(c.printer));
            control<QComboBox>("CB_paper").setCurrentIndex(c.paperIndex);
            type(c.texts);
            shown = result();
            click("btn_ok");
        });
        EXPECT_EQ(ended, 1);
        EXPECT_FALSE(stayedOpen);
        EXPECT_EQ(shown.toStdString(), c.shown);
        EXPECT_EQ(formatCorrection(kept(c.printer)), c.correction);
        EXPECT_EQ(formatCorrection(kept("Other")), "3 3 100 100");
    }
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(CalibrationFormTest, WhatIsWrongWithTheFieldsIsNamedInOneMessageAndNothingIsKept) {
    struct Case {
        MeasurementTexts texts;
        const char* named;
    };
    const Case cases[] = {
        {{"", "26", "185", "271"}, "A 距左緣: (空白)"},
        {{"25", "2б", "185", "27l"}, "A 距上緣: 「2б」\nB 距上緣: 「27l」"},
        {{"40", "26", "40", "271"}, "A 距左緣與 B 距左緣 同為 40"},
        {{"80", "26", "240", "271"}, "\ndx -54 mm"},
    };
    keep("Lab/draft", {1, 1, 100, 100});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.named);
        const std::size_t before = messages.shown().size();
        const int ended = session([&] {
            type(c.texts);
            click("btn_ok");
        });
        EXPECT_TRUE(stayedOpen);
        EXPECT_EQ(ended, 2);
        ASSERT_EQ(messages.shown().size(), before + 1);
        EXPECT_EQ(messages.shown().back().kind, MessageKind::Warning);
        EXPECT_NE(messages.shown().back().text.find(c.named), std::string::npos) << messages.shown().back().text;
        EXPECT_EQ(formatCorrection(kept("Lab/draft")), "1 1 100 100");
    }
}

TEST_F(CalibrationFormTest, APrintedSheetIsMeasuredAgainstTheCorrectionItWasPrintedUnder) {
    keep("Office", {1, -1, 101, 99});
    QString shown;
    QRect opened;
    const int ended = session([&] {
        opened = form.geometry();
        control<QComboBox>("CB_calprinter").setCurrentText(QStringLiteral("Office"));
        control<QComboBox>("CB_paper").setCurrentIndex(2);
        click("btn_printpage");
        click("btn_reset");
        type({"26", "25", "272", "392"});
        shown = result();
        // The longer result moves nothing: the dialog keeps its size and place.
        EXPECT_EQ(form.geometry(), opened);
        click("btn_ok");
    });
    EXPECT_EQ(ended, 1);
    session([&] { EXPECT_EQ(form.size(), opened.size()) << "opened again"; });
    EXPECT_EQ(spooler.jobsStarted(), 1);
    EXPECT_NE(spooler.trace.str().find("sheet 0 paper=4"), std::string::npos) << spooler.trace.str();
    // What the sheet went out as heads the values it gives; the recording spooler makes no jobs.
    EXPECT_EQ(shown, QStringLiteral("已送出 1 張到 Office\n"
                                    "校正值: dx -0.1 mm, dy -0.1 mm, sx 101.41 %, sy 99.27 %\n"
                                    "原校正值: dx 1 mm, dy -1 mm, sx 101.00 %, sy 99.00 %"));
    EXPECT_EQ(formatCorrection(kept("Office")), "-0.1 -0.1 101.41 99.27");
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(CalibrationFormTest, ResetRemovesTheChosenPrintersCorrectionAndCancelKeepsIt) {
    struct Case {
        const char* button;
        const char* office;  // kept afterwards
        const char* inForce;  // the dialog's second line afterwards
    };
    const Case cases[] = {
        {"btn_reset", "0 0 100 100", "原校正值: dx 0 mm, dy 0 mm, sx 100.00 %, sy 100.00 %"},
        {"btn_cancel", "2 -2 100.5 99.5", "原校正值: dx 2 mm, dy -2 mm, sx 100.50 %, sy 99.50 %"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        keep("Office", {2, -2, 100.5, 99.5});
        keep("Lab/draft", {4, 4, 100, 100});
        QString shown;
        session([&] {
            control<QComboBox>("CB_calprinter").setCurrentText(QStringLiteral("Office"));
            type({"26.5", "25.7", "187.3", "270"});
            click(c.button);
            shown = result();
        });
        EXPECT_EQ(formatCorrection(kept("Office")), c.office);
        EXPECT_EQ(formatCorrection(kept("Lab/draft")), "4 4 100 100");
        EXPECT_EQ(shown.section(u'\n', 1).toStdString(), c.inForce);
    }
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(CalibrationFormTest, WithoutPrintersOnlyAMessageIsShown) {
    usePrinters({});
    EXPECT_EQ(form.execute(), 2);
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"沒有可用的印表機, 無法校正"});
    EXPECT_FALSE(form.isVisible());
}

// A FIFO in place of the corrections file is named as damaged at once, and
// the dialog opens all the same.
TEST_F(CalibrationFormTest, AFifoInPlaceOfTheCorrectionsFileIsNamedAndTheDialogOpens) {
    std::filesystem::create_directories(dir.path() / "zarvo");
    const std::string path = printerCorrectionsPath();
    const test::FifoWatchdog fifo(path);
    ASSERT_TRUE(fifo.made());
    MainWindow window(spooler);
    bool opened = false;
    const auto start = std::chrono::steady_clock::now();
    {
        test::ModalAnswerer answerer([&](QWidget& modal) {
            opened = modal.objectName() == QStringLiteral("CalibrationForm");
            test::clickText(QStringLiteral("取消"))(modal);
        });
        window.MU_calibrate->trigger();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_FALSE(fifo.fired());
    EXPECT_TRUE(opened);
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"印表機校正檔 " + path + " 無法讀取, 以未校正的位置列印"});
}

TEST_F(CalibrationFormTest, TheMainWindowsFileMenuShowsTheDialogModally) {
    MainWindow window(spooler);
    const QList<QAction*> items = window.File1->actions();
    const qsizetype at = items.indexOf(window.MU_calibrate);
    ASSERT_GT(at, 0);
    EXPECT_EQ(items[at - 1], window.SavePreview1);
    EXPECT_EQ(items[at + 1], window.N1);
    EXPECT_EQ(window.MU_calibrate->objectName(), QStringLiteral("MU_calibrate"));
    EXPECT_EQ(window.MU_calibrate->text(), QStringLiteral("印表機校正..."));
    QWidget* shown[2] = {};
    for (QWidget*& dialog : shown) {
        test::ModalAnswerer answerer([&](QWidget& modal) {
            dialog = &modal;
            test::clickText(QStringLiteral("取消"))(modal);
        });
        window.MU_calibrate->trigger();
        ASSERT_TRUE(answerer.answered());
        EXPECT_EQ(answerer.seen().title, QStringLiteral("印表機校正"));
        EXPECT_EQ(dialog->parentWidget(), &window);
    }
    EXPECT_EQ(shown[0], shown[1]);
}

}  // namespace
}  // namespace zarvo
