#include "symbol/SymbolDrawing.h"
#include "symbol/SymbolError.h"
#include "symbol/SymbolValue.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zarvo {
namespace {

SymbolPlacement placementAt(int dpi, bool wholePixels)
{
    SymbolPlacement placement;
    placement.frameLeft = 101;
    placement.frameTop = 57;
    placement.frameHeight = dpi / 2.0;  // half an inch
    placement.textLineHeight = dpi / 10.0;
    placement.dpi = dpi;
    placement.wholePixels = wholePixels;
    return placement;
}

bool whole(double value) { return value == std::floor(value); }

// Paints the rectangles back into modules; every rectangle must cover whole
// modules of the symbol.
std::vector<bool> modulesOf(const SymbolDrawing& drawing, const SymbolMatrix& matrix, double rowHeight)
{
    const SymbolGeometry& g = drawing.geometry;
    std::vector<bool> dark(matrix.dark.size(), false);
    for (const DeviceRect& rect : drawing.rects) {
        const double column = (rect.x - g.symbolLeft) / g.module;
        const double row = (rect.y - g.symbolTop) / rowHeight;
        const double columns = rect.width / g.module;
        EXPECT_NEAR(column, std::round(column), 1e-9);
        EXPECT_NEAR(row, std::round(row), 1e-9);
        EXPECT_NEAR(columns, std::round(columns), 1e-9);
        EXPECT_DOUBLE_EQ(rect.height, rowHeight);
        for (int c = 0; c < std::lround(columns); ++c) {
            dark.at(static_cast<std::size_t>(std::lround(row) * matrix.columns + std::lround(column) + c)) = true;
        }
    }
    return dark;
}

struct GeometryCase {
    SymbolKind kind;
    std::string value;
};

TEST(SymbolDrawingTest, ModulesAreEqualWholePixelsAndTheSymbolStartsAfterTheQuietZone)
{
    const GeometryCase cases[] = {{SymbolKind::Code128, "Zarvo-128"}, {SymbolKind::Ean13, "590123412345"},
                                  {SymbolKind::Qr, "\xA4\xA4 QR"}, {SymbolKind::Pdf417, "PDF"}};
    for (const auto& c : cases) {
        for (int dpi : {180, 300, 360, 600}) {
            for (bool wholePixels : {true, false}) {
                SCOPED_TRACE(symbolName(c.kind) + " at " + std::to_string(dpi) + (wholePixels ? " paper" : " pdf"));
                SymbolSpec spec;
                spec.kind = c.kind;
                spec.moduleMm = isLinear(c.kind) ? 0.33 : 0.5;
                spec.quietModules = 3;
                const SymbolPlacement placement = placementAt(dpi, wholePixels);
                const SymbolMatrix matrix = encodeSymbol(spec, symbolData(spec, c.value));
                const SymbolDrawing drawing = layoutSymbol(spec, matrix, c.value, placement);
                const SymbolGeometry& g = drawing.geometry;

                const double exact = spec.moduleMm * dpi / 25.4;
                EXPECT_DOUBLE_EQ(g.module, wholePixels ? std::round(exact) : exact);
                EXPECT_DOUBLE_EQ(g.symbolLeft, 101 + 3 * g.module);
                EXPECT_DOUBLE_EQ(g.symbolTop, isLinear(c.kind) ? 57 : 57 + 3 * g.module);
                EXPECT_DOUBLE_EQ(g.totalWidth, (matrix.columns + 6) * g.module);
                const double rowHeight = isLinear(c.kind) ? placement.frameHeight - placement.textLineHeight
                                                          : matrix.rowHeightModules * g.module;
                EXPECT_EQ(modulesOf(drawing, matrix, rowHeight), matrix.dark);
                for (const DeviceRect& rect : drawing.rects) {
                    if (wholePixels) {
                        EXPECT_TRUE(whole(rect.x) && whole(rect.y) && whole(rect.width) && whole(rect.height));
                    }
                }
            }
        }
    }
}

TEST(SymbolDrawingTest, LinearCodesLeaveTheTextLineUnderTheBars)
{
    SymbolSpec spec;
    spec.kind = SymbolKind::Code39;
    SymbolPlacement placement = placementAt(300, true);  // frame 150 px high, text line 30 px
    const SymbolDrawing drawing = drawSymbol(spec, "AB12", placement).value();
    EXPECT_EQ(drawing.text, "AB12");
    EXPECT_EQ(drawing.rects.front().height, 120);
    EXPECT_EQ(drawing.textBox, (DeviceRect{drawing.geometry.symbolLeft, 57 + 120,
                                           drawing.geometry.totalWidth - 2 * drawing.geometry.quiet, 30}));
    EXPECT_EQ(drawing.geometry.totalHeight, 150);

    spec.barHeightMm = 10;  // 118.1 px
    spec.showText = false;
    const SymbolDrawing fixed = drawSymbol(spec, "AB12", placement).value();
    EXPECT_EQ(fixed.rects.front().height, 118);
    EXPECT_TRUE(fixed.text.empty());
    EXPECT_EQ(fixed.geometry.totalHeight, 118);

    spec.barHeightMm.reset();
    spec.showText = true;
    placement.frameHeight = 30;
    EXPECT_THROW(drawSymbol(spec, "AB12", placement), SymbolError);
    EXPECT_FALSE(drawSymbol(spec, "", placement));
}

TEST(SymbolDrawingTest, AModuleIsAtLeastOnePixel)
{
    EXPECT_EQ(moduleOnDevice(0.05, 180, true), 1);
    EXPECT_EQ(moduleOnDevice(0.33, 180, true), 2);
    EXPECT_DOUBLE_EQ(moduleOnDevice(0.05, 180, false), 0.05 * 180 / 25.4);
}

}  // namespace
}  // namespace zarvo
