// The position dialog: a move starts from 0, a frame's place from where it
// stands, and a value that is no number is said and keeps the dialog open.

#include "layout/PositionForm.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "tests/common/RecordingPresenter.h"

namespace zarvo {
namespace {

TEST(PositionFormTest, AMoveOrAFramesPlaceIsTypedAndCheckedBeforeItIsKept) {
    test::RecordingPresenter messages;
    TPositionForm withoutFrame(std::nullopt);
    EXPECT_EQ(withoutFrame.objectName(), QStringLiteral("TPositionForm"));
    EXPECT_FALSE(withoutFrame.RB_set->isEnabled());
    EXPECT_EQ(withoutFrame.ED_x->text(), QStringLiteral("0"));
    EXPECT_FALSE(withoutFrame.ED_w->isEnabled());

    TPositionForm form(PositionTexts{false, "22", "34", "98", "8"});
    form.RB_set->setChecked(true);
    EXPECT_EQ(form.ED_w->text(), QStringLiteral("98"));
    form.ED_h->setText(QStringLiteral("8 mm"));
    form.btn_ok->click();
    EXPECT_FALSE(form.request());
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].text, "高「8 mm」不是數字");

    form.ED_h->setText(QStringLiteral("9.5"));
    form.btn_ok->click();
    ASSERT_TRUE(form.request());
    EXPECT_EQ(form.request()->kind, PositionRequest::Kind::Set);
    EXPECT_DOUBLE_EQ(form.request()->height, 9.5);
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

}  // namespace
}  // namespace zarvo
