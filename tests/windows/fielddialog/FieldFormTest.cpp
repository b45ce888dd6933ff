#include "fielddialog/FieldForm.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <QImage>

#include "report/FormProfile.h"
#include "tests/common/RecordingPresenter.h"
#include "tests/common/TempDir.h"

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

// The red pixels of a label's picture.
int redPixels(const QLabel& label) {
    const QImage image = label.pixmap().toImage();
    int red = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor colour = image.pixelColor(x, y);
            red += colour.red() > 150 && colour.green() < 80 && colour.blue() < 80;
        }
    }
    return red;
}

TEST(FieldFormTest, AFixedPictureIsChosenInsideTheReportsFolderAndDrawnInTheSample) {
    test::RecordingPresenter messages;
    test::TempDir dir;
    QImage seal(80, 80, QImage::Format_RGB32);
    seal.fill(QColor(220, 20, 20));
    std::filesystem::create_directories(dir.path() / "pictures");
    seal.save(QString::fromStdString((dir.path() / "pictures/seal.png").string()));
    seal.save(QString::fromStdString((dir.path().parent_path() / "zarvo-outside-seal.png").string()));
    const std::string report = dir.write("note.txt", "");
    QString answer;
    setPictureFileChooser([&answer](QWidget*, const QString&) { return std::optional<QString>(answer); });
    TFieldForm form(codeFrame(), ProfileSection{blockSectionName("code"), 0, {}, {}, {}, {}}, "", nullptr, report);
    EXPECT_FALSE(form.btn_picture->isEnabled());
    form.CB_kind->setCurrentIndex(form.CB_kind->findText(QStringLiteral("圖片")));
    ASSERT_TRUE(form.btn_picture->isEnabled());
    EXPECT_TRUE(form.options.at("fit")->isEnabled());
    EXPECT_FALSE(form.options.at("module")->isEnabled());
    EXPECT_FALSE(form.CB_format->isEnabled());

    // A picture outside the report's folder is refused and nothing changes.
    answer = QString::fromStdString((dir.path().parent_path() / "zarvo-outside-seal.png").string());
    form.btn_picture->click();
    EXPECT_EQ(messages.shown().size(), 1u);
    EXPECT_TRUE(form.options.at("picture")->text().isEmpty());

    answer = QString::fromStdString((dir.path() / "pictures/seal.png").string());
    form.btn_picture->click();
    EXPECT_EQ(form.options.at("picture")->text(), QStringLiteral("pictures/seal.png"));
    EXPECT_GT(redPixels(*form.Image_sample), 100);
    form.options.at("fit")->setText(QStringLiteral("stretch"));
    form.btn_ok->click();
    ASSERT_TRUE(form.section());
    EXPECT_EQ(*form.section()->value("kind"), "image");
    EXPECT_EQ(*form.section()->value("picture"), "pictures/seal.png");
    EXPECT_EQ(*form.section()->value("fit"), "stretch");
    if (const char* grab = std::getenv("ZARVO_GRAB")) form.grab().save(QString::fromUtf8(grab));
    setPictureFileChooser({});
    std::filesystem::remove(dir.path().parent_path() / "zarvo-outside-seal.png");
}

}  // namespace
}  // namespace zarvo
