#include "painting/QtSurface.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QTransform>

#include <algorithm>
#include <memory>
#include <string>

#include "painting/FontFaces.h"

namespace zarvo {
namespace {

constexpr int kPreviewDpi = 114;
const std::string kZhong = "\xa4\xa4";  // 中

// An image with a painter and a surface on it, white at first.
struct Canvas {
    explicit Canvas(int side = 400, int dpi = kPreviewDpi, QColor fill = Qt::white)
        : image(side, side, QImage::Format_RGB32) {
        image.fill(fill);
        painter = std::make_unique<QPainter>(&image);
        surface = std::make_unique<QtSurface>(*painter, dpi);
    }
    // Ends painting so that the image holds everything drawn.
    const QImage& done() {
        surface.reset();
        painter.reset();
        return image;
    }

    QImage image;
    std::unique_ptr<QPainter> painter;
    std::unique_ptr<QtSurface> surface;
};

bool isInk(QRgb pixel) { return qRed(pixel) < 250 || qGreen(pixel) < 250 || qBlue(pixel) < 250; }

// The bounding box of every pixel that is not white; null when none is.
QRect inkBox(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (isInk(image.pixel(x, y))) box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

int inkCount(const QImage& image, const QRect& area) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) count += isInk(image.pixel(x, y));
    }
    return count;
}

// Pixels where the ink of two images differs, over the smaller of the two.
int inkDifference(const QImage& a, const QImage& b) {
    int differing = 0;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y) {
        for (int x = 0; x < std::min(a.width(), b.width()); ++x) {
            differing += isInk(a.pixel(x, y)) != isInk(b.pixel(x, y));
        }
    }
    return differing;
}

bool hasPixel(const QImage& image, const QRect& area, QRgb color) {
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixel(x, y) == color) return true;
        }
    }
    return false;
}

QImage drawnText(const std::string& bytes, const Font& font, int x = 100, int y = 100) {
    Canvas canvas;
    canvas.surface->drawText(x, y, bytes, font);
    return canvas.done();
}

TEST(QtSurfaceFonts, HeightIsTheCellAndMaxCharWidthTheFullWidthAdvance) {
    EXPECT_EQ(faceShape(FontFace::Ming).family, "AR PL UMing TW");
    EXPECT_EQ(faceShape(FontFace::Kai).family, "AR PL UKai TW");
    Canvas canvas;
    for (FontFace face : {FontFace::Ming, FontFace::Kai}) {
        for (int h : {8, 13, 20, 37, 64}) {
            const FontMetrics m = canvas.surface->metrics(face, h);
            EXPECT_EQ(m.height, h);
            // A full-width character is about as wide as the face's em,
            // a little less than the cell: never the inflated maximum.
            EXPECT_GE(m.maxCharWidth, h * 8 / 10) << "h " << h;
            EXPECT_LE(m.maxCharWidth, h) << "h " << h;
        }
    }
    EXPECT_EQ(canvas.surface->metrics(FontFace::Ming, 0).height, 0);
}

TEST(QtSurfaceFonts, MingAndKaiDrawDifferentGlyphs) {
    const QImage ming = drawnText(kZhong, Font{FontFace::Ming, 40, false});
    const QImage kai = drawnText(kZhong, Font{FontFace::Kai, 40, false});
    EXPECT_GT(inkDifference(ming, kai), 50);
}

TEST(QtSurfaceText, UprightCharactersLieInTheCellRightOfAndBelowTheReferencePoint) {
    for (FontFace face : {FontFace::Ming, FontFace::Kai}) {
        const Font font{face, 40, false};
        Canvas probe;
        const int m = probe.surface->metrics(face, 40).maxCharWidth;
        const QRect cell(100, 100, m, 40);
        for (const char* text : {"\xa4\xa4", "g", "W", "|"}) {
            const QRect ink = inkBox(drawnText(text, font));
            ASSERT_FALSE(ink.isNull()) << text;
            EXPECT_TRUE(cell.contains(ink)) << text << ": ink " << ink.x() << "," << ink.y() << " "
                                            << ink.width() << "x" << ink.height();
        }
        // The two-byte character fills much of its cell.
        const QRect zhong = inkBox(drawnText(kZhong, font));
        EXPECT_GT(zhong.height(), 40 / 2);
        EXPECT_GT(zhong.width(), m / 2);
    }
}

TEST(QtSurfaceText, TurnedCharactersLieLeftOfTheReferencePointRotatedClockwise) {
    for (FontFace face : {FontFace::Ming, FontFace::Kai}) {
        const QImage upright = drawnText("L", Font{face, 40, false}, 100, 100);
        const QImage turned = drawnText("L", Font{face, 40, true}, 200, 100);
        const QRect uprightInk = inkBox(upright);
        const QRect turnedInk = inkBox(turned);
        ASSERT_FALSE(turnedInk.isNull());
        EXPECT_TRUE(QRect(200 - 40, 100, 40, 40).contains(turnedInk));
        // Rotated: the box's sides are swapped, up to a pixel of rounding.
        EXPECT_NEAR(turnedInk.width(), uprightInk.height(), 1);
        EXPECT_NEAR(turnedInk.height(), uprightInk.width(), 1);
        // Clockwise: the upright glyph turned clockwise matches the turned
        // one far better than turned the other way.
        const QImage glyph = upright.copy(uprightInk);
        const QImage drawn = turned.copy(turnedInk);
        const int clockwise = inkDifference(glyph.transformed(QTransform().rotate(90)), drawn);
        const int counter = inkDifference(glyph.transformed(QTransform().rotate(-90)), drawn);
        EXPECT_LT(clockwise * 3, counter);
        EXPECT_LT(clockwise * 4, inkCount(drawn, drawn.rect()));
    }
}

TEST(QtSurfaceText, ColourIsBlackUntilSetAndBytesWithoutACharacterDrawNothing) {
    Canvas canvas;
    canvas.surface->drawText(10, 10, kZhong, Font{FontFace::Kai, 30, false});
    canvas.surface->setTextColor(kRed);
    canvas.surface->drawText(100, 10, kZhong, Font{FontFace::Kai, 30, false});
    const QImage& image = canvas.done();
    EXPECT_TRUE(hasPixel(image, QRect(0, 0, 90, 60), qRgb(0, 0, 0)));
    EXPECT_FALSE(hasPixel(image, QRect(0, 0, 90, 60), qRgb(255, 0, 0)));
    EXPECT_TRUE(hasPixel(image, QRect(90, 0, 90, 60), qRgb(255, 0, 0)));
    EXPECT_FALSE(hasPixel(image, QRect(90, 0, 90, 60), qRgb(0, 0, 0)));

    // A stray byte, an unmapped code, a user-defined code, a control byte,
    // and a font of height 0.
    const Font font{FontFace::Ming, 30, false};
    for (const char* bytes : {"\x80", "\xff\xfe", "\xa3\xc0", "\xfa\x40", "\x01"}) {
        EXPECT_TRUE(inkBox(drawnText(bytes, font)).isNull()) << bytes;
    }
    EXPECT_TRUE(inkBox(drawnText(kZhong, Font{FontFace::Ming, 0, false})).isNull());
}

TEST(QtSurfaceLines, LeaveOutTheEndPointAndDrawThinPensOnePixelWide) {
    for (int width : {0, 1}) {
        Canvas canvas;
        canvas.surface->drawLine(44, 0, 44, 224, Pen{PenSolid, width, kRed});
        const QImage& image = canvas.done();
        EXPECT_EQ(inkBox(image), QRect(44, 0, 1, 224)) << "width " << width;
        EXPECT_EQ(image.pixel(44, 0), qRgb(255, 0, 0));
        EXPECT_EQ(image.pixel(44, 223), qRgb(255, 0, 0));
    }
    Canvas wide;
    wide.surface->drawLine(10, 50, 110, 50, Pen{PenSolid, 2, kBlack});
    wide.surface->drawLine(200, 200, 200, 200, Pen{PenSolid, 4, kBlack});  // zero length
    const QRect box = inkBox(wide.done());
    EXPECT_EQ(box.width(), 100);
    EXPECT_EQ(box.height(), 2);

    Canvas diagonal;
    diagonal.surface->drawLine(10, 10, 20, 20, Pen{});
    diagonal.surface->drawLine(300, 300, 300, 300, Pen{});
    EXPECT_EQ(inkBox(diagonal.done()), QRect(10, 10, 10, 10));
}

// Lengths of the inked runs along row y from x = 0.
std::vector<int> inkRuns(const QImage& image, int y) {
    std::vector<int> runs;
    int run = 0;
    for (int x = 0; x < image.width(); ++x) {
        if (isInk(image.pixel(x, y))) {
            ++run;
        } else if (run > 0) {
            runs.push_back(run);
            run = 0;
        }
    }
    if (run > 0) runs.push_back(run);
    return runs;
}

TEST(QtSurfaceLines, StylesDashThinPensOnlyAndStretchWithTheResolution) {
    Canvas canvas;
    for (int style = 0; style <= 6; ++style) {
        canvas.surface->drawLine(0, 10 + 10 * style, 300, 10 + 10 * style, Pen{style, 1, kBlack});
        canvas.surface->drawLine(0, 100 + 10 * style, 300, 100 + 10 * style, Pen{style, 3, kBlack});
    }
    const QImage& image = canvas.done();
    for (int style = 0; style <= 6; ++style) {
        const std::vector<int> thin = inkRuns(image, 10 + 10 * style);
        const bool dashed = style >= PenDash && style <= PenDashDotDot;
        const bool drawn = style != 5;
        EXPECT_EQ(thin.size() > 1, dashed) << "style " << style;
        EXPECT_EQ(!thin.empty(), drawn) << "style " << style;
        // Wide pens are solid whatever the style.
        const std::vector<int> wide = inkRuns(image, 100 + 10 * style);
        EXPECT_EQ(wide, drawn ? std::vector<int>{300} : std::vector<int>{}) << "style " << style;
    }
    // Dots are shorter than dashes; on a finer device every dash is longer.
    const std::vector<int> dash = inkRuns(image, 10 + 10 * PenDash);
    const std::vector<int> dot = inkRuns(image, 10 + 10 * PenDot);
    ASSERT_FALSE(dash.empty());
    ASSERT_FALSE(dot.empty());
    EXPECT_LT(dot.front(), dash.front());
    Canvas fine(400, 300);
    fine.surface->drawLine(0, 10, 300, 10, Pen{PenDash, 1, kBlack});
    const std::vector<int> fineDash = inkRuns(fine.done(), 10);
    ASSERT_FALSE(fineDash.empty());
    EXPECT_GE(fineDash.front(), dash.front() * 2);
}

TEST(QtSurfaceRect, ClearWhitensTheDeviceAndRectanglesFillWhiteInsideTheirEdges) {
    Canvas cleared(50, kPreviewDpi, Qt::black);
    cleared.surface->clear();
    EXPECT_TRUE(inkBox(cleared.done()).isNull());

    Canvas canvas(100, kPreviewDpi, Qt::black);
    canvas.surface->drawRect(10, 20, 30, 50, Pen{PenDash, 1, kWhite});
    canvas.surface->drawRect(80, 90, 60, 60, Pen{PenSolid, 1, kRed});  // corners swapped
    canvas.surface->drawRect(5, 80, 15, 90, Pen{5, 1, kBlack});
    const QImage& image = canvas.done();
    auto white = [&](int x, int y) { return image.pixel(x, y) == qRgb(255, 255, 255); };
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 40; ++x) {
            EXPECT_EQ(white(x, y), x >= 10 && x <= 29 && y >= 20 && y <= 49) << x << "," << y;
        }
    }
    // Outline on the edge pixels, white inside.
    EXPECT_EQ(image.pixel(60, 60), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(79, 89), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(79, 75), qRgb(255, 0, 0));
    EXPECT_TRUE(white(70, 75));
    EXPECT_EQ(image.pixel(80, 75), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(70, 90), qRgb(0, 0, 0));
    // Without an outline the fill stops one pixel short of the outline's place.
    EXPECT_TRUE(white(5, 80));
    EXPECT_TRUE(white(13, 88));
    EXPECT_FALSE(white(14, 85));
    EXPECT_FALSE(white(10, 89));
}

}  // namespace
}  // namespace zarvo
