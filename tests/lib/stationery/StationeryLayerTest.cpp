#include "stationery/StationeryLayer.h"

#include <gtest/gtest.h>

#include <QPainter>

namespace zarvo {
namespace {

const QRgb kUntouched = qRgb(0, 0, 255);

int pixelsAt(double mm, int dpi) { return qRound(mm * dpi / 25.4); }

// A 300 dpi A4 scan: white with a black 2 mm square centred on (10 mm, 20 mm).
StationeryPicture a4Scan() {
    QImage image(2480, 3508, QImage::Format_RGB32);
    image.fill(Qt::white);
    const double perMm = 300 / 25.4;
    QPainter(&image).fillRect(QRectF(9 * perMm, 19 * perMm, 2 * perMm, 2 * perMm), Qt::black);
    return {image, 210, 297, {}};
}

// What layer paints of exposed at dpi into an image of kUntouched that
// covers exposed and 10 more pixels to its right.
QImage drawn(const StationeryLayer& layer, const QRect& exposed, int dpi) {
    QImage target(exposed.width() + 10, exposed.height(), QImage::Format_RGB32);
    target.fill(kUntouched);
    QPainter painter(&target);
    painter.translate(-exposed.topLeft());
    layer.draw(painter, exposed, dpi);
    return target;
}

TEST(StationeryLayerTest, DrawsTheExposedPartShiftedScaledAndLightened) {
    const struct {
        const char* name;
        int dpi;
        int strength;
        double dxMm;
        double dyMm;
        bool shows;
        int grayLow;  // the square's centre
        int grayHigh;
    } cases[] = {
        {"as is", 114, 100, 0, 0, true, 0, 40},
        {"shifted", 114, 100, 5, -3, true, 0, 40},
        {"half", 114, 50, 0, 0, true, 117, 138},
        {"not at all", 114, 0, 0, 0, false, 0, 0},
        {"fine, as is", 912, 100, 0, 0, true, 0, 40},
        {"fine, shifted, half", 912, 50, 5, 2, true, 117, 138},
        {"fine, not at all", 912, 0, 0, 0, false, 0, 0},
    };
    for (const auto& c : cases) {
        StationeryLayer layer;
        layer.setPicture(a4Scan());
        layer.setShift(c.dxMm, c.dyMm);
        layer.setStrength(100);
        drawn(layer, QRect(0, 0, 10, 10), 114);  // a cache that the changes below make stale
        layer.setStrength(c.strength);

        const QPoint square(pixelsAt(10 + c.dxMm, c.dpi), pixelsAt(20 + c.dyMm, c.dpi));
        const int reach = pixelsAt(3, c.dpi);
        const QRect exposed(square - QPoint(reach, reach), QSize(2 * reach, 2 * reach));
        const QImage image = drawn(layer, exposed, c.dpi);
        const QPoint centre = square - exposed.topLeft();
        const QPoint paper = centre + QPoint(pixelsAt(2, c.dpi), 0);
        const QPoint outside(image.width() - 5, centre.y());
        EXPECT_EQ(image.pixel(outside), kUntouched) << c.name;
        if (!c.shows) {
            EXPECT_EQ(image.pixel(centre), kUntouched) << c.name;
            EXPECT_EQ(image.pixel(paper), kUntouched) << c.name;
            continue;
        }
        for (const QPoint near : {centre, centre + QPoint(1, 1), centre - QPoint(1, 1)}) {
            EXPECT_GE(qGray(image.pixel(near)), c.grayLow) << c.name;
            EXPECT_LE(qGray(image.pixel(near)), c.grayHigh) << c.name;
        }
        EXPECT_EQ(image.pixel(paper), qRgb(255, 255, 255)) << c.name;
    }
}

TEST(StationeryLayerTest, WithoutAPictureNothingIsDrawn) {
    StationeryLayer layer;
    layer.setPicture(a4Scan());
    layer.setStrength(100);
    layer.setPicture(std::nullopt);
    EXPECT_FALSE(layer.hasPicture());
    const QRect exposed(40, 80, 20, 20);
    EXPECT_EQ(drawn(layer, exposed, 114).pixel(5, 5), kUntouched);
}

// The a4Scan's page drawn in parts: each part at the resolution asked for,
// counted in parts.
StationeryPicture a4InParts(int& parts) {
    StationeryPicture picture{QImage(), 210, 297, {}};
    picture.drawPart = [&parts](int dpi, const QRect& part) {
        ++parts;
        QImage image(part.size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        const double perMm = dpi / 25.4;
        QPainter(&image).fillRect(QRectF(9 * perMm, 19 * perMm, 2 * perMm, 2 * perMm).translated(-part.topLeft()),
                                  Qt::black);
        return image;
    };
    return picture;
}

TEST(StationeryLayerTest, AStrengthChangeScalesNothingAgainAndAResolutionChangeDoes) {
    int parts = 0;
    const struct {
        const char* name;
        StationeryPicture picture;
    } cases[] = {{"scan", a4Scan()}, {"page in parts", a4InParts(parts)}};
    for (const auto& c : cases) {
        StationeryLayer layer;
        layer.setPicture(c.picture);
        const QPoint square(pixelsAt(10, 114), pixelsAt(20, 114));
        const QRect exposed(square - QPoint(20, 20), QSize(40, 40));
        int gray[3] = {};
        int scalings = 0;
        const int strengths[3] = {100, 50, 20};
        for (int i = 0; i < 3; ++i) {
            layer.setStrength(strengths[i]);
            gray[i] = qGray(drawn(layer, exposed, 114).pixel(20, 20));
            if (i == 0) scalings = layer.scalings();
        }
        EXPECT_EQ(scalings, 1) << c.name;
        EXPECT_EQ(layer.scalings(), scalings) << c.name;
        EXPECT_LT(gray[0], 40) << c.name;
        EXPECT_NEAR(gray[1], 128, 11) << c.name;
        EXPECT_NEAR(gray[2], 204, 11) << c.name;
        drawn(layer, exposed, 228);
        EXPECT_EQ(layer.scalings(), scalings + 1) << c.name;
    }
}

TEST(StationeryLayerTest, AHugePageKeepsAtMostTheTilesOfAWindowAtAnyZoom) {
    int parts = 0;
    StationeryPicture huge = a4InParts(parts);
    huge.widthMm = huge.heightMm = 5080;  // 200 x 200 inches
    StationeryLayer layer;
    layer.setPicture(huge);
    layer.setStrength(100);
    constexpr std::size_t kBound = 200u << 20;
    for (int dpi : {29, 114, 912}) {
        // A window's worth of the sheet, scrolled across the page.
        for (int step = 0; step < 8; ++step) {
            const QRect exposed(step * 1500, step * 1100, 1600, 1200);
            drawn(layer, exposed, dpi);
            EXPECT_LE(layer.keptBytes(), kBound) << dpi;
        }
    }
    const QPoint square(pixelsAt(10, 912), pixelsAt(20, 912));
    const int reach = pixelsAt(3, 912);
    const QImage image = drawn(layer, QRect(square - QPoint(reach, reach), QSize(2 * reach, 2 * reach)), 912);
    EXPECT_LT(qGray(image.pixel(reach, reach)), 40);
    EXPECT_EQ(image.pixel(reach, reach + pixelsAt(2, 912)), qRgb(255, 255, 255));
}

}  // namespace
}  // namespace zarvo
