#include "fielddialog/FieldForm.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "report/FormProfile.h"
#include "tests/common/RecordingPresenter.h"

namespace zarvo {
namespace {

FrameRow codeFrame() {
    FrameRow row;
    row.width = 40;
    row.height = 40;
    row.ychar = 3;
    row.label = "code";
    return row;
}

TEST(FieldFormTest, OkKeepsTheSectionOnlyWhenItsKeysCanBeUsed) {
    test::RecordingPresenter messages;
    TFieldForm form(codeFrame(), ProfileSection{blockSectionName("code"), 0, {}, {}, {}, {}}, "AB-12345678");
    EXPECT_FALSE(form.options.at("module")->isEnabled());
    form.CB_kind->setCurrentIndex(form.CB_kind->findText(QStringLiteral("QR Code")));
    EXPECT_TRUE(form.options.at("module")->isEnabled());
    EXPECT_TRUE(form.options.at("ecc")->isEnabled());
    EXPECT_FALSE(form.options.at("height")->isEnabled());
    EXPECT_FALSE(form.Image_sample->pixmap().isNull());
    EXPECT_EQ(form.Label_sample->text(), QStringLiteral("測試資料: AB-12345678"));

    form.options.at("module")->setText(QStringLiteral("abc"));
    EXPECT_NE(form.Label_sample->text().indexOf(QStringLiteral("module")), -1) << form.Label_sample->text().toStdString();
    form.btn_ok->click();
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_FALSE(form.section());

    form.options.at("module")->setText(QStringLiteral("0.5"));
    form.btn_ok->click();
    ASSERT_TRUE(form.section());
    ASSERT_EQ(form.section()->entries.size(), 2u);
    EXPECT_EQ(form.section()->entries[0].value, "qr");
    EXPECT_EQ(form.section()->entries[1].value, "0.5");
}

}  // namespace
}  // namespace zarvo
