// Where a form lies on a printer's page, where the printer's correction
// moves it, and what of it lies beyond the printable area.

#include "printing/FormPlacement.h"

#include <gtest/gtest.h>

namespace zarvo {
namespace {

TEST(FormPlacement, PortraitAtTheTopLeftCornerLandscapeTurnedToTheBottomLeft) {
    const SheetMargins margins{6, 8, 4, 12};
    struct Case {
        bool landscape;
        int dpi;
        double x, y;
    };
    for (const Case& c : {Case{false, 254, 60, 80}, Case{true, 254, 60, 2970 - 120},
                          Case{false, 600, 6 * 600 / 25.4, 8 * 600 / 25.4},
                          Case{true, 600, 6 * 600 / 25.4, 285 * 600 / 25.4}}) {
        const FormPlacement place = placeForm(c.landscape, margins, 297, c.dpi);
        EXPECT_NEAR(place.x, c.x, 1e-9) << c.landscape << " " << c.dpi;
        EXPECT_NEAR(place.y, c.y, 1e-9) << c.landscape << " " << c.dpi;
        EXPECT_EQ(place.turned, c.landscape);
    }
}

TEST(PageCorrection, MovesAndScalesAboutThePrintableCorner) {
    const SheetMargins margins{5, 7, 4, 9};
    struct Case {
        PrinterCorrection correction;
        double xMm, yMm;            // a point on the page, from the sheet's corner
        double expectXMm, expectYMm;  // where it goes: L + dx + (x - L) * sx, T + dy + (y - T) * sy
    };
    const Case cases[] = {
        {{}, 100, 200, 100, 200},
        {{1.5, -0.7, 100, 100}, 5, 7, 6.5, 6.3},
        {{1.5, -0.7, 101, 99}, 105, 207, 5 + 1.5 + 101, 7 - 0.7 + 198},
        {{0, 0, 95, 105}, 5, 7, 5, 7},
    };
    for (const Case& c : cases) {
        const PageCorrection page = pageCorrection(c.correction, margins, 600);
        const double toPixels = 600 / 25.4;
        EXPECT_NEAR((page.xx * c.xMm * toPixels + page.x0) / toPixels, c.expectXMm, 1e-9);
        EXPECT_NEAR((page.yy * c.yMm * toPixels + page.y0) / toPixels, c.expectYMm, 1e-9);
    }
}

TEST(Overrun, SaysHowFarEachEdgeIsPassed) {
    const SheetMargins margins{5, 7, 4, 9};
    const double mm = 300 / 25.4;  // pixels per mm at 300 dpi
    struct Case {
        double left, top, right, bottom;  // mm on an A4 page
        const char* message;
    };
    const Case cases[] = {
        {5, 7, 206, 288, ""},
        {5, 7, 208.9, 288, "第 3 頁超出印表機可列印範圍: 右 2.9 mm"},
        {3, 6, 206, 290, "第 3 頁超出印表機可列印範圍: 左 2.0 mm, 上 1.0 mm, 下 2.0 mm"},
        {4.97, 7, 206, 288, ""},
    };
    for (const Case& c : cases) {
        const Overrun beyond =
            overrun(c.left * mm, c.top * mm, c.right * mm, c.bottom * mm, margins, 210, 297, 300);
        EXPECT_EQ(overrunMessage(3, beyond), c.message);
    }
}

}  // namespace
}  // namespace zarvo
