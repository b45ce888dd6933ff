#include "tests/golden/GoldenImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace zarvo::test {

namespace {

// How far two images of one size differ: pixels whose largest channel
// difference passes the threshold, and the largest difference met.
struct Difference {
    int pixels = 0;
    int maxChannel = 0;
};

Difference compare(const QImage& actual, const QImage& expected) {
    constexpr int kThreshold = 48;
    Difference difference;
    for (int y = 0; y < actual.height(); ++y) {
        const QRgb* a = reinterpret_cast<const QRgb*>(actual.constScanLine(y));
        const QRgb* e = reinterpret_cast<const QRgb*>(expected.constScanLine(y));
        for (int x = 0; x < actual.width(); ++x) {
            const int channel =
                std::max({std::abs(qRed(a[x]) - qRed(e[x])), std::abs(qGreen(a[x]) - qGreen(e[x])),
                          std::abs(qBlue(a[x]) - qBlue(e[x]))});
            difference.maxChannel = std::max(difference.maxChannel, channel);
            if (channel > kThreshold) ++difference.pixels;
        }
    }
    return difference;
}

bool updateRequested() {
    const char* value = std::getenv("ZARVO_UPDATE_GOLDEN");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

}  // namespace

void expectMatchesGolden(const QImage& drawn, const std::string& name) {
    const QImage actual = drawn.convertToFormat(QImage::Format_RGB32);
    const QString goldenPath =
        QString(ZARVO_SOURCE_DIR) + "/tests/golden/" + QString::fromStdString(name) + ".png";
    if (updateRequested()) {
        ASSERT_TRUE(actual.save(goldenPath, "PNG")) << goldenPath.toStdString();
        return;
    }
    const QImage expected = QImage(goldenPath).convertToFormat(QImage::Format_RGB32);
    const QString actualPath =
        QString(ZARVO_GOLDEN_OUTPUT_DIR) + "/" + QString::fromStdString(name) + ".actual.png";
    const bool sameSize = !expected.isNull() && expected.size() == actual.size();
    constexpr int kAllowedPixels = 150;
    const Difference difference = sameSize ? compare(actual, expected) : Difference{};
    if (!sameSize || difference.pixels > kAllowedPixels) actual.save(actualPath, "PNG");
    ASSERT_TRUE(sameSize) << "no golden image of " << actual.width() << "x" << actual.height()
                          << " at " << goldenPath.toStdString() << "; drawn image written to "
                          << actualPath.toStdString();
    EXPECT_LE(difference.pixels, kAllowedPixels)
        << "largest channel difference " << difference.maxChannel << "; drawn image written to "
        << actualPath.toStdString();
}

}  // namespace zarvo::test
