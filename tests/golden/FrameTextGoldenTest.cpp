// The text layout drawn through the Qt surface onto a 114 dpi preview image:
// one framed box for every writing style, distribution mode and font code,
// compared with the kept image tests/golden/frame_text_114.png.
// ZARVO_UPDATE_GOLDEN=1 rewrites the kept image instead of comparing.

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <string>

#include "engine/XPrint.h"
#include "painting/QtSurface.h"
#include "tests/golden/GoldenImage.h"

namespace zarvo {
namespace {

constexpr int kDpi = 114;
constexpr int kLabelWidth = 60;   // row captions at the left
constexpr int kLabelHeight = 30;  // column captions at the top
constexpr int kBoxWidth = 130;
constexpr int kBoxHeight = 100;
constexpr int kPitchX = 135;
constexpr int kPitchY = 105;
constexpr int kMargin = 3;  // box to inner frame
constexpr int kCharHeight = 16;
constexpr int kGap = 2;
constexpr int kModes = 8;
constexpr int kWidth = kLabelWidth + kModes * kPitchX + 10;
constexpr int kHeight = kLabelHeight + 16 * kPitchY + 10;

// Font codes 0 and 1: one line across (客戶名稱Ab12, customer name), two
// columns down (中文Ab, a marker, 12).
const std::string kOneLine =
    "\xab\xc8\xa4\xe1\xa6\x57\xba\xd9"
    "Ab12";
const std::string kTwoColumns =
    "\xa4\xa4\xa4\xe5"
    "Ab~~12";
// Font codes 2 and 3: two lines across (統一編號Ab, a marker, 12, tax
// number), one column down with turned Latin letters and digits (中文Ab12).
const std::string kTwoLines =
    "\xb2\xce\xa4\x40\xbd\x73\xb8\xb9"
    "Ab~~12";
const std::string kOneColumn =
    "\xa4\xa4\xa4\xe5"
    "Ab12";

const std::string& sampleText(int style, int fontCode) {
    const bool across = style < 2;
    if (fontCode < 2) return across ? kOneLine : kTwoColumns;
    return across ? kTwoLines : kOneColumn;
}

void drawBox(Surface& surface, int left, int top, int right, int bottom) {
    const Pen pen{PenSolid, 1, kRed};
    surface.drawLine(left, top, right, top, pen);
    surface.drawLine(right, top, right, bottom, pen);
    surface.drawLine(right, bottom, left, bottom, pen);
    surface.drawLine(left, bottom, left, top, pen);
}

void drawCaption(XPrint& engine, int left, int top, int right, int bottom,
                 const std::string& text) {
    engine.DrawFrameText(left, top, right, bottom, 0, 3, 0, 14, text, 0, 0);
}

QImage renderSheet() {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    const int dotsPerMetre = static_cast<int>(kDpi / 0.0254);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    QPainter painter(&image);
    QtSurface surface(painter, kDpi);
    surface.clear();
    XPrint engine;
    engine.surface = &surface;
    for (int mode = 0; mode < kModes; ++mode) {
        const int left = kLabelWidth + mode * kPitchX;
        drawCaption(engine, left, 0, left + kBoxWidth, kLabelHeight,
                    "mode " + std::to_string(mode));
    }
    for (int style = 0; style < 4; ++style) {
        for (int fontCode = 0; fontCode < 4; ++fontCode) {
            const int top = kLabelHeight + (style * 4 + fontCode) * kPitchY;
            drawCaption(engine, 0, top, kLabelWidth, top + kBoxHeight,
                        "S" + std::to_string(style) + " F" + std::to_string(fontCode));
            for (int mode = 0; mode < kModes; ++mode) {
                const int left = kLabelWidth + mode * kPitchX;
                drawBox(surface, left, top, left + kBoxWidth, top + kBoxHeight);
                engine.DrawFrameText(left + kMargin, top + kMargin, left + kBoxWidth - kMargin,
                                     top + kBoxHeight - kMargin, style, mode, fontCode, kCharHeight,
                                     sampleText(style, fontCode), kGap, kGap);
            }
        }
    }
    painter.end();
    return image;
}

TEST(FrameTextGoldenTest, EveryStyleModeAndFontCodeAt114Dpi) {
    test::expectMatchesGolden(renderSheet(), "frame_text_114");
}

}  // namespace
}  // namespace zarvo
