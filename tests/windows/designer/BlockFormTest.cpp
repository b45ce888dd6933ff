#include "designer/BlockForm.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include "report/ConversionError.h"
#include "tests/common/RecordingPresenter.h"
#include "tests/windows/designer/EditorDialogTesting.h"
#include "tests/support/ModalAnswerer.h"
#include "tests/support/TextInput.h"

namespace zarvo {
namespace {

using test::ModalAnswerer;
using test::rowTexts;
using test::runModal;
using test::split;

QStringList fieldTexts(const TBlockForm& form) {
    return {form.ED_name->text(),  form.ED_left->text(),   form.ED_top->text(),    form.ED_width->text(),
            form.ED_height->text(), form.ED_rowgap->text(), form.ED_colgap->text(), form.ED_ychar->text(),
            form.ED_xmargin->text(), form.ED_ymargin->text()};
}

QList<int> listIndexes(const TBlockForm& form) {
    return {form.CB_style->currentIndex(), form.CB_distrb->currentIndex(), form.CB_font->currentIndex()};
}

void pressKey(QWidget* target, Qt::Key key) { QTest::keyClick(target, key); }

TEST(BlockFormTest, WindowHoldsItsNamedFieldsCaptionsAndListItems) {
    TBlockForm form;
    EXPECT_EQ(form.objectName(), QStringLiteral("BlockForm"));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("BLOCK info."));
    EXPECT_EQ(form.size(), QSize(596, 412));
    EXPECT_EQ(QFontInfo(form.ED_name->font()).family(), QStringLiteral("AR PL UMing TW"));
    EXPECT_EQ(form.font().pixelSize(), 16);
    for (const char* name : {"ED_name", "ED_left", "ED_top", "CB_style", "ED_width", "ED_height", "ED_rowgap",
                             "ED_colgap", "CB_distrb", "CB_font", "ED_ychar", "ED_xmargin", "ED_ymargin",
                             "btn_confirm", "btn_cancel", "Label1"})
        EXPECT_NE(form.findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_EQ(fieldTexts(form), split("\t\t\t\t\t0\t0\t\t0\t0"));
    EXPECT_EQ(listIndexes(form), QList<int>({-1, -1, -1}));
    EXPECT_FALSE(form.btn_confirm->isEnabled());
    EXPECT_EQ(form.btn_confirm->text(), QStringLiteral("&Y 確定"));
    EXPECT_EQ(form.btn_cancel->text(), QStringLiteral("&N 取消"));

    QStringList captions;
    for (const QLabel* label : form.findChildren<QLabel*>()) captions << label->text();
    for (const char* caption : {"名稱", "左上角 X 座標", "Y 座標", "樣式 style", "寬度", "高度", "資料列距 row gap",
                                "資料行距 column gap", "分佈方式 distributed", "字型", "字型高度",
                                "block 框與資料的間距 : ", "X 方向", "Y 方向"})
        EXPECT_TRUE(captions.contains(QString::fromUtf8(caption))) << caption;
    EXPECT_EQ(captions.count(QStringLiteral("mm")), 9);

    const auto items = [](const QComboBox* list) {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i) texts << list->itemText(i);
        return texts.join(QLatin1Char('|'));
    };
    EXPECT_EQ(items(form.CB_style), QStringLiteral("0: 由左至右, 由上到下|1: 由右至左, 由上到下|"
                                                   "2: 由上到下, 由右至左|3: 由上到下, 由左至右"));
    EXPECT_EQ(items(form.CB_distrb),
              QStringLiteral("0: 否|1: 垂直分佈|2: 水平分佈\t|3: 垂直靠中|4: 水平靠中|5: 數字靠右 (樣式 0)|"
                             "6: 垂直分佈邊界對齊 (樣式 0) / 水平分佈邊界對齊 (樣式 3)|7: 整段置中"));
    EXPECT_EQ(items(form.CB_font), QStringLiteral("0:  細明體\t|1:  標楷體|2:  細明體(1-byte 轉 90 度)|"
                                                  "3:  標楷體(1-byte 轉 90 度)"));
}

TEST(BlockFormTest, ShowFillsTheFieldsFromTheRowAndWaitsForAChange) {
    const struct {
        const char* row;     // caption and values, tab-separated
        const char* fields;  // name, left, top, width, height, rowgap, colgap, ychar, xmargin, ymargin
        QList<int> lists;    // style, distributed, font
    } cases[] = {
        {"\t\t\t\t\t\t\t\t\t\t\t\t", "\t\t\t\t\t0\t0\t\t0\t0", {0, 0, 0}},
        {"客戶名稱\t3\t10\t20.5\t30\t3.50\t1\t2\t4\t1\t5\t0.5\t07",
         "客戶名稱\t10\t20.5\t30\t3.50\t1\t2\t5\t0.5\t07", {3, 4, 1}},
        // A short row shows the missing values empty (gaps and margins "0").
        {"NO\t1\t5", "NO\t5\t\t\t\t0\t0\t\t0\t0", {1, 0, 0}},
        // Values beyond the twelve are not shown; indexes outside a list select nothing.
        {"X\t4\t1\t2\t3\t4\t\t\t8\t-1\t5\t\t\textra", "X\t1\t2\t3\t4\t0\t0\t5\t0\t0", {-1, -1, -1}},
    };
    TBlockForm form;
    for (const auto& c : cases) {
        QTreeWidgetItem row(split(c.row));
        int confirmed = 0;
        form.AttachRow(&row, confirmed, QStringLiteral("block"));
        QStringList shown;
        runModal(form, [&](QWidget&) {
            EXPECT_EQ(form.focusWidget(), form.ED_name) << c.row;
            EXPECT_FALSE(form.btn_confirm->isEnabled()) << c.row;
            form.btn_cancel->click();
        });
        EXPECT_EQ(fieldTexts(form), split(c.fields)) << c.row;
        EXPECT_EQ(listIndexes(form), c.lists) << c.row;
        EXPECT_EQ(rowTexts(row), split(c.row));
    }
}

TEST(BlockFormTest, AListValueThatIsNoIntegerFailsBeforeAnythingIsFilledOrShown) {
    TBlockForm form;
    form.ED_name->setText(QStringLiteral("before"));
    for (const char* bad : {"A\tx\t1\t2\t3\t4\t0\t0\t0\t0\t5\t0\t0", "A\t0\t1\t2\t3\t4\t0\t0\t1.5\t0\t5\t0\t0",
                            "A\t0\t1\t2\t3\t4\t0\t0\t0\t中\t5\t0\t0"}) {
        QTreeWidgetItem row(split(bad));
        int confirmed = 0;
        form.AttachRow(&row, confirmed, QStringLiteral("block"));
        ModalAnswerer safety([](QWidget& modal) { modal.close(); }, 200);
        EXPECT_THROW(form.exec(), ConversionError) << bad;
        EXPECT_FALSE(safety.answered()) << bad;
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(form.ED_name->text(), QStringLiteral("before"));
        EXPECT_EQ(confirmed, 0);
    }
}

TEST(BlockFormTest, ConfirmWritesEveryFieldAsTypedAndSetsTheFlag) {
    TBlockForm form;
    QTreeWidgetItem row(split("OLD\t0\t1\t2\t3\t4\t0\t0\t0\t0\t5\t0\t0\textra"));
    int confirmed = 0;
    form.AttachRow(&row, confirmed, QStringLiteral("label"));
    const int result = runModal(form, [&](QWidget&) {
        form.ED_name->clear();
        test::typeText(*form.ED_name, QStringLiteral("新名稱"));
        form.ED_left->clear();
        test::typeText(*form.ED_left, QStringLiteral("07"));
        form.ED_width->setText(QStringLiteral("3.50"));
        form.CB_style->setCurrentIndex(3);
        form.CB_font->setCurrentIndex(2);
        ASSERT_TRUE(form.btn_confirm->isEnabled());
        form.btn_confirm->click();
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(confirmed, 1);
    EXPECT_EQ(rowTexts(row), split("新名稱\t3\t07\t2\t3.50\t4\t0\t0\t0\t2\t5\t0\t0\textra"));
}

// A value that would not read back as typed stops the confirm: a number the
// report reader cannot take, a name that would split its row or make it a
// keyword line.
TEST(BlockFormTest, ValuesThatWouldNotReadBackAsTypedKeepTheDialogOpen) {
    const struct {
        const char* field;
        const char* text;
        const char* mode;
        const char* message;  // nullptr: confirmed
    } cases[] = {
        {"ED_left", "3a2,5", "block", "「left」必須是數字"},
        {"ED_ychar", "15O", "block", "「ychar」必須是數字"},
        {"ED_top", "1 2", "block", "「top」必須是數字"},
        {"ED_name", "hello world", "label", "「label」不能有空白"},
        {"ED_name", "a\tb", "block", "「block」不能有空白"},
        {"ED_name", "see_block_info", "label", "「label」不能含有 BLOCK_INFO"},
        {"ED_name", "全形　空白", "label", nullptr},
        {"ED_xmargin", " -1.5e1 ", "block", nullptr},
    };
    TBlockForm form;
    for (const auto& c : cases) {
        const char* original = "N\t1\t1\t2\t3\t4\t0\t0\t1\t1\t5\t0\t0";
        QTreeWidgetItem row(split(original));
        int confirmed = 0;
        form.AttachRow(&row, confirmed, QString::fromLatin1(c.mode));
        test::RecordingPresenter presenter;
        runModal(form, [&](QWidget&) {
            form.findChild<QLineEdit*>(QString::fromLatin1(c.field))->setText(QString::fromUtf8(c.text));
            form.btn_confirm->click();
            if (form.isVisible()) form.btn_cancel->click();
        });
        SCOPED_TRACE(c.text);
        if (c.message) {
            EXPECT_EQ(presenter.texts(), std::vector<std::string>{c.message});
            EXPECT_EQ(rowTexts(row), split(original));
        } else {
            EXPECT_TRUE(presenter.texts().empty());
            EXPECT_EQ(confirmed, 1);
        }
    }
}

TEST(BlockFormTest, ABlockNameAnotherBlockHasIsAskedAboutButALabelsIsNot) {
    for (const char* mode : {"block", "label"}) {
        for (const int answer : {ResultNo, ResultYes}) {
            QTreeWidget list;
            list.addTopLevelItem(new QTreeWidgetItem(split("qty\t0\t1\t1\t2\t3\t0\t0\t0\t0\t4\t0\t0")));
            auto* row = new QTreeWidgetItem(split("\t\t\t\t\t\t\t\t\t\t\t\t"));
            list.addTopLevelItem(row);
            int confirmed = 0;
            TBlockForm form;
            form.AttachRow(row, confirmed, QString::fromLatin1(mode));
            test::RecordingPresenter presenter;
            presenter.answer(answer);
            runModal(form, [&](QWidget&) {
                for (QLineEdit* edit : {form.ED_left, form.ED_top, form.ED_width, form.ED_height, form.ED_ychar})
                    edit->setText(QStringLiteral("5"));
                form.ED_name->setText(QStringLiteral("qty"));
                form.btn_confirm->click();
                if (form.isVisible()) form.btn_cancel->click();
            });
            const bool block = std::string(mode) == "block";
            SCOPED_TRACE(std::string(mode) + " answered " + std::to_string(answer));
            EXPECT_EQ(presenter.texts(),
                      block ? std::vector<std::string>{"已有名為 qty 的 Block, 只有最後一個會填入資料, 仍要加入 ?"}
                            : std::vector<std::string>{});
            EXPECT_EQ(confirmed, !block || answer == ResultYes ? 1 : 0);
        }
    }
}

TEST(BlockFormTest, ConfirmReportsTheFirstEmptyFieldAndKeepsTheDialogOpen) {
    const struct {
        QStringList cleared;  // fields emptied, or lists left without selection
        const char* message;
    } cases[] = {
        {{"ED_name"}, "名稱不可為空白"},
        {{"ED_width", "ED_top", "CB_style"}, "左上角 y 座標不可為空白"},
        {{"ED_ymargin"}, "y 方向間距不可為空白"},
        {{"CB_font", "CB_distrb"}, "分佈方式不可為空白"},
    };
    TBlockForm form;
    for (const auto& c : cases) {
        const char* original = "N\t1\t1\t2\t3\t4\t0\t0\t1\t1\t5\t0\t0";
        QTreeWidgetItem row(split(original));
        int confirmed = 0;
        form.AttachRow(&row, confirmed, QStringLiteral("block"));
        test::RecordingPresenter presenter;
        runModal(form, [&](QWidget&) {
            form.ED_left->setText(QStringLiteral(" "));  // a blank is not empty
            for (const QString& name : c.cleared) {
                if (auto* edit = form.findChild<QLineEdit*>(name)) edit->clear();
                if (auto* list = form.findChild<QComboBox*>(name)) list->setCurrentIndex(-1);
            }
            form.btn_confirm->click();
            EXPECT_TRUE(form.isVisible()) << c.message;
            EXPECT_EQ(form.ED_left->text(), QStringLiteral(" "));
            form.btn_cancel->click();
        });
        EXPECT_EQ(presenter.texts(), std::vector<std::string>{c.message});
        EXPECT_EQ(presenter.shown().at(0).kind, MessageKind::Warning);
        EXPECT_EQ(rowTexts(row), split(original));
        EXPECT_EQ(confirmed, 0);
    }
}

TEST(BlockFormTest, EscCancelAndTheCloseBoxLeaveRowAndFlagAlone) {
    const struct {
        const char* way;
        ModalAnswerer::Action close;
    } ways[] = {
        {"Esc in a list", [](QWidget& modal) {
             auto* list = modal.findChild<QComboBox*>(QStringLiteral("CB_font"));
             list->setFocus();
             pressKey(list, Qt::Key_Escape);
         }},
        {"Esc in an edit", [](QWidget& modal) { pressKey(modal.findChild<QLineEdit*>("ED_top"), Qt::Key_Escape); }},
        {"cancel", test::clickText(QStringLiteral("N 取消"))},
        {"close box", test::closeWindow()},
    };
    TBlockForm form;
    for (const auto& w : ways) {
        const char* original = "N\t1\t1\t2\t3\t4\t0\t0\t1\t1\t5\t0\t0";
        QTreeWidgetItem row(split(original));
        int confirmed = 5;
        form.AttachRow(&row, confirmed, QStringLiteral("block"));
        const int result = runModal(form, [&](QWidget& modal) {
            test::typeText(*form.ED_name, QStringLiteral("X"));
            w.close(modal);
        });
        EXPECT_EQ(result, 2) << w.way;
        EXPECT_EQ(rowTexts(row), split(original)) << w.way;
        EXPECT_EQ(confirmed, 5) << w.way;
    }
}

TEST(BlockFormTest, EnterMovesTheFocusInTabOrderAndNeverConfirms) {
    TBlockForm form;
    QTreeWidgetItem row(split("N\t1\t1\t2\t3\t4\t0\t0\t1\t1\t5\t0\t0"));
    int confirmed = 0;
    form.AttachRow(&row, confirmed, QStringLiteral("block"));
    QStringList visited;
    const int result = runModal(form, [&](QWidget&) {
        test::typeText(*form.ED_name, QStringLiteral("2"));
        for (int step = 0; step < 15; ++step) {
            pressKey(form.focusWidget(), step % 2 ? Qt::Key_Enter : Qt::Key_Return);
            visited << form.focusWidget()->objectName();
        }
        EXPECT_TRUE(form.isVisible());
        form.btn_cancel->click();
    });
    EXPECT_EQ(visited.join(QLatin1Char(' ')),
              QStringLiteral("ED_left ED_top CB_style ED_width ED_height ED_rowgap ED_colgap CB_distrb CB_font "
                             "ED_ychar ED_xmargin ED_ymargin btn_confirm btn_cancel ED_name"));
    EXPECT_EQ(result, 2);
    EXPECT_EQ(confirmed, 0);
}

TEST(BlockFormTest, TheModeWordSetsTheCaptions) {
    const struct {
        const char* mode;
        const char* title;
        const char* nameCaption;
    } cases[] = {
        {"block", "BLOCK data", " Block 名稱"},
        {"label", "Label data", " Label 名稱"},
        {"block", "BLOCK data", " Block 名稱"},
        {"Block", "Label data", " Label 名稱"},
    };
    TBlockForm form;
    for (const auto& c : cases) {
        int confirmed = 0;
        form.AttachRow(nullptr, confirmed, QString::fromLatin1(c.mode));
        EXPECT_EQ(form.windowTitle(), QString::fromUtf8(c.title)) << c.mode;
        EXPECT_EQ(form.Label1->text(), QString::fromUtf8(c.nameCaption)) << c.mode;
    }
}

TEST(BlockFormTest, WithoutARowTheFieldsAreEmptyAndConfirmWritesNothing) {
    TBlockForm form;
    QTreeWidgetItem earlier(split("N\t1\t1\t2\t3\t4\t0\t0\t1\t1\t5\t0\t0"));
    int earlierFlag = 0;
    form.AttachRow(&earlier, earlierFlag, QStringLiteral("block"));
    runModal(form, test::clickText(QStringLiteral("N 取消")));

    int confirmed = 0;
    form.AttachRow(nullptr, confirmed, QStringLiteral("block"));
    runModal(form, [&](QWidget&) {
        EXPECT_EQ(fieldTexts(form), split("\t\t\t\t\t\t\t\t\t"));
        EXPECT_EQ(listIndexes(form), QList<int>({-1, -1, -1}));
        for (QLineEdit* edit : form.findChildren<QLineEdit*>()) edit->setText(QStringLiteral("9"));
        for (QComboBox* list : form.findChildren<QComboBox*>()) list->setCurrentIndex(1);
        form.btn_confirm->click();
    });
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(confirmed, 0);
    EXPECT_EQ(rowTexts(earlier), split("N\t1\t1\t2\t3\t4\t0\t0\t1\t1\t5\t0\t0"));
    EXPECT_EQ(earlierFlag, 0);
}

TEST(BlockFormTest, TheApplicationInstanceIsMadeOnceAndDestroyedAtTheEnd) {
    TBlockForm* first = blockForm();
    EXPECT_EQ(first, BlockForm);
    EXPECT_EQ(blockForm(), first);
    EXPECT_EQ(first->parent(), nullptr);
    destroyBlockForm();
    EXPECT_EQ(BlockForm, nullptr);
}

}  // namespace
}  // namespace zarvo
