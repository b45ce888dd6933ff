// The Layout page in the main window: the selection it takes from a list
// page, the list pages' edits and commands that change what it edits, Save
// As from the window, and the window around it.

#include <filesystem>
#include <functional>
#include <set>

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include "designer/MainWindow.h"
#include "document/Big5TextFile.h"
#include "layout/LayoutPage.h"
#include "layout/LayoutView.h"
#include "layout/StatusText.h"
#include "report/ReportError.h"
#include "tests/common/MarginSpooler.h"
#include "tests/common/RecordingPresenter.h"
#include "tests/common/TempDir.h"
#include "tests/windows/designer/AnsweringFileDialogs.h"
#include "tests/windows/designer/ScriptedEditors.h"
#include "tests/windows/layout/ViewPointer.h"

namespace zarvo {
namespace {

using test::ScriptedEditors;
using test::TempDir;

std::string example(const char* name) {
    return TempDir::read(std::string(ZARVO_SOURCE_DIR) + "/examples/" + name);
}

class MainWindowLayoutTest : public testing::Test {
protected:
    void SetUp() override {
        window.setRowEditors(&editors);
        window.setBeep([] {});
        window.resize(1100, 1450);
        window.show();
    }

    LayoutPage& page() { return *window.TabSheet6; }
    LayoutView& view() { return *page().layoutView; }
    QString file(const std::string& name, std::string_view bytes) {
        std::filesystem::create_directories((dir.path() / name).parent_path());
        return QString::fromStdString(dir.write(name, bytes));
    }
    QString path(const std::string& name) { return QString::fromStdString((dir.path() / name).string()); }
    void open(const QString& report) {
        dialogs.answers.push_back(report);
        window.Open1Click();
    }
    std::string saveAs(const std::string& name) {
        std::filesystem::create_directories((dir.path() / name).parent_path());
        dialogs.answers.push_back(path(name));
        window.SaveAs1Click();
        return TempDir::read(path(name).toStdString());
    }
    void showPage(QWidget* tab) { window.PageControl1->setCurrentWidget(tab); }
    void key(int code, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(&view(), Qt::Key(code), modifiers);
    }
    QPoint at(double x, double y) { return test::viewPoint(view(), x, y); }
    void mouse(QEvent::Type type, QPoint point, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = {}) {
        test::sendMouse(view(), type, point, buttons, modifiers);
    }
    void drag(QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = {}) {
        mouse(QEvent::MouseButtonPress, from, Qt::LeftButton, modifiers);
        mouse(QEvent::MouseMove, (from + to) / 2, Qt::LeftButton, modifiers);
        mouse(QEvent::MouseMove, to, Qt::LeftButton, modifiers);
        mouse(QEvent::MouseButtonRelease, to, Qt::NoButton, modifiers);
    }
    // Opens the delivery note with its test data and shows the Layout page.
    void openDeliveryNote() {
        original = example("delivery_note.txt");
        open(file("note/delivery_note.txt", original));
        window.ME_data->setPlainText(decodeBig5Text(example("delivery_note_data.txt")));
        showPage(window.TabSheet2);
        window.ListView1->setCurrentItem(window.ListView1->topLevelItem(0));
        showPage(window.TabSheet6);
    }
    // A blank A4 scan at 300 dpi that stores its resolution: pics/scan.png.
    std::string picture() {
        std::filesystem::create_directories(dir.path() / "pics");
        QImage scan(2480, 3508, QImage::Format_RGB32);
        scan.fill(Qt::white);
        scan.setDotsPerMeterX(11811);
        scan.setDotsPerMeterY(11811);
        const QString file = path("pics/scan.png");
        EXPECT_TRUE(scan.save(file));
        return file.toStdString();
    }
    // Chooses picture as the stationery through the window's file dialog.
    void choosePicture(const std::string& picture) {
        dialogs.answers.push_back(QString::fromStdString(picture));
        page().btn_stationery->click();
    }

    TempDir dir;
    test::RecordingPresenter messages;
    test::AnsweringFileDialogs dialogs;
    ScriptedEditors editors;
    // None until a test gives some.
    test::MarginSpooler printers;
    MainWindow window{printers};
    std::string original;
};

TEST_F(MainWindowLayoutTest, TheSixthPageShowsTheViewWithTheFocusAndTheWindowResizes) {
    EXPECT_NE(window.minimumSize(), window.maximumSize());
    showPage(window.TabSheet6);
    EXPECT_EQ(window.focusWidget(), &view());
}

TEST_F(MainWindowLayoutTest, TheHistoryEndsWithAnEditOnAListPage) {
    openDeliveryNote();
    key(Qt::Key_Right);
    ASSERT_TRUE(view().editor().history().canUndo());
    showPage(window.TabSheet2);
    window.btn_BdeleteClick();
    EXPECT_FALSE(view().editor().history().canUndo());
}

// The row selected on a list page is the selection of the Layout page shown
// next.
TEST_F(MainWindowLayoutTest, TheRowSelectedOnAListPageIsTheLayoutPagesSelection) {
    struct Case {
        QWidget* page;
        QTreeWidget* list;
        RowKind kind;
    };
    const Case cases[] = {{window.TabSheet2, window.ListView1, RowKind::Block},
                          {window.TabSheet4, window.LV_Label, RowKind::Label},
                          {window.TabSheet5, window.LV_Line, RowKind::Line}};
    open(file("note.txt", example("delivery_note.txt")));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page->objectName().toStdString());
        showPage(c.page);
        c.list->setCurrentItem(c.list->topLevelItem(1));
        showPage(window.TabSheet6);
        EXPECT_EQ(view().editor().selection(), (std::vector<RowRef>{{c.kind, 1}}));
    }
}

TEST_F(MainWindowLayoutTest, ALongFileNameDoesNotWidenTheWindow) {
    window.resize(700, 900);
    QApplication::processEvents();
    const int width = window.width();
    const std::string folder = "long/" + std::string(200, 'd');
    const QString report = file(folder + "/note.txt", example("delivery_note.txt"));
    open(report);
    QApplication::processEvents();
    EXPECT_EQ(window.width(), width);
    EXPECT_EQ(window.ST_headPanel->text(), report);
    EXPECT_EQ(window.ST_headPanel->toolTip(), report);
}

// New while a row editor opened from the Layout page is open would free the
// row under it: it is refused, and the editor's row is still the list's
// when it closes.
TEST_F(MainWindowLayoutTest, WhileARowEditorOfTheLayoutPageIsOpenNewChangesNothing) {
    struct Case {
        const char* name;
        std::function<void()> openEditor;
    };
    const Case cases[] = {
        {"a line drawn with Alt+Shift",
         [this] { drag(at(60, 200), at(100, 200), Qt::AltModifier | Qt::ShiftModifier); }},
        {"a double-click on customer", [this] { mouse(QEvent::MouseButtonDblClick, at(60, 38), Qt::LeftButton); }},
    };
    openDeliveryNote();
    const QString report = window.document().fileName();
    view().setDpi(228);
    view().horizontalScrollBar()->setValue(0);
    view().verticalScrollBar()->setValue(0);
    const auto counts = [this] {
        return std::vector<int>{window.LV_Line->topLevelItemCount(), window.LV_Label->topLevelItemCount(),
                                window.ListView1->topLevelItemCount()};
    };
    const std::vector<int> before = counts();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        editors.calls.clear();
        bool rowKept = false;
        editors.answer = [&](QTreeWidgetItem* row, int&) {
            const std::vector<int> open = counts();
            window.New1Click();
            EXPECT_EQ(counts(), open);
            rowKept = row->treeWidget() != nullptr;
        };
        c.openEditor();
        EXPECT_EQ(editors.calls.size(), 1u);
        EXPECT_TRUE(rowKept);
        EXPECT_EQ(counts(), before);
        EXPECT_EQ(window.document().fileName(), report);
    }
    EXPECT_TRUE(messages.shown().empty());
}

// Save As writes the report and its settings as one: when the settings
// cannot be written, neither is, and the window keeps the old name, still
// unsaved, so that the next Save goes where the window says.
TEST_F(MainWindowLayoutTest, ASaveAsWhoseSettingsCannotBeWrittenWritesNothing) {
    openDeliveryNote();
    choosePicture(picture());
    page().TB_strength->setValue(70);
    const QString report = window.document().fileName();
    const std::string before = saveAs("note/delivery_note.txt");
    ASSERT_EQ(window.document().fileName(), report);
    page().TB_strength->setValue(40);
    ASSERT_TRUE(window.document().unsaved());
    std::filesystem::create_directories(dir.path() / "new" / "form.zarvo");
    const auto names = [&] {
        std::set<std::string> found;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path())) {
            found.insert(entry.path().string());
        }
        return found;
    };
    const std::set<std::string> filesBefore = names();
    const std::string settingsFile = path("note/delivery_note.zarvo").toStdString();
    const std::string keptSettings = TempDir::read(settingsFile);

    dialogs.answers.push_back(path("new/form.txt"));
    try {
        window.SaveAs1Click();
        ADD_FAILURE() << "no error";
    } catch (const ReportError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "無法寫入檔案:\n\n" + path("new/form.zarvo").toStdString() + "\n\n它是目錄, 檔案都沒有改變.");
    }
    EXPECT_EQ(names(), filesBefore);
    EXPECT_EQ(TempDir::read(report.toStdString()), before);
    EXPECT_EQ(TempDir::read(settingsFile), keptSettings);
    EXPECT_EQ(window.document().fileName(), report);
    EXPECT_EQ(window.ST_headPanel->text(), report);
    EXPECT_TRUE(window.document().unsaved());

    // Both are written together once the name can take them.
    std::filesystem::remove(dir.path() / "new" / "form.zarvo");
    EXPECT_EQ(saveAs("new/form.txt"), before);
    EXPECT_NE(TempDir::read(path("new/form.zarvo").toStdString()).find("strength=40"), std::string::npos);
    EXPECT_EQ(window.document().fileName(), path("new/form.txt"));
    EXPECT_FALSE(window.document().unsaved());
}

TEST_F(MainWindowLayoutTest, FieldPropertiesWriteTheBlocksSectionAsOneUndoStep) {
    openDeliveryNote();
    std::string sampleSeen;
    std::vector<std::size_t> entriesSeen;
    window.setFieldAsker([&](const FrameRow& row, const ProfileSection& section, const std::string& sample) {
        EXPECT_EQ(row.label, "customer");
        EXPECT_EQ(row.width, 98);
        entriesSeen.push_back(section.entries.size());
        sampleSeen = sample;
        ProfileSection kept = section;
        kept.set("kind", "qr");
        return std::optional<ProfileSection>(kept);
    });
    showPage(window.TabSheet2);
    window.ListView1->setCurrentItem(window.ListView1->topLevelItem(0));
    window.ListView1->topLevelItem(0)->setSelected(true);
    window.btn_Bfield->click();
    EXPECT_FALSE(sampleSeen.empty());
    ASSERT_NE((*window.document().profile()).block("customer"), nullptr);
    EXPECT_EQ(*(*window.document().profile()).block("customer")->value("kind"), "qr");
    EXPECT_TRUE(window.document().unsaved());

    showPage(window.TabSheet6);
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ((*window.document().profile()).block("customer"), nullptr);
    key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_NE((*window.document().profile()).block("customer"), nullptr);
    // The Layout page's context menu asks the same.
    view().showFieldProperties(RowRef{RowKind::Block, 0});
    EXPECT_EQ(entriesSeen, (std::vector<std::size_t>{0, 1}));
}

// A block's profile section goes with its name: renamed with the block on
// the BLOCKS page, deleted with it on the Layout page and back with undo.
TEST_F(MainWindowLayoutTest, ABlocksSectionFollowsItsRenameAndDeletion) {
    file("f/note.zarvo", "[Block customer]\nformat=amount-tw\n");
    open(file("f/note.txt", example("delivery_note.txt")));
    showPage(window.TabSheet2);
    window.ListView1->setCurrentItem(window.ListView1->topLevelItem(0));
    editors.answer = [](QTreeWidgetItem* row, int& confirmed) {
        row->setText(0, QStringLiteral("buyer"));
        confirmed = 1;
    };
    window.btn_Bedit->click();
    EXPECT_EQ((*window.document().profile()).block("customer"), nullptr);
    ASSERT_NE((*window.document().profile()).block("buyer"), nullptr);

    showPage(window.TabSheet6);
    view().editor().select({RowRef{RowKind::Block, 0}});
    key(Qt::Key_Delete);
    EXPECT_EQ((*window.document().profile()).block("buyer"), nullptr);
    key(Qt::Key_Z, Qt::ControlModifier);
    ASSERT_NE((*window.document().profile()).block("buyer"), nullptr);
    EXPECT_EQ(*(*window.document().profile()).block("buyer")->value("format"), "amount-tw");
    EXPECT_EQ(window.ListView1->topLevelItem(0)->text(0), QStringLiteral("buyer"));
}

}  // namespace
}  // namespace zarvo
