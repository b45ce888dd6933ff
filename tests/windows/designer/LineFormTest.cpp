#include "designer/LineForm.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
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

// Style index, then width, x1, y1, x2, y2 as shown.
QString shown(const TLineForm& form) {
    return QStringList{QString::number(form.CB_style->currentIndex()), form.ED_width->text(), form.ED_fx->text(),
                       form.ED_fy->text(), form.ED_tx->text(), form.ED_ty->text()}
        .join(QLatin1Char('\t'));
}

TEST(LineFormTest, WindowHoldsItsNamedFieldsCaptionsAndStyles) {
    TLineForm form;
    EXPECT_EQ(form.objectName(), QStringLiteral("LineForm"));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Line Info."));
    EXPECT_EQ(form.size(), QSize(476, 223));
    EXPECT_EQ(form.font().pixelSize(), 16);
    EXPECT_EQ(shown(form), QStringLiteral("-1\t\t\t\t\t"));
    EXPECT_FALSE(form.btn_confirm->isEnabled());
    QStringList captions;
    for (const QLabel* label : form.findChildren<QLabel*>()) captions << label->text();
    for (const char* caption : {"種類", "寬度", "線段起始 x 座標", "線段起始 y 座標", "線段結束 x 座標", "線段結束 y 座標"})
        EXPECT_TRUE(captions.contains(QString::fromUtf8(caption))) << caption;
    QStringList items;
    for (int i = 0; i < form.CB_style->count(); ++i) items << form.CB_style->itemText(i);
    EXPECT_EQ(items.join(QLatin1Char('|')), QStringLiteral("0 : Solid|1 : Dash|2 : Dot|3 : DashDot|4 : DashDotDot"));
    // The start point stands left of the end point, x above y.
    form.show();
    QCoreApplication::processEvents();
    EXPECT_LT(form.ED_fx->x(), form.ED_tx->x());
    EXPECT_LT(form.ED_fx->y(), form.ED_fy->y());
    EXPECT_EQ(form.ED_fx->y(), form.ED_tx->y());
}

TEST(LineFormTest, ShowFillsTheFieldsAndPlacesTheFocusOnlyForANewRow) {
    const struct {
        const char* row;
        const char* shown;
        const char* focus;
    } cases[] = {
        {"\t\t\t\t\t", "0\t1\t\t\t\t", "ED_fx"},
        {"2\t0\t10\t20.50\t30\t07", "2\t0\t10\t20.50\t30\t07", "ED_ty"},
        {"4\t\t1", "4\t1\t1\t\t\t", "ED_ty"},
        {"7\t3\t1\t2\t3\t4\textra", "-1\t3\t1\t2\t3\t4", "ED_ty"},
    };
    TLineForm form;
    for (const auto& c : cases) {
        QTreeWidgetItem row(split(c.row));
        int confirmed = 0;
        form.AttachRow(&row, confirmed);
        runModal(form, [&](QWidget&) {
            EXPECT_EQ(form.focusWidget()->objectName(), QString::fromLatin1(c.focus)) << c.row;
            EXPECT_FALSE(form.btn_confirm->isEnabled()) << c.row;
            form.ED_ty->setFocus();  // where the next show must leave it for an existing row
            form.btn_cancel->click();
        });
        EXPECT_EQ(shown(form), QString::fromUtf8(c.shown)) << c.row;
        EXPECT_EQ(rowTexts(row), split(c.row));
    }
}

TEST(LineFormTest, AStyleThatIsNoIntegerFailsBeforeAnythingIsFilledOrShown) {
    TLineForm form;
    QTreeWidgetItem row(split("實線\t1\t2\t3\t4\t5"));
    int confirmed = 0;
    form.AttachRow(&row, confirmed);
    ModalAnswerer safety([](QWidget& modal) { modal.close(); }, 200);
    EXPECT_THROW(form.exec(), ConversionError);
    EXPECT_FALSE(safety.answered());
    EXPECT_EQ(shown(form), QStringLiteral("-1\t\t\t\t\t"));
}

TEST(LineFormTest, ConfirmChecksInOrderThenWritesTheRowAsTyped) {
    const struct {
        const char* typed;  // style index, width, x1, y1, x2, y2 set before confirming
        const char* message;
        const char* written;
    } cases[] = {
        {"0\t1\t\t\t\t", "線段起始 x 座標不可為空白", nullptr},
        {"-1\t\t5\t\t\t", "寬度不可為空白", nullptr},
        {"0\t1\t5\t6\t7\t", "線段終止 y 座標不可為空白", nullptr},
        {"-1\t1\t5\t6\t7\t8", "種類不可為空白", nullptr},
        {"3\t2\tabc\t3.50\t07\t8", "「x1」必須是數字", nullptr},
        {"3\t1.5\t5\t6\t7\t8", "「width」必須是數字", nullptr},
        {"3\t2\t 5\t3.50\t07\t8", nullptr, "3\t2\t 5\t3.50\t07\t8"},
    };
    TLineForm form;
    for (const auto& c : cases) {
        QTreeWidgetItem row(split("\t\t\t\t\t"));
        int confirmed = 0;
        form.AttachRow(&row, confirmed);
        test::RecordingPresenter presenter;
        const int result = runModal(form, [&](QWidget&) {
            const QStringList typed = split(c.typed);
            form.CB_style->setCurrentIndex(typed[0].toInt());
            QLineEdit* const edits[] = {form.ED_width, form.ED_fx, form.ED_fy, form.ED_tx, form.ED_ty};
            for (int i = 0; i < 5; ++i) {
                edits[i]->clear();
                test::typeText(*edits[i], typed[i + 1]);
            }
            form.btn_confirm->click();
            if (form.isVisible()) form.btn_cancel->click();
        });
        if (c.message) {
            EXPECT_EQ(presenter.texts(), std::vector<std::string>{c.message});
            EXPECT_EQ(result, 2);
            EXPECT_EQ(confirmed, 0) << c.message;
            EXPECT_EQ(rowTexts(row), split("\t\t\t\t\t"));
        } else {
            EXPECT_TRUE(presenter.texts().empty());
            EXPECT_EQ(result, 1);
            EXPECT_EQ(confirmed, 1);
            EXPECT_EQ(rowTexts(row), split(c.written));
        }
    }
}

TEST(LineFormTest, EscCancelAndTheCloseBoxLeaveRowAndFlagAlone) {
    const ModalAnswerer::Action ways[] = {test::pressKey(Qt::Key_Escape), test::clickText(QStringLiteral("N 取消")),
                                          test::closeWindow()};
    TLineForm form;
    for (const auto& close : ways) {
        QTreeWidgetItem row(split("1\t2\t3\t4\t5\t6"));
        int confirmed = 5;
        form.AttachRow(&row, confirmed);
        const int result = runModal(form, [&](QWidget& modal) {
            form.ED_fx->setFocus();
            test::typeText(*form.ED_fx, QStringLiteral("9"));
            close(modal);
        });
        EXPECT_EQ(result, 2);
        EXPECT_EQ(rowTexts(row), split("1\t2\t3\t4\t5\t6"));
        EXPECT_EQ(confirmed, 5);
    }
}

TEST(LineFormTest, EnterMovesTheFocusInTabOrderAndNeverConfirms) {
    TLineForm form;
    QTreeWidgetItem row(split("\t\t\t\t\t"));
    int confirmed = 0;
    form.AttachRow(&row, confirmed);
    QStringList visited;
    runModal(form, [&](QWidget&) {
        test::typeText(*form.ED_fx, QStringLiteral("1"));
        for (int step = 0; step < 7; ++step) {
            QTest::keyClick(form.focusWidget(), Qt::Key_Return);
            visited << form.focusWidget()->objectName();
        }
        EXPECT_TRUE(form.isVisible());
        form.btn_cancel->click();
    });
    EXPECT_EQ(visited.join(QLatin1Char(' ')),
              QStringLiteral("ED_fy ED_tx ED_ty btn_confirm btn_cancel CB_style ED_width"));
    EXPECT_EQ(confirmed, 0);
}

TEST(LineFormTest, WithoutARowTheFieldsAreEmptyAndConfirmWritesNothing) {
    TLineForm form;
    int confirmed = 0;
    form.AttachRow(nullptr, confirmed);
    runModal(form, [&](QWidget&) {
        EXPECT_EQ(shown(form), QStringLiteral("-1\t\t\t\t\t"));
        form.CB_style->setCurrentIndex(1);
        for (QLineEdit* edit : form.findChildren<QLineEdit*>()) edit->setText(QStringLiteral("9"));
        form.btn_confirm->click();
    });
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(confirmed, 0);
}

TEST(LineFormTest, TheApplicationInstanceIsMadeOnceAndDestroyedAtTheEnd) {
    TLineForm* first = lineForm();
    EXPECT_EQ(first, LineForm);
    EXPECT_EQ(lineForm(), first);
    destroyLineForm();
    EXPECT_EQ(LineForm, nullptr);
}

}  // namespace
}  // namespace zarvo
