// Detail rows on the Layout page: "明細列..." opens
// the dialog with the fields of the blocks selected, OK writes the profile's
// [Detail] as one undo step, and the page bands each detail row.

#include "layout/LayoutPage.h"

#include <functional>

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "detaildialog/DetailForm.h"
#include "layout/LayoutView.h"
#include "tests/common/TempDir.h"
#include "tests/support/ModalAnswerer.h"
#include "tests/windows/layout/LayoutPageFixture.h"

namespace zarvo {
namespace {

using test::example;

class DetailRowsTest : public test::LayoutPageFixture {
protected:
    void SetUp() override {
        // The example's profile without its detail rows, which the tests set.
        const std::string profile = example("delivery_note.zarvo");
        dir.write("delivery_note.zarvo", profile.substr(0, profile.find("\n; Orders longer")));
        open(QString::fromStdString(dir.write("delivery_note.txt", example("delivery_note.txt"))));
    }

    RowRef block(const std::string& name) {
        const std::vector<RowText>& rows = view().editor().scene().rows(RowKind::Block);
        for (std::size_t index = 0; index < rows.size(); ++index) {
            if (rows[index].caption == name) return RowRef{RowKind::Block, int(index)};
        }
        ADD_FAILURE() << name;
        return {};
    }
    // The pixel 1.5 mm inside the top-left corner of the block's frame.
    QRgb insideOf(const std::string& name) {
        const RectMm frame = view().editor().scene().shape(block(name))->frame;
        const QImage image = view().viewport()->grab().toImage();
        return image.pixel(view().viewportPointOf({frame.left + 1.5, frame.top + 1.5}).toPoint());
    }
    // Clicks btn_detail and answers the dialog with act.
    void detailDialog(const std::function<void(TDetailForm&)>& act) {
        test::ModalAnswerer answerer([&](QWidget& modal) {
            auto* form = dynamic_cast<TDetailForm*>(&modal);
            ASSERT_NE(form, nullptr);
            act(*form);
        });
        QTest::mouseClick(page.btn_detail, Qt::LeftButton);
        EXPECT_TRUE(answerer.answered());
        EXPECT_FALSE(answerer.forced());
    }
    void ctrlKey(int code) { key(code, Qt::ControlModifier); }
    const ProfileSection* detail() { return (*document.profile()).section("Detail"); }
};

TEST_F(DetailRowsTest, OkWritesTheDetailSectionAsOneUndoStepAndTheRowsAreBanded) {
    EXPECT_EQ(page.btn_detail->text(), QStringLiteral("明細列..."));
    ASSERT_FALSE(document.unsaved());
    const QRgb white = insideOf("item5");
    EXPECT_EQ(qRed(white), 255);
    view().editor().select({block("item3"), block("qty3"), block("amount3"), block("customer")});

    QString fieldsShown, rowsShown;
    detailDialog([&](TDetailForm& form) {
        fieldsShown = form.ED_fields->text();
        rowsShown = form.Label_rows->text();
        form.ED_fields->setText(QStringLiteral("item qty unit price amount"));
        form.ED_sums->setText(QStringLiteral("amount=subtotal"));
        form.ED_last->setText(QStringLiteral("tax total total_words"));
        form.btn_ok->click();
    });
    EXPECT_EQ(fieldsShown, QStringLiteral("item qty amount"));
    EXPECT_EQ(rowsShown, QStringLiteral("10 列: item1 … item10"));
    ASSERT_NE(detail(), nullptr);
    EXPECT_EQ(*detail()->value("rows"), "10");
    EXPECT_EQ(*detail()->value("sum.amount"), "subtotal");
    EXPECT_NE((*document.profile()).block("total_words"), nullptr);
    EXPECT_TRUE(document.unsaved());
    EXPECT_TRUE(messages.shown().empty());
    const QRgb banded = insideOf("item5");
    EXPECT_LT(qRed(banded), 250);
    EXPECT_GT(qBlue(banded), qRed(banded));
    // The band lies under the overlays' switch.
    page.ChB_overlays->setChecked(false);
    EXPECT_EQ(insideOf("item5"), white);
    page.ChB_overlays->setChecked(true);

    ctrlKey(Qt::Key_Z);
    EXPECT_EQ(detail(), nullptr);
    EXPECT_EQ(insideOf("item5"), white);
    EXPECT_FALSE(view().editor().history().canUndo());
    ctrlKey(Qt::Key_Y);
    ASSERT_NE(detail(), nullptr);
    EXPECT_EQ(insideOf("item5"), banded);

    // Opened again, the dialog shows the section; Cancel changes nothing.
    view().editor().select({});
    detailDialog([&](TDetailForm& form) {
        fieldsShown = form.ED_fields->text();
        EXPECT_EQ(form.ED_sums->text(), QStringLiteral("amount=subtotal"));
        form.ED_fields->clear();
        form.btn_cancel->click();
    });
    EXPECT_EQ(fieldsShown, QStringLiteral("item qty unit price amount"));
    EXPECT_NE(detail(), nullptr);

    // Emptied fields remove the section, again one step.
    detailDialog([](TDetailForm& form) {
        form.ED_fields->clear();
        form.btn_ok->click();
    });
    EXPECT_EQ(detail(), nullptr);
    ctrlKey(Qt::Key_Z);
    EXPECT_NE(detail(), nullptr);
}

TEST_F(DetailRowsTest, InputRefusedKeepsTheDialogOpenAndTheProfileAsItWas) {
    detailDialog([&](TDetailForm& form) {
        form.ED_fields->setText(QStringLiteral("item memo"));
        form.btn_ok->click();
        EXPECT_TRUE(form.isVisible());
        form.btn_cancel->click();
    });
    EXPECT_EQ(messages.texts(),
              std::vector<std::string>{"欄位「memo」沒有編號的區塊 (memo1, memo2 …), 無法當作明細列"});
    EXPECT_EQ(detail(), nullptr);
    EXPECT_FALSE(document.unsaved());
}

}  // namespace
}  // namespace zarvo
