// Pictures in grey and in dots for printers.

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include "picture/PictureTone.h"

namespace zarvo {
namespace {

double inkShare(const QImage& image) {
    int ink = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) ink += qAlpha(image.pixel(x, y)) > 0 && qGray(image.pixel(x, y)) < 128;
    }
    return double(ink) / (image.width() * image.height());
}

TEST(PictureToneTest, DotsFollowTheGreyOfThePictureOnWhitePaper) {
    // Grey levels and how much of the area takes ink; a red seal as grey,
    // transparency as paper.
    struct Case {
        QColor colour;
        double ink;
    };
    const Case cases[] = {
        {QColor(0, 0, 0), 1.0},          {QColor(255, 255, 255), 0.0},  {QColor(64, 64, 64), 0.75},
        {QColor(128, 128, 128), 0.5},    {QColor(192, 192, 192), 0.25}, {QColor(0, 0, 0, 0), 0.0},
        {QColor(0, 0, 0, 128), 0.5},     {QColor(255, 0, 0), 1 - qGray(qRgb(255, 0, 0)) / 255.0},
    };
    for (const Case& each : cases) {
        QImage flat(120, 80, QImage::Format_ARGB32);
        flat.fill(each.colour);
        const QImage dots = toneOf(flat, PictureTone::Dots);
        EXPECT_NEAR(inkShare(dots), each.ink, 0.03) << each.colour.name(QColor::HexArgb).toStdString();
        // Every pixel is a whole dot or paper.
        for (int y = 0; y < dots.height(); ++y) {
            for (int x = 0; x < dots.width(); ++x) {
                const QRgb pixel = dots.pixel(x, y);
                ASSERT_TRUE(pixel == qRgba(0, 0, 0, 255) || qAlpha(pixel) == 0);
            }
        }
    }
}

TEST(PictureToneTest, GreyKeepsTransparencyAndColourIsUntouched) {
    QImage seal(4, 4, QImage::Format_ARGB32);
    seal.fill(QColor(200, 0, 0, 100));
    const QImage grey = toneOf(seal, PictureTone::Grey);
    EXPECT_EQ(qAlpha(grey.pixel(1, 1)), 100);
    EXPECT_EQ(qRed(grey.pixel(1, 1)), qBlue(grey.pixel(1, 1)));
    EXPECT_EQ(toneOf(seal, PictureTone::Colour), seal);
}

}  // namespace
}  // namespace zarvo
