#include "designer/MainWindow.h"

#include <filesystem>
#include <functional>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "tests/windows/designer/QtPrinters.h"

#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include "designer/EditorText.h"
#include "designer/RowEditors.h"
#include "designer/SourceEditor.h"
#include "document/WindowPlacement.h"
#include "layout/StatusText.h"
#include "platform/NoPrinters.h"
#include "report/ReportError.h"
#include "tests/common/Command.h"
#include "tests/common/RecordingPresenter.h"
#include "tests/common/ScopedEnv.h"
#include "tests/common/TempDir.h"
#include "tests/windows/designer/AnsweringFileDialogs.h"
#include "tests/windows/designer/ScriptedEditors.h"
#include "tests/common/FileSizeLimit.h"
#include "tests/support/TextInput.h"

namespace zarvo {
namespace {

using test::ScriptedEditors;
using test::TempDir;

const QString newReport = QStringLiteral("0\t0\t0\nLINE_INFO\nLABEL_STRING\nBLOCK_INFO\n");

// Confirms with the row written as caption and values.
std::function<void(QTreeWidgetItem*, int&)> confirmAs(QStringList texts) {
    return [texts](QTreeWidgetItem* row, int& confirmed) {
        for (int i = 0; i < texts.size(); ++i) row->setText(i, texts[i]);
        confirmed = 1;
    };
}

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        window.setRowEditors(&editors);
        window.setBeep([this] { ++beeps; });
        window.show();
    }

    QString text() const { return editorText(*window.ME_text); }
    QString path(const char* name) const { return QString::fromStdString((dir.path() / name).string()); }
    QString write(const char* name, std::string_view bytes) const {
        return QString::fromStdString(dir.write(name, bytes));
    }
    static std::string read(const QString& file) { return TempDir::read(file.toStdString()); }
    QString status() const { return window.ST_headPanel->text(); }
    std::vector<int> flags() const {
        const ReportDocument& document = window.document();
        return {document.rowsEdited(Section::Blocks), document.rowsEdited(Section::Lines),
                document.rowsEdited(Section::Labels), document.textTyped(), document.unsaved()};
    }
    void open(const QString& file) {
        dialogs.answers.push_back(file);
        window.Open1Click();
    }
    void selectRow(QTreeWidget& list, int index) { list.setCurrentItem(list.topLevelItem(index)); }
    // The captions of a list's rows, in order.
    static QStringList captions(const QTreeWidget& list) {
        QStringList result;
        for (int i = 0; i < list.topLevelItemCount(); ++i) result.append(list.topLevelItem(i)->text(0));
        return result;
    }

    test::RecordingPresenter messages;
    test::AnsweringFileDialogs dialogs;
    ScriptedEditors editors;
    int beeps = 0;
    TempDir dir;
    NoPrinters printers;
    MainWindow window{printers};
};

std::string examplePath(const char* name) { return std::string(ZARVO_SOURCE_DIR) + "/examples/" + name; }

TEST_F(MainWindowTest, ControlsCarryTheirNamesAndCaptions) {
    const std::pair<const char*, const char*> buttons[] = {
        {"btn_Binsert", "&A 新增"}, {"btn_Bedit", "&E 修改"},        {"btn_Bdelete", "&D 刪除"},
        {"btn_test", "&T 新增至測試區"}, {"btn_clear", "清除"},      {"btn_savedata", "儲存測試資料"},
        {"btn_readdata", "讀取測試資料"}, {"btn_Linsert", "&A 新增"}, {"btn_Ledit", "&E 修改"},
        {"btn_Ldelete", "&D 刪除"},  {"btn_Ninsert", "&A 新增"},     {"btn_Nedit", "&E 修改"},
        {"btn_Ndelete", "&D 刪除"}};
    for (const auto& [name, caption] : buttons) {
        auto* button = window.findChild<QPushButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        EXPECT_EQ(button->text(), QString::fromUtf8(caption)) << name;
    }
    const std::pair<const char*, const char*> labels[] = {
        {"Label4", "或點選資料後按滑鼠右鍵"}, {"Label2", "測試資料的格式應為 :"},
        {"Label1", "BLOCK名稱,BLOCK測試資料"}, {"Label3", "(名稱與資料用逗號隔開)"}};
    for (const auto& [name, caption] : labels) {
        auto* label = window.findChild<QLabel*>(QString::fromLatin1(name));
        ASSERT_NE(label, nullptr) << name;
        EXPECT_EQ(label->text(), QString::fromUtf8(caption)) << name;
    }
    const std::pair<const char*, const char*> actions[] = {
        {"New1", "畫新報表檔 &New "}, {"Open1", "開啟舊檔 &Open ..."}, {"Save1", "存檔 &Save"},
        {"SaveAs1", "另存新檔 Save &As ..."}, {"Print1", "預視 &Preview ..."},
        {"SavePreview1", "儲存並預視 Save && Preview..."}, {"Exit1", "結束離開 E&xit"},
        {"MU_help", "&Help"}, {"PM_insert", "新增一筆資料"}, {"PM_delete", "刪除點選的資料"},
        {"PM_test", "新增至測試資料區"}};
    for (const auto& [name, caption] : actions) {
        auto* action = window.findChild<QAction*>(QString::fromLatin1(name));
        ASSERT_NE(action, nullptr) << name;
        EXPECT_EQ(action->text(), QString::fromUtf8(caption)) << name;
    }
    QStringList fileItems;
    for (QAction* action : window.File1->actions()) fileItems.append(action->objectName());
    EXPECT_EQ(fileItems, QStringList({"New1", "Open1", "Save1", "SaveAs1", "N2", "Print1", "SavePreview1", "MU_calibrate",
                                      "N1", "Exit1"}));
    QStringList barItems;
    for (QAction* action : window.menuBar()->actions()) barItems.append(action->text());
    EXPECT_EQ(barItems, QStringList({"&File", "&Help", "說明"}));
    EXPECT_EQ(window.PopupMenu1->actions(), QList<QAction*>({window.PM_insert, window.PM_delete, window.PM_test}));
    for (const char* name : {"ME_text", "ME_data"})
        EXPECT_NE(window.findChild<QPlainTextEdit*>(QString::fromLatin1(name)), nullptr) << name;
}

TEST_F(MainWindowTest, WindowPagesAndListsAreLaidOutAsGiven) {
    EXPECT_EQ(window.objectName(), QStringLiteral("zarvo2_Form"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Zarvo v2.1"));
    EXPECT_EQ(window.size(), QSize(681, 430));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(window.pos(), QPoint((screen.width() - 681) / 2, (screen.height() - 430) / 2));
    EXPECT_LT(window.ST_head->geometry().bottom(), window.PageControl1->geometry().top());
    EXPECT_EQ(window.ST_headPanel->width(), 500);

    const QStringList pageNames{"TabSheet1", "TabSheet2", "TabSheet3", "TabSheet4", "TabSheet5", "TabSheet6"};
    const QStringList pageCaptions{"報表檔原始碼", "BLOCKS", "測試資料", "LABEL", "Lines", "版面 Layout"};
    ASSERT_EQ(window.PageControl1->count(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(window.PageControl1->widget(i)->objectName(), pageNames[i]);
        EXPECT_EQ(window.PageControl1->tabText(i), pageCaptions[i]);
    }
    EXPECT_EQ(window.PageControl1->font().family(), QStringLiteral("AR PL UMing TW"));
    EXPECT_EQ(window.PageControl1->font().pixelSize(), 16);
    EXPECT_EQ(window.ME_text->font().pixelSize(), 13);

    const QString blockValues = QStringLiteral(
        "style 55|left 55|top 55|width 55|height 60|rowgap 60|colgap 60|distb. 55|font 55|ychar 55|x_magr 60|y-magr 60");
    const std::pair<QTreeWidget*, QString> lists[] = {
        {window.ListView1, QStringLiteral("Block 名稱 150|") + blockValues},
        {window.LV_Label, QStringLiteral("Label 名稱 150|") + blockValues},
        {window.LV_Line, QStringLiteral("style 150|width 100|x1 100|y1 100|x2 100|y2 100")}};
    for (const auto& [list, expected] : lists) {
        QStringList columns;
        for (int i = 0; i < list->columnCount(); ++i)
            columns.append(list->headerItem()->text(i) + u' ' + QString::number(list->columnWidth(i)));
        EXPECT_EQ(columns.join(u'|'), expected) << list->objectName().toStdString();
        EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
        EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
        EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
        EXPECT_FALSE(list->rootIsDecorated());
    }
}

TEST_F(MainWindowTest, TheWindowReopensAtTheSizePlaceAndStateItWasClosedIn) {
    struct Case {
        QRect closedAt;  // the place and size before any maximising
        bool maximized;
    };
    const Case cases[] = {{{20, 30, 700, 480}, false}, {{40, 50, 720, 450}, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.maximized);
        const TempDir config;
        const test::ScopedEnv home("XDG_CONFIG_HOME", config.path().string());
        {
            MainWindow first(printers);
            first.setGeometry(c.closedAt);
            first.show();
            if (c.maximized) first.showMaximized();
            ASSERT_TRUE(first.close());
        }
        MainWindow again(printers);
        EXPECT_EQ(again.geometry(), c.closedAt);
        EXPECT_EQ(again.isMaximized(), c.maximized);
        again.show();
        again.showNormal();
        EXPECT_EQ(again.geometry(), c.closedAt);
    }
}

TEST_F(MainWindowTest, APlaceOnNoScreenKeepsItsSizeButNotItsPlace) {
    const TempDir config;
    const test::ScopedEnv home("XDG_CONFIG_HOME", config.path().string());
    ASSERT_TRUE(writeWindowPlacement(windowSettingsPath(), {{5000, 5000, 600, 400}, false}));
    MainWindow again(printers);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(again.geometry(), QRect((screen.width() - 600) / 2, (screen.height() - 400) / 2, 600, 400));
}

TEST_F(MainWindowTest, StartsWithANewReportOnTheSourcePage) {
    EXPECT_EQ(text(), newReport);
    EXPECT_EQ(status(), QString());
    EXPECT_EQ(window.document().fileName(), QString());
    EXPECT_EQ(window.ListView1->topLevelItemCount() + window.LV_Label->topLevelItemCount() +
                  window.LV_Line->topLevelItemCount(),
              0);
    EXPECT_EQ(window.PageControl1->currentWidget(), window.TabSheet1);
    EXPECT_EQ(flags(), std::vector<int>(5, 0));

    // Showing the window again (restored from its icon) starts nothing new.
    test::typeText(*window.ME_text, QStringLiteral("x"));
    window.hide();
    window.show();
    EXPECT_NE(text(), newReport);
}

TEST_F(MainWindowTest, ANewReportSavedUnchangedIsTheFourLinesWithCrLf) {
    dialogs.answers.push_back(path("new report.txt"));
    window.Save1Click();
    EXPECT_EQ(read(path("new report.txt")), "0\t0\t0\r\nLINE_INFO\r\nLABEL_STRING\r\nBLOCK_INFO\r\n");
    EXPECT_EQ(window.document().fileName(), path("new report.txt"));
    EXPECT_EQ(status(), path("new report.txt"));
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].objectName, QStringLiteral("SaveDialog1"));
    EXPECT_EQ(dialogs.requests[0].filter, QString());

    // A named document saves without a dialog; a text without a final break
    // is saved without one.
    window.ME_text->setPlainText(QStringLiteral("0\t0\t0\nLINE_INFO"));
    window.Save1Click();
    EXPECT_EQ(read(path("new report.txt")), "0\t0\t0\r\nLINE_INFO");
    EXPECT_EQ(dialogs.requests.size(), 1u);
}

TEST_F(MainWindowTest, EveryUserChangeOfTheTextIsUnsavedButTheProgramsWritesAreNot) {
    const std::pair<const char*, std::function<void(QPlainTextEdit&)>> changes[] = {
        {"typing", [](QPlainTextEdit& e) { test::typeText(e, QStringLiteral("中x")); }},
        {"pasting",
         [](QPlainTextEdit& e) {
             QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));
             e.paste();
         }},
        {"cutting",
         [](QPlainTextEdit& e) {
             e.selectAll();
             e.cut();
         }},
        {"undo",
         [](QPlainTextEdit& e) {
             e.insertPlainText(QStringLiteral("y"));
             e.document()->clearUndoRedoStacks(QTextDocument::RedoStack);
             QTest::keyClick(&e, Qt::Key_Z, Qt::ControlModifier);
         }},
    };
    const QString report = write("r.txt", "0\t0\t0\r\nLINE_INFO\r\nLABEL_STRING\r\nBLOCK_INFO\r\n0\tb\r\n");
    for (const auto& [name, change] : changes) {
        open(report);
        window.document().setHeaderPaperCode(7);
        EXPECT_FALSE(window.document().unsaved()) << name << ": a write step is no edit";
        change(*window.ME_text);
        EXPECT_TRUE(window.document().unsaved()) << name;
        EXPECT_TRUE(window.document().textTyped()) << name;
        window.New1Click();
        EXPECT_EQ(flags(), std::vector<int>(5, 0)) << name;
    }
}

TEST_F(MainWindowTest, DroppingUnsavedWorkBeepsAndAsksFirst) {
    const QString report = write("r.txt", "0\t0\t0\r\nLINE_INFO\r\nLABEL_STRING\r\nBLOCK_INFO\r\n0\ta\r\n0\tb\r\n");
    const std::string leave = "尚未存檔, 是否確定離開 ?";
    const std::string drop = "尚未存檔, 是否放棄目前的報表 ?";
    const struct {
        const char* name;
        std::function<void(MainWindow&)> command;
        std::string question;
    } commands[] = {
        {"Exit", [](MainWindow& w) { w.Exit1Click(); }, leave},
        {"close box", [](MainWindow& w) { w.close(); }, leave},
        {"New", [](MainWindow& w) { w.New1Click(); }, drop},
        {"Open", [](MainWindow& w) { w.Open1Click(); }, drop},
    };
    for (const auto& c : commands) {
        window.show();
        open(report);
        selectRow(*window.ListView1, 0);
        window.btn_BdeleteClick();
        const std::vector<int> before = flags();
        const std::size_t asked = messages.shown().size();
        const int beepsBefore = beeps;
        const std::size_t dialogsBefore = dialogs.requests.size();

        messages.answer(ResultCancel);
        c.command(window);
        ASSERT_EQ(messages.shown().size(), asked + 1) << c.name;
        EXPECT_EQ(messages.shown().back().text, c.question) << c.name;
        EXPECT_EQ(messages.shown().back().buttons, MessageButtons::OkCancel) << c.name;
        EXPECT_EQ(beeps, beepsBefore + 1) << c.name;
        EXPECT_TRUE(window.isVisible()) << c.name;
        EXPECT_EQ(flags(), before) << c.name;
        EXPECT_EQ(captions(*window.ListView1), QStringList{"b"}) << c.name;
        EXPECT_EQ(window.document().fileName(), report) << c.name;
        EXPECT_EQ(dialogs.requests.size(), dialogsBefore) << c.name << ": no dialog after Cancel";

        messages.answer(ResultOk);
        c.command(window);
        EXPECT_EQ(messages.shown().size(), asked + 2) << c.name << ": asked once";
    }
    // Exit and the close box closed the window after OK; New emptied the document.
    window.show();
    window.New1Click();
    EXPECT_EQ(text(), newReport);
}

TEST_F(MainWindowTest, NothingUnsavedIsDroppedWithoutAQuestion) {
    window.Exit1Click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(beeps, 0);
}

TEST_F(MainWindowTest, CancelledDialogsChangeNothingButSaveKeepsItsSynchronisation) {
    const QString report = write("r.txt", "0\t0\t0\r\nLINE_INFO\r\nLABEL_STRING\r\nBLOCK_INFO\t9\r\n0\ta\r\n0\tb\r\n");
    open(report);
    window.PageControl1->setCurrentWidget(window.TabSheet2);
    selectRow(*window.ListView1, 0);
    window.btn_BdeleteClick();
    const QString textBefore = text();

    window.Open1Click();
    window.SaveAs1Click();
    EXPECT_EQ(text(), textBefore);
    EXPECT_EQ(window.document().fileName(), report);
    EXPECT_EQ(flags(), std::vector<int>({1, 0, 0, 0, 1}));
    EXPECT_EQ(captions(*window.ListView1), QStringList{"b"});

    window.New1Click();
    // An edit that leaves the lines as they were.
    window.document().insertRow(Section::Lines, 0, ListRow{});
    window.document().removeRow(Section::Lines, 0);
    window.Save1Click();
    EXPECT_EQ(text(), QStringLiteral("0\t0\t0\nLINE_INFO\t0\nLABEL_STRING\nBLOCK_INFO\n"));
    EXPECT_EQ(window.document().fileName(), QString());
    EXPECT_TRUE(window.document().unsaved());
    ASSERT_EQ(dialogs.requests.size(), 4u);
    EXPECT_EQ(dialogs.requests[1].objectName, QStringLiteral("OpenDialog1"));
    EXPECT_EQ(dialogs.requests[1].proposedName, report);
    EXPECT_EQ(dialogs.requests[1].filter, QStringLiteral("報表文字檔(*.txt)|*.txt|所有檔案(*.*)|*.*"));
}

TEST_F(MainWindowTest, EveryExampleOpenedAndSavedUnchangedIsByteIdentical) {
    for (const char* name : {"delivery_note.txt", "statement_b4.txt", "vertical_form.txt"}) {
        open(QString::fromStdString(examplePath(name)));
        EXPECT_GT(window.ListView1->topLevelItemCount(), 0) << name;
        for (QWidget* page : {window.TabSheet2, window.TabSheet4, window.TabSheet5, window.TabSheet1})
            window.PageControl1->setCurrentWidget(page);
        dialogs.answers.push_back(path(name));
        window.SaveAs1Click();
        EXPECT_EQ(read(path(name)), TempDir::read(examplePath(name))) << name;
    }
}

TEST_F(MainWindowTest, OpenReadsTheListsAndMakesLoneBreaksCrLf) {
    open(write("r.txt",
               "0\t0\t0\rline_info 1\n0\t1\t2\t3\t4\t5\r\nLABEL_STRING\n0\t1\t\xc1\x60 \xaa\xf7\xc3\x42\n"
               "BLOCK_INFO\n0\tb\n"));
    EXPECT_EQ(captions(*window.LV_Line), QStringList{"0"});
    EXPECT_EQ(captions(*window.LV_Label), QStringList{"金額"});
    EXPECT_EQ(window.LV_Label->topLevelItem(0)->columnCount(), 4);
    EXPECT_EQ(captions(*window.ListView1), QStringList{"b"});
    EXPECT_EQ(flags(), std::vector<int>(5, 0));
    EXPECT_EQ(window.PageControl1->currentWidget(), window.TabSheet1);

    // The extra value of the name with a blank is written back, a tab in
    // place of the blank.
    window.document().replaceRow(Section::Labels, 0, window.document().rows(Section::Labels)[0]);
    dialogs.answers.push_back(path("out.txt"));
    window.SaveAs1Click();
    EXPECT_EQ(read(path("out.txt")),
              "0\t0\t0\r\nline_info 1\r\n0\t1\t2\t3\t4\t5\r\nLABEL_STRING\t1\r\n0\t1\t\xc1\x60\t\xaa\xf7\xc3\x42\r\n"
              "BLOCK_INFO\r\n0\tb\r\n");
}

TEST_F(MainWindowTest, ACharacterBig5LacksIsRefusedAndNothingChanges) {
    const std::string bytes = "0\t0\t0\r\nLINE_INFO\r\nLABEL_STRING\r\nBLOCK_INFO\r\n";
    const QString report = write("r.txt", bytes);
    open(report);
    QTextCursor end(window.ME_text->document());
    end.movePosition(QTextCursor::End);
    window.ME_text->setTextCursor(end);
    test::commitText(*window.ME_text, QStringLiteral("0\té"));

    window.Save1Click();
    EXPECT_EQ(read(report), bytes);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, MessageKind::Warning);
    EXPECT_EQ(messages.shown()[0].text, "第 5 行的字元「é」(U+00E9) 無法以 Big5 儲存, 所以沒有存檔.");
    EXPECT_TRUE(window.document().unsaved());
    EXPECT_EQ(window.document().fileName(), report);
    EXPECT_EQ(status(), report);
    EXPECT_EQ(captions(*window.ListView1), QStringList{"é"});  // the synchronisation stays done
}

TEST_F(MainWindowTest, AFailedSaveLeavesTheOldFileAndTheDocument) {
    const std::string bytes = "0\t0\t0\r\nLINE_INFO\r\nLABEL_STRING\r\nBLOCK_INFO\r\n";
    const QString report = write("r.txt", bytes);
    open(report);
    test::typeText(*window.ME_text, QStringLiteral("x"));
    {
        test::FileSizeLimit limit(4);
        EXPECT_THROW(window.Save1Click(), ReportError);
        dialogs.answers.push_back(path("other.txt"));
        EXPECT_THROW(window.SaveAs1Click(), ReportError);
    }
    EXPECT_EQ(read(report), bytes);
    EXPECT_FALSE(std::filesystem::exists(path("other.txt").toStdString()));
    EXPECT_EQ(window.document().fileName(), report);
    EXPECT_EQ(status(), report);
    EXPECT_TRUE(window.document().unsaved());

    const QString textBefore = text();
    EXPECT_THROW(open(path("missing.txt")), ReportError);
    EXPECT_EQ(window.document().fileName(), report);
    EXPECT_EQ(text(), textBefore);
}

TEST_F(MainWindowTest, InsertEditAndDeleteActOnTheSelectedRow) {
    open(write("r.txt", "0\t0\t0\r\nLINE_INFO\r\n0\t1\r\nLABEL_STRING\r\n0\ta\r\n0\tb\r\n0\tc\r\n0\td\r\nBLOCK_INFO\r\n"));
    window.PageControl1->setCurrentWidget(window.TabSheet4);

    // Insert with the third row selected, cancelled.
    selectRow(*window.LV_Label, 2);
    window.btn_LinsertClick();
    ASSERT_EQ(editors.calls.size(), 1u);
    EXPECT_EQ(editors.calls[0].mode, QStringLiteral("label"));
    EXPECT_EQ(captions(*window.LV_Label), QStringList({"a", "b", "c", "d"}));
    EXPECT_EQ(flags(), std::vector<int>(5, 0));

    // Confirmed: the new row stands third, with twelve values offered.
    editors.answer = [](QTreeWidgetItem* row, int& confirmed) {
        EXPECT_EQ(row->columnCount(), 13);
        EXPECT_EQ(row->treeWidget()->indexOfTopLevelItem(row), 2);
        row->setText(0, QStringLiteral("new"));
        confirmed = 1;
    };
    window.btn_LinsertClick();
    EXPECT_EQ(captions(*window.LV_Label), QStringList({"a", "b", "new", "c", "d"}));
    EXPECT_EQ(flags(), std::vector<int>({0, 0, 1, 0, 1}));

    // Edit cancelled sets nothing new; delete without a selection does nothing.
    window.New1Click();
    open(write("r2.txt", "h\r\nLINE_INFO\r\n0\t1\r\nLABEL_STRING\r\nBLOCK_INFO\r\n"));
    editors.answer = nullptr;
    selectRow(*window.LV_Line, 0);
    window.LV_LineDblClick();
    EXPECT_EQ(editors.calls.back().mode, QStringLiteral("line"));
    EXPECT_EQ(editors.calls.back().row, window.LV_Line->topLevelItem(0));
    window.LV_Line->clearSelection();
    window.btn_NdeleteClick();
    window.ListView1DblClick();
    EXPECT_EQ(editors.calls.back().row, nullptr);
    EXPECT_EQ(window.LV_Line->topLevelItemCount(), 1);
    EXPECT_EQ(flags(), std::vector<int>(5, 0));

    // A confirmed line insert gets five values; a confirmed edit marks the list.
    editors.answer = confirmAs({"2", "3", "0", "0", "9", "9"});
    window.btn_NinsertClick();
    EXPECT_EQ(window.LV_Line->topLevelItem(1)->columnCount(), 6);
    selectRow(*window.LV_Line, 0);
    window.LV_LineDblClick();
    EXPECT_EQ(flags(), std::vector<int>({0, 1, 0, 0, 1}));
    window.PageControl1Changing();
    EXPECT_EQ(text(), QStringLiteral("h\nLINE_INFO\t2\n2\t3\t0\t0\t9\t9\t\n2\t3\t0\t0\t9\t9\t\nLABEL_STRING\nBLOCK_INFO\n"));
}

TEST_F(MainWindowTest, LeavingAListPageWritesItsSectionAndLeavingTheSourceReadsTheLists) {
    // A confirmed insert holds every value column, the untouched ones empty.
    const auto row = [](const char* written, int emptyValues) {
        QString text = QString::fromLatin1(written);
        return text.insert(text.lastIndexOf(u'\t') + 1, QString(emptyValues, u'\t'));
    };
    window.PageControl1->setCurrentWidget(window.TabSheet2);
    editors.answer = confirmAs({"b", "0", "1"});
    window.btn_BinsertClick();
    window.PageControl1->setCurrentWidget(window.TabSheet4);
    const QString blocks = QStringLiteral("BLOCK_INFO\t1\n") + row("0\t1\tb", 10) + u'\n';
    EXPECT_EQ(text(), QStringLiteral("0\t0\t0\nLINE_INFO\nLABEL_STRING\n") + blocks);
    editors.answer = confirmAs({"l", "2"});
    window.btn_LinsertClick();
    window.PageControl1->setCurrentWidget(window.TabSheet5);
    EXPECT_EQ(text(), QStringLiteral("0\t0\t0\nLINE_INFO\nLABEL_STRING\t1\n") + row("2\tl", 11) + u'\n' + blocks);
    EXPECT_TRUE(window.document().unsaved());
    EXPECT_FALSE(window.document().textTyped());

    // Typed in the source: the lists follow when the page is left, and a
    // section typed away is written back where it belongs.
    window.PageControl1->setCurrentWidget(window.TabSheet1);
    window.ME_text->setPlainText(QStringLiteral("1\t0\t0\nLINE_INFO\n0\t1\t2\nLABEL_STRING\n"));
    window.PageControl1->setCurrentWidget(window.TabSheet2);
    EXPECT_EQ(window.ListView1->topLevelItemCount(), 0);
    EXPECT_EQ(captions(*window.LV_Line), QStringList{"0"});
    editors.answer = confirmAs({"x", "5"});
    window.btn_BinsertClick();
    window.PageControl1->setCurrentWidget(window.TabSheet3);
    EXPECT_EQ(text(), QStringLiteral("1\t0\t0\nLINE_INFO\n0\t1\t2\nLABEL_STRING\nBLOCK_INFO\t1\n") +
                          row("5\tx", 11) + u'\n');
}

TEST_F(MainWindowTest, HelpRunsTheVersionWindowCommand) {
    int shown = 0;
    window.setHelpCommand([&] { ++shown; });
    window.MU_help->trigger();
    EXPECT_EQ(shown, 1);
}

// Through the real widgets: a label deleted on the LABEL page reaches the
// saved file, and the engine draws the file without it.
TEST_F(MainWindowTest, ALabelDeletedThroughTheWidgetsIsGoneFromTheRenderedReport) {
    const std::string original = TempDir::read(examplePath("delivery_note.txt"));
    const QString copy = write("note.txt", original);
    open(copy);
    QTabBar* tabs = window.PageControl1->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(3).center());
    ASSERT_EQ(window.PageControl1->currentWidget(), window.TabSheet4);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTreeWidgetItem* third = window.LV_Label->topLevelItem(2);
    const QRect rect = window.LV_Label->visualItemRect(third);
    QTest::mouseClick(window.LV_Label->viewport(), Qt::LeftButton, {}, rect.center());
    ASSERT_EQ(window.LV_Label->currentItem(), third);
    const int labels = window.LV_Label->topLevelItemCount();
    QTest::mouseClick(window.btn_Ldelete, Qt::LeftButton);
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    EXPECT_TRUE(text().contains(QStringLiteral("LABEL_STRING\t%1\n").arg(labels - 1)));
    window.Save1->trigger();

    // The same edit by hand: the third label row gone, its count one less.
    std::string expected = original;
    const std::size_t keyword = expected.find("LABEL_STRING\t42\r\n");
    ASSERT_NE(keyword, std::string::npos);
    expected.replace(keyword, 15, "LABEL_STRING\t41");
    std::size_t row = expected.find("\r\n", keyword) + 2;
    for (int i = 0; i < 2; ++i) row = expected.find("\r\n", row) + 2;  // the third row
    expected.erase(row, expected.find("\r\n", row) + 2 - row);
    EXPECT_EQ(read(copy), expected);

    const std::string expectedPath = dir.write("expected.txt", expected);
    const std::string render = std::string(ZARVO_RENDER) + " --trace --data-dir '" + dir.path().string() + "' ";
    const test::CommandResult saved = test::runCommand(render + "'" + copy.toStdString() + "'", dir);
    const test::CommandResult byHand = test::runCommand(render + "'" + expectedPath + "'", dir);
    const test::CommandResult before =
        test::runCommand(render + "'" + examplePath("delivery_note.txt") + "'", dir);
    ASSERT_EQ(saved.status, 0) << saved.err;
    EXPECT_EQ(saved.out, byHand.out);
    EXPECT_NE(saved.out, before.out);
}

// Test data goes through the report's own two dialogs, in Big5 with CR LF,
// and comes back as it was; a file that cannot be read changes nothing.
TEST_F(MainWindowTest, TestDataIsSavedAndReadBackThroughTheSameDialogs) {
    const QString data = path("data.txt");
    window.ME_data->setPlainText(QStringLiteral("金額,100\n\nsingle\n"));
    dialogs.answers.push_back(data);
    QTest::mouseClick(window.btn_savedata, Qt::LeftButton);
    EXPECT_EQ(read(data), "\xaa\xf7\xc3\x42,100\r\n\r\nsingle\r\n");
    QTest::mouseClick(window.btn_clear, Qt::LeftButton);
    EXPECT_EQ(editorText(*window.ME_data), QString());
    dialogs.answers.push_back(data);
    QTest::mouseClick(window.btn_readdata, Qt::LeftButton);
    EXPECT_EQ(editorText(*window.ME_data), QStringLiteral("金額,100\n\nsingle\n"));
    ASSERT_EQ(dialogs.requests.size(), 2u);
    EXPECT_EQ(dialogs.requests[0].objectName, QStringLiteral("SaveDialog1"));
    EXPECT_EQ(dialogs.requests[1].objectName, QStringLiteral("OpenDialog1"));
    EXPECT_EQ(dialogs.requests[1].filter, QStringLiteral("報表文字檔(*.txt)|*.txt|所有檔案(*.*)|*.*"));
    EXPECT_EQ(window.SaveDialog1.fileName(), data);  // proposed next time, for a report too

    dialogs.answers.push_back(write("breaks.txt", "a\rb\nc"));
    window.btn_readdataClick();
    EXPECT_EQ(editorText(*window.ME_data), QStringLiteral("a\nb\nc"));
    dialogs.answers.push_back(path("missing.txt"));
    EXPECT_THROW(window.btn_readdataClick(), ReportError);
    EXPECT_EQ(editorText(*window.ME_data), QStringLiteral("a\nb\nc"));

    window.ME_data->setPlainText(QStringLiteral("a,1\nb,\u00e9"));
    dialogs.answers.push_back(data);
    window.btn_savedataClick();
    EXPECT_EQ(read(data), "\xaa\xf7\xc3\x42,100\r\n\r\nsingle\r\n");
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"第 2 行的字元「é」(U+00E9) 無法以 Big5 儲存, 所以沒有存檔."});
    EXPECT_EQ(flags(), (std::vector<int>{0, 0, 0, 0, 0}));
}

TEST_F(MainWindowTest, AddingABlockToTheTestDataAppendsItsNameAndAComma) {
    window.document().open(QStringLiteral("0\t0\t0\nLINE_INFO\nLABEL_STRING\nBLOCK_INFO\n0\tqty\n"), QString());
    window.PageControl1->setCurrentWidget(window.TabSheet2);
    window.PM_testClick();  // nothing selected
    EXPECT_EQ(editorText(*window.ME_data), QString());
    selectRow(*window.ListView1, 0);
    const std::pair<const char*, const char*> cases[] = {
        {"", "qty,"}, {"a,1", "a,1\nqty,"}, {"a,1\n", "a,1\nqty,"}};
    for (const auto& [before, after] : cases) {
        window.ME_data->setPlainText(QString::fromUtf8(before));
        QTest::mouseClick(window.btn_test, Qt::LeftButton);
        EXPECT_EQ(editorText(*window.ME_data), QString::fromUtf8(after)) << before;
    }
    window.PM_test->trigger();
    EXPECT_EQ(editorText(*window.ME_data), QStringLiteral("a,1\nqty,\nqty,"));
    EXPECT_EQ(window.PageControl1->currentWidget(), window.TabSheet2);
    EXPECT_FALSE(window.document().unsaved());
}

TEST_F(MainWindowTest, TestDataGoesBesideTheReportAndNeverOverIt) {
    const std::string bytes = "0\t0\t0\r\nLINE_INFO\r\nLABEL_STRING\r\nBLOCK_INFO\r\n";
    const QString report = write("delivery_note.txt", bytes);
    open(report);
    window.ME_data->setPlainText(QStringLiteral("qty,1"));

    dialogs.answers.push_back(report);  // Enter on the report's own name
    window.btn_savedataClick();
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"這是目前的報表檔, 不能存成測試資料"});
    EXPECT_EQ(read(report), bytes);
    EXPECT_EQ(dialogs.requests.back().proposedName, path("delivery_note_data.txt"));

    dialogs.answers.push_back(path("delivery_note_data.txt"));
    window.btn_savedataClick();
    EXPECT_EQ(read(path("delivery_note_data.txt")), "qty,1");
    EXPECT_EQ(read(report), bytes);
    // Once there is a test data file, both dialogs propose it.
    window.btn_readdataClick();
    EXPECT_EQ(dialogs.requests.back().objectName, QStringLiteral("OpenDialog1"));
    EXPECT_EQ(dialogs.requests.back().proposedName, path("delivery_note_data.txt"));
    // A name typed without an extension gets ".txt", for reports and test data alike.
    dialogs.answers.push_back(path("orders"));
    window.btn_savedataClick();
    EXPECT_EQ(read(path("orders.txt")), "qty,1");
    dialogs.answers.push_back(path("receipt"));
    window.SaveAs1Click();
    EXPECT_EQ(read(path("receipt.txt")), bytes);
    EXPECT_EQ(window.document().fileName(), path("receipt.txt"));
}

TEST_F(MainWindowTest, ExitAsksAboutTypedTestDataOnlyWhenTheProgramIsStillEnding) {
    test::typeText(*window.ME_data, QStringLiteral("qty,1"));
    messages.answer(ResultCancel);
    window.Exit1Click();
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"測試資料尚未存檔, 是否確定離開 ?"});
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(editorText(*window.ME_data), QStringLiteral("qty,1"));

    // The report's own question first; its Cancel ends the matter.
    test::typeText(*window.ME_text, QStringLiteral("x"));
    messages.answer(ResultCancel);
    window.close();
    EXPECT_EQ(messages.texts().back(), "尚未存檔, 是否確定離開 ?");
    EXPECT_EQ(messages.texts().size(), 2u);
    EXPECT_TRUE(window.isVisible());

    window.Save1Click();  // cancelled: still unsaved
    dialogs.answers.push_back(path("data.txt"));
    window.btn_savedataClick();
    messages.answer(ResultOk);
    window.Exit1Click();
    EXPECT_EQ(messages.texts().back(), "尚未存檔, 是否確定離開 ?");
    EXPECT_FALSE(window.isVisible());
}

TEST_F(MainWindowTest, OnlyRegularFilesOfSensibleSizeAreRead) {
    const std::filesystem::path zero = dir.path() / "zero.txt";
    std::filesystem::create_symlink("/dev/zero", zero);
    const std::filesystem::path fifo = dir.path() / "fifo.txt";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const QString large = path("large.txt");
    std::filesystem::resize_file(dir.write("large.txt", ""), (std::uintmax_t(64) << 20) + 1);
    const std::pair<std::filesystem::path, const char*> cases[] = {
        {zero, "這不是一般的檔案, 無法讀取:\n\n"},
        {fifo, "這不是一般的檔案, 無法讀取:\n\n"},
        {large.toStdString(), "檔案超過 64 MiB, 無法讀取:\n\n"},
    };
    const QString before = text();
    for (const auto& [file, message] : cases) {
        for (const auto& command : {&MainWindow::Open1Click, &MainWindow::btn_readdataClick}) {
            dialogs.answers.push_back(QString::fromStdString(file.string()));
            try {
                (window.*command)();
                ADD_FAILURE() << file << " was read";
            } catch (const ReportError& error) {
                EXPECT_EQ(error.what(), message + file.string());
            }
        }
    }
    EXPECT_EQ(text(), before);
    EXPECT_EQ(editorText(*window.ME_data), QString());
}

TEST_F(MainWindowTest, RowCommandsWaitWhileAnEditorIsOpen) {
    window.document().insertRow(Section::Blocks, 0, ListRow{QStringLiteral("qty"), {}});
    selectRow(*window.ListView1, 0);
    editors.answer = [this](QTreeWidgetItem* row, int& confirmed) {
        // Driven faster than a person could: every row command again.
        window.btn_BinsertClick();
        window.ListView1DblClick();
        window.btn_BdeleteClick();
        confirmAs({QStringLiteral("price")})(row, confirmed);
    };
    window.btn_BinsertClick();
    EXPECT_EQ(editors.calls.size(), 1u);
    EXPECT_EQ(captions(*window.ListView1), (QStringList{QStringLiteral("price"), QStringLiteral("qty")}));
}

// Commands driven faster than a person could while a row editor is open
// would free or rewrite the row under it: they are refused without a word,
// the window stays and its page too.
TEST_F(MainWindowTest, CommandsThatWouldDropTheRowsWaitWhileAnEditorIsOpen) {
    const std::pair<const char*, std::function<void()>> commands[] = {
        {"New", [this] { window.New1Click(); }},
        {"Open", [this] { window.Open1Click(); }},
        {"Save", [this] { window.Save1Click(); }},
        {"Save As", [this] { window.SaveAs1Click(); }},
        {"Exit", [this] { window.Exit1Click(); }},
        {"close box", [this] { window.close(); }},
        {"other page", [this] { window.PageControl1->setCurrentWidget(window.TabSheet1); }},
        {"Preview", [this] { window.Print1Click(); }},
        {"read test data", [this] { window.btn_readdataClick(); }},
    };
    const QString other = write("other.txt", "0\t0\t0\r\nLINE_INFO\r\nLABEL_STRING\r\nBLOCK_INFO\r\n");
    window.PageControl1->setCurrentWidget(window.TabSheet2);
    for (const auto& [name, command] : commands) {
        SCOPED_TRACE(name);
        window.document().open(QStringLiteral("0\t0\t0\nLINE_INFO\nLABEL_STRING\nBLOCK_INFO\n0\tqty\n"), QString());
        selectRow(*window.ListView1, 0);
        // Typed text that a page change would read into the lists.
        window.document().typeText(window.document().text());
        dialogs.answers = {other};
        editors.answer = [&command](QTreeWidgetItem* row, int& confirmed) {
            command();
            confirmAs({QStringLiteral("price")})(row, confirmed);
        };
        window.btn_BinsertClick();
        EXPECT_EQ(captions(*window.ListView1), (QStringList{QStringLiteral("price"), QStringLiteral("qty")}));
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(window.PageControl1->currentWidget(), window.TabSheet2);
        EXPECT_EQ(dialogs.answers.size(), 1u);
        EXPECT_TRUE(messages.shown().empty());
    }
}

TEST_F(MainWindowTest, MenuCommandsHaveTheirKeys) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const std::pair<QKeyCombination, const char*> cases[] = {
        {Qt::CTRL | Qt::Key_O, "OpenDialog1"},
        {Qt::CTRL | Qt::Key_S, "SaveDialog1"},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_S, "SaveDialog1"},
    };
    for (const auto& [keys, dialog] : cases) {
        QTest::keyClick(window.ME_text, keys.key(), keys.keyboardModifiers());
        ASSERT_FALSE(dialogs.requests.empty()) << dialog;
        EXPECT_EQ(dialogs.requests.back().objectName, QString::fromLatin1(dialog));
        dialogs.requests.clear();
    }
    test::typeText(*window.ME_text, QStringLiteral("x"));
    messages.answer(ResultCancel);
    QTest::keyClick(window.ME_text, Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(window.ME_text, Qt::Key_F5);
    EXPECT_EQ(messages.texts(), (std::vector<std::string>{"尚未存檔, 是否放棄目前的報表 ?", "尚未存檔, 是否列印硬碟上的舊報表檔 ?",
                                                          "找不到報表檔:\n\n\n\n所以無法列印"}));
}

TEST_F(MainWindowTest, TheSourceShowsLineNumbersInAFaceThatTellsZeroFromO) {
    EXPECT_EQ(QFontInfo(window.ME_text->font()).family(), QStringLiteral("DejaVu Sans Mono"));
    auto* numbers = window.ME_text->findChild<QWidget*>(QStringLiteral("LineNumbers"));
    ASSERT_NE(numbers, nullptr);
    EXPECT_GT(numbers->width(), 0);
    EXPECT_EQ(window.ME_text->viewport()->geometry().left(), numbers->geometry().right() + 1);
    window.ME_text->setPlainText(QString(120, u'\n'));
    window.ME_text->goToLine(100);
    EXPECT_EQ(window.ME_text->textCursor().blockNumber(), 99);
}

// Save & Preview previews whatever the save did: here nothing was saved.
TEST_F(MainWindowTest, SaveAndPreviewWithTheSaveDialogCancelledAsksThenFindsNoFile) {
    test::typeText(*window.ME_text, QStringLiteral("x"));
    messages.answer(ResultYes);
    window.SavePreview1->trigger();
    EXPECT_EQ(messages.texts(),
              (std::vector<std::string>{"尚未存檔, 是否列印硬碟上的舊報表檔 ?", "找不到報表檔:\n\n\n\n所以無法列印"}));
    EXPECT_EQ(dialogs.requests.size(), 1u);
}

}  // namespace
}  // namespace zarvo
