#include "preview/PrinterForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>

#include "tests/windows/preview/PreviewWindows.h"
#include "tests/support/TextInput.h"

namespace zarvo {
namespace {

using Jobs = std::vector<std::vector<int>>;

class PrinterFormTest : public test::PreviewWindows {
protected:
    // Sets the dialog's entries: range "本頁", "全部" or "從" with its
    // fields, copies checked with a count, collated or not.
    void choose(const char* range, const char* from, const char* to, bool copies, const char* count,
                bool collate) {
        control<QRadioButton>(*PrinterForm, range).setChecked(true);
        control<QLineEdit>(*PrinterForm, "Edit1").setText(QString::fromLatin1(from));
        control<QLineEdit>(*PrinterForm, "Edit2").setText(QString::fromLatin1(to));
        control<QCheckBox>(*PrinterForm, "CB1").setChecked(copies);
        control<QLineEdit>(*PrinterForm, "Edit3").setText(QString::fromLatin1(count));
        control<QRadioButton>(*PrinterForm, collate ? "RB4" : "RB5").setChecked(true);
    }
    void confirm() { control<QPushButton>(*PrinterForm, "Button1").click(); }
};

TEST_F(PrinterFormTest, EveryChoicePrintsItsSheetsInOneJob) {
    struct Case {
        const char* range;  // RB1 本頁, RB3 全部, RB2 從
        const char* from;
        const char* to;
        bool copies;
        const char* count;
        bool collate;
        Jobs jobs;
    };
    const Case cases[] = {
        {"RB1", "", "", false, "", true, {{2}}},
        {"RB1", "", "", false, "x", false, {{2}}},
        {"RB2", "1", "2", false, "", true, {{1, 2}}},
        {"RB2", "5", "2", false, "", true, {{2}}},
        {"RB2", "0", "0", false, "", true, {{1}}},
        {"RB2", "2", "9", false, "", true, {{2, 3}}},
        {"RB3", "", "", false, "", true, {{1, 2, 3}}},
        {"RB1", "", "", true, "2", false, {{2, 2}}},
        {"RB2", "1", "2", true, "3", true, {{1, 2, 1, 2, 1, 2}}},
        {"RB2", "1", "2", true, "3", false, {{1, 1, 1, 2, 2, 2}}},
        {"RB3", "", "", true, "2", true, {{1, 2, 3, 1, 2, 3}}},
        {"RB3", "", "", true, "2", false, {{1, 1, 2, 2, 3, 3}}},
        {"RB3", "", "", true, "0", true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.range << " " << c.from << ".." << c.to << " copies "
                                        << c.copies << " " << c.count << " collate " << c.collate);
        newPreview(3);
        control<QPushButton>(*preview, "Button3").click();
        PrinterForm->show();
        choose(c.range, c.from, c.to, c.copies, c.count, c.collate);
        confirm();
        EXPECT_EQ(spooler->jobs(), c.jobs);
        EXPECT_FALSE(PrinterForm->isVisible());
        EXPECT_EQ(PrinterForm->result(), 1);
        EXPECT_EQ(preview->previewMode(), 1);
        usePrinters({{"Office", true}});
    }
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(PrinterFormTest, AnEmptyFieldThatIsReadIsAConversionErrorAndNothingPrints) {
    struct Case {
        const char* range;
        const char* from;
        const char* to;
        bool copies;
        const char* count;
    };
    const Case cases[] = {
        {"RB2", "", "2", false, "3"},
        {"RB2", "1", "", false, "3"},
        {"RB1", "", "", true, ""},
        {"RB3", "", "", true, ""},
    };
    newPreview(3);
    for (const Case& c : cases) {
        PrinterForm->show();
        choose(c.range, c.from, c.to, c.copies, c.count, true);
        confirm();
        EXPECT_TRUE(PrinterForm->isVisible());
        EXPECT_EQ(control<QLineEdit>(*PrinterForm, "Edit1").text(), QString::fromLatin1(c.from));
        EXPECT_EQ(control<QLineEdit>(*PrinterForm, "Edit3").text(), QString::fromLatin1(c.count));
        EXPECT_EQ(preview->previewMode(), 1);
    }
    EXPECT_TRUE(spooler->jobs().empty());
    EXPECT_EQ(messages.texts(), std::vector<std::string>(4, "'' is not a valid integer value"));
}

TEST_F(PrinterFormTest, TwoPrintsAreTwoJobsOnTheChosenPrinterAndNavigationGoesOn) {
    newPreview(2);
    control<QComboBox>(*preview, "ComboBox1").setCurrentIndex(1);
    EXPECT_EQ(preview->printerName(), "Lab");
    choose("RB1", "", "", false, "", true);
    confirm();
    confirm();
    EXPECT_EQ(spooler->jobs(), (Jobs{{1}, {1}}));
    EXPECT_EQ(spooler->printersUsed, (std::vector<std::string>{"Lab", "Lab"}));
    EXPECT_EQ(spooler->busyAtStart, (std::vector<bool>{true, true}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    control<QPushButton>(*preview, "Button3").click();
    EXPECT_EQ(preview->currentPage(), 1);
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(PrinterFormTest, APrintThatCannotStartIsSaidAndLeavesPreviewMode) {
    struct Case {
        std::vector<PrinterInfo> printers;
        std::string printer;  // set after the list was made, when not empty
        std::string message;
    };
    const Case cases[] = {
        {{}, "", "沒有可用的印表機, 無法列印"},
        {{{"Office", true}}, "Gone", "找不到印表機「Gone」, 無法列印"},
    };
    for (const Case& c : cases) {
        usePrinters(c.printers);
        newPreview(1);
        if (!c.printer.empty()) preview->setPrinterName(c.printer);
        PrinterForm->show();
        choose("RB3", "", "", false, "", true);
        confirm();
        EXPECT_TRUE(spooler->jobs().empty());
        EXPECT_EQ(preview->previewMode(), 1);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        ASSERT_FALSE(messages.texts().empty());
        EXPECT_EQ(messages.texts().back(), c.message);
    }
}

TEST_F(PrinterFormTest, TheStatusBarSaysWhatWentOutAndNothingOnceAPrintFails) {
    newPreview(3);
    const QStatusBar& status = control<QStatusBar>(*preview, "ST_preview");
    EXPECT_EQ(status.currentMessage(), QString());
    choose("RB3", "", "", true, "2", true);
    confirm();
    // The recording spooler makes no jobs of a print service.
    EXPECT_EQ(status.currentMessage(), QStringLiteral("已送出 6 張到 Office"));
    EXPECT_TRUE(messages.shown().empty());

    preview->setPrinterName("Gone");
    PrinterForm->show();
    confirm();
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"找不到印表機「Gone」, 無法列印"});
    EXPECT_EQ(status.currentMessage(), QString());
}

TEST_F(PrinterFormTest, PrintPagesStartsNoJobForNoSheetsOrOutsidePrintMode) {
    newPreview(3);
    preview->PrintPages(0, 2, 1, 1);
    preview->setPreviewMode(0);
    preview->PrintPages(0, 2, 0, 1);
    preview->PrintPages(0, 2, 1, 0);
    preview->PrintPages(2, 0, 1, 1);
    EXPECT_TRUE(spooler->jobs().empty());
    preview->PrintPages(0, 2, 2, 1);
    EXPECT_EQ(spooler->jobs(), (Jobs{{1, 2, 3, 1, 2, 3}}));
}

TEST_F(PrinterFormTest, FieldsTakeOnlyDigitsUpToTheirLength) {
    struct Case {
        const char* name;
        QString typed;
        QString kept;
    };
    const Case cases[] = {
        {"Edit1", QStringLiteral("1a2,3 4"), QStringLiteral("123")},
        {"Edit2", QStringLiteral("９8x"), QStringLiteral("8")},
        {"Edit3", QStringLiteral("份123"), QStringLiteral("12")},
    };
    for (const Case& c : cases) {
        QLineEdit& edit = control<QLineEdit>(*PrinterForm, c.name);
        edit.clear();
        test::typeText(edit, c.typed);
        EXPECT_EQ(edit.text(), c.kept) << c.name;
    }
}

}  // namespace
}  // namespace zarvo
