#include "detaildialog/DetailForm.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "detail/DetailSpec.h"
#include "tests/common/RecordingPresenter.h"
#include "tests/support/TextInput.h"

namespace zarvo {
namespace {

std::vector<std::string> noteBlocks() {
    std::vector<std::string> names = {"customer", "subtotal", "tax", "total"};
    for (int row = 1; row <= 10; ++row) {
        for (const char* field : {"item", "qty", "amount"}) names.push_back(detailBlock(field, row));
    }
    names.push_back("item11");
    return names;
}

TEST(DetailFormTest, TheRowsFollowTheFieldsTyped) {
    TDetailForm form(FormProfile{}, noteBlocks(), {"item4", "qty4", "customer"});
    EXPECT_EQ(form.objectName(), QStringLiteral("TDetailForm"));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("明細列"));
    EXPECT_EQ(form.ED_fields->text(), QStringLiteral("item qty"));
    EXPECT_EQ(form.ED_continued->text(), QStringLiteral("接下頁"));
    EXPECT_EQ(form.btn_ok->text(), QStringLiteral("確定"));
    EXPECT_EQ(form.btn_cancel->text(), QStringLiteral("取消"));
    const struct {
        QString typed;
        QString rows;
    } cases[] = {
        {QString(), QStringLiteral("10 列: item1 … item10；缺少 qty11")},
        {QStringLiteral(" amount"), QStringLiteral("10 列: item1 … item10；缺少 qty11, amount11")},
        {QStringLiteral(" 品名"), QStringLiteral("找不到明細列: 品名 沒有編號的區塊 (例如 品名1)")},
        {QStringLiteral("☃"), QStringLiteral("「品名☃」有 Big5 無法表示的字元")},
    };
    for (const auto& c : cases) {
        form.ED_fields->setFocus();
        form.ED_fields->end(false);
        test::typeText(*form.ED_fields, c.typed);
        EXPECT_EQ(form.Label_rows->text(), c.rows) << c.typed.toStdString();
    }
    form.ED_fields->clear();
    EXPECT_EQ(form.Label_rows->text(), QStringLiteral("請輸入明細的欄位名稱, 或先在版面上選取一列明細的區塊"));
}

// A grey hint reads as an example, so that nobody takes it for a value set.
TEST(DetailFormTest, EveryHintIsAnExampleAndNoValue) {
    TDetailForm form(FormProfile{}, noteBlocks(), {});
    for (const QLineEdit* edit : form.findChildren<QLineEdit*>()) {
        if (edit->placeholderText().isEmpty()) continue;
        SCOPED_TRACE(edit->objectName().toStdString());
        EXPECT_TRUE(edit->placeholderText().startsWith(QStringLiteral("例如 ")));
        EXPECT_TRUE(edit->text().isEmpty());
    }
}

// The grouping column is chosen among the data file's columns (or typed);
// OK writes it and the JSON member beside the other keys.
TEST(DetailFormTest, TheGroupingColumnComesFromTheDataFile) {
    TDetailForm form(parseFormProfile("[Detail]\nrows=10\nfields=item\n"), noteBlocks(), {}, {"order_no", "customer"});
    ASSERT_EQ(form.CB_group->count(), 2);
    EXPECT_EQ(form.CB_group->currentText(), QString());
    form.CB_group->setCurrentIndex(0);
    form.ED_source->setText(QStringLiteral("lines"));
    form.btn_ok->click();
    ASSERT_TRUE(form.profile());
    const ProfileSection* detail = form.profile()->section("Detail");
    ASSERT_NE(detail, nullptr);
    EXPECT_EQ(*detail->value("group"), "order_no");
    EXPECT_EQ(*detail->value("source"), "lines");
}

TEST(DetailFormTest, OkKeepsTheProfileOnlyWhenWhatWasTypedCanBeUsed) {
    test::RecordingPresenter messages;
    const FormProfile before = parseFormProfile("[Detail]\nrows=10\nfields=item\nsource=lines\n");
    TDetailForm form(before, noteBlocks(), {});
    EXPECT_EQ(form.ED_fields->text(), QStringLiteral("item"));
    form.ED_fields->setText(QStringLiteral("item qty amount"));
    form.ED_sums->setText(QStringLiteral("amount=subtotal grand"));
    form.btn_ok->click();
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"表單設定檔的 [Detail] 用到報表中沒有的區塊: grand"});
    EXPECT_FALSE(form.profile());
    EXPECT_NE(form.result(), QDialog::Accepted);

    form.ED_sums->setText(QStringLiteral("amount=subtotal"));
    form.ED_last->setText(QStringLiteral("tax total"));
    form.ChB_carry->setChecked(true);
    form.btn_ok->click();
    ASSERT_TRUE(form.profile());
    EXPECT_EQ(formProfileText(*form.profile()),
              "[Detail]\nrows=10\nfields=\"item qty amount\"\nsum.amount=subtotal\nlast=\"tax total\"\ncarry=yes\n"
              "source=lines\n");
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(messages.shown().size(), 1u);
}

}  // namespace
}  // namespace zarvo
