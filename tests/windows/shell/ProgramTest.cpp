// The program from start to end: a form drawn row by row through the editor
// dialogs, saved, previewed with test data and printed.

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include "designer/MainWindow.h"
#include "platform/os/DataRoot.h"
#include "platform/recording/RecordingSpooler.h"
#include "preview/PreviewForm.h"
#include "shell/Startup.h"
#include "tests/common/Command.h"
#include "tests/common/RecordingPresenter.h"
#include "tests/common/TempDir.h"
#include "tests/windows/designer/AnsweringFileDialogs.h"
#include "tests/support/ModalAnswerer.h"
#include "tests/support/TextInput.h"

namespace zarvo {
namespace {

using test::ModalAnswerer;

template <typename Widget>
Widget& child(QWidget& window, const char* name) {
    auto* widget = window.findChild<Widget*>(QString::fromLatin1(name));
    if (!widget) throw std::runtime_error(std::string("no control ") + name);
    return *widget;
}

// Replaces the text of the edit named name as the user does: select all, type.
void retype(QWidget& dialog, const char* name, const QString& text) {
    auto& edit = child<QLineEdit>(dialog, name);
    edit.setFocus();
    QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
    test::commitText(edit, text);
}

// Fills a dialog's edits (name, text) and lists (name, item), then confirms.
ModalAnswerer::Action fillAndConfirm(std::vector<std::pair<const char*, QString>> edits,
                                     std::vector<std::pair<const char*, int>> lists) {
    return [edits, lists](QWidget& dialog) {
        for (const auto& [name, text] : edits) retype(dialog, name, text);
        for (const auto& [name, item] : lists) child<QComboBox>(dialog, name).setCurrentIndex(item);
        child<QPushButton>(dialog, "btn_confirm").click();
    };
}

class ProgramTest : public testing::Test {
protected:
    ProgramTest() {
        setDataRootOverride((dir.path() / "data").string());
    }
    ~ProgramTest() override {
        setDataRootOverride("");
    }

    void insertThroughDialog(QWidget& page, QPushButton& insert, ModalAnswerer::Action fill) {
        zarvo2_Form->PageControl1->setCurrentWidget(&page);
        ModalAnswerer dialog(std::move(fill));
        QTest::mouseClick(&insert, Qt::LeftButton);
        ASSERT_TRUE(dialog.answered());
        ASSERT_FALSE(dialog.forced());
    }
    std::string render(const std::string& args) {
        const test::CommandResult result = test::runCommand(
            std::string(ZARVO_RENDER) + " --data-dir '" + (dir.path() / "cli").string() + "' " + args, dir);
        EXPECT_EQ(result.status, 0) << result.err;
        return result.out;
    }

    test::TempDir dir;
    test::RecordingPresenter messages;
    test::AnsweringFileDialogs dialogs;
    std::ostringstream trace;
    RecordingSpooler spooler{trace, 300, {{"Office", true}}};
};

TEST_F(ProgramTest, AFormDrawnThroughTheDialogsIsSavedPreviewedAndPrinted) {
    StartupWindows windows(startupSteps(), spooler);
    MainWindow& main = *zarvo2_Form;
    main.show();

    insertThroughDialog(*main.TabSheet5, *main.btn_Ninsert,
                        fillAndConfirm({{"ED_width", "2"}, {"ED_fx", "10"}, {"ED_fy", "30"}, {"ED_tx", "190"},
                                        {"ED_ty", "30"}},
                                       {{"CB_style", 0}}));
    const std::vector<std::pair<const char*, QString>> frame = {
        {"ED_left", "10"},  {"ED_top", "10"},   {"ED_width", "80"},   {"ED_height", "15"}, {"ED_rowgap", "0"},
        {"ED_colgap", "1"}, {"ED_ychar", "8"}, {"ED_xmargin", "0"}, {"ED_ymargin", "0"}};
    auto withName = [&frame](const QString& name) {
        auto edits = frame;
        edits.insert(edits.begin(), {"ED_name", name});
        return edits;
    };
    insertThroughDialog(*main.TabSheet4, *main.btn_Linsert,
                        fillAndConfirm(withName(QStringLiteral("送貨單")), {{"CB_style", 0}, {"CB_distrb", 0}, {"CB_font", 1}}));
    auto blockFrame = withName(QStringLiteral("customer"));
    blockFrame[2].second = QStringLiteral("40");  // ED_top: below the line
    insertThroughDialog(*main.TabSheet2, *main.btn_Binsert,
                        fillAndConfirm(blockFrame, {{"CB_style", 0}, {"CB_distrb", 0}, {"CB_font", 0}}));
    main.PageControl1->setCurrentWidget(main.TabSheet1);

    const std::string saved = (dir.path() / "form.txt").string();
    dialogs.answers.push_back(QString::fromStdString(saved));
    main.SaveAs1->trigger();
    EXPECT_EQ(test::TempDir::read(saved),
              "0\t0\t0\r\n"
              "LINE_INFO\t1\r\n0\t2\t10\t30\t190\t30\t\r\n"
              "LABEL_STRING\t1\r\n0\t10\t10\t80\t15\t0\t1\t0\t1\t8\t0\t0\t\xb0\x65\xb3\x66\xb3\xe6\r\n"
              "BLOCK_INFO\t1\r\n0\t10\t40\t80\t15\t0\t1\t0\t0\t8\t0\t0\tcustomer\r\n");

    main.PageControl1->setCurrentWidget(main.TabSheet3);
    main.ME_data->setFocus();
    test::typeText(*main.ME_data, QStringLiteral("customer,ACME"));
    QTest::keyClick(main.ME_data, Qt::Key_Return);
    test::typeText(*main.ME_data, QStringLiteral("unknown , 1"));
    const std::string data = dir.write("data.txt", "customer,ACME\r\nunknown , 1\r\n");

    QImage shown;
    bool printed = false;
    ModalAnswerer previewAndPrint([&](QWidget& preview) {
        shown = child<QWidget>(preview, "Image1").grab().toImage().convertToFormat(QImage::Format_RGB32);
        ModalAnswerer everyPage([](QWidget& range) {
            child<QRadioButton>(range, "RB3").setChecked(true);
            child<QPushButton>(range, "Button1").click();
        });
        child<QPushButton>(preview, "Button2").click();  // "列印"
        printed = everyPage.answered();
        child<QPushButton>(preview, "Button1").click();  // "離開"
    });
    main.Print1->trigger();
    ASSERT_TRUE(previewAndPrint.answered());
    EXPECT_TRUE(printed);
    // Only the engine's word on the unknown field name, when it is drawn.
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"欄位(unknown)不存在,請檢查報表檔或原始程式."});

    const std::string reportAndData = "'" + saved + "' '" + data + "'";
    const std::string png = (dir.path() / "rendered.png").string();
    render("--png '" + png + "' " + reportAndData);
    const QImage expected = QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), expected.size());
    EXPECT_TRUE(shown == expected);

    const std::string printTrace = render("--print --trace " + reportAndData);
    EXPECT_EQ(trace.str(), printTrace);
    EXPECT_EQ(spooler.jobsStarted(), 1);
    std::size_t sheets = 0, drawn = 0;
    std::istringstream lines(trace.str());
    for (std::string line; std::getline(lines, line);) {
        sheets += line.starts_with("sheet ");
        if (line.starts_with("line ") || line.starts_with("text ")) {
            ++drawn;
            EXPECT_TRUE(std::regex_search(line, std::regex("(pen=\\d+,\\d+,|color=)000000$"))) << line;
        }
    }
    EXPECT_EQ(sheets, 1u);
    EXPECT_EQ(drawn, 8u);  // the line, three characters of the label, four of the value
}

}  // namespace
}  // namespace zarvo
