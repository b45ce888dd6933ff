#include "calibration/CalibrationArithmetic.h"

#include <gtest/gtest.h>

#include <string>

namespace zarvo {
namespace {

// An A4 sheet with a printable area of 200 x 285 mm: A at (20, 20), B at
// (180, 265) from the printable corner.
CalibrationLayout a4(SheetMargins margins) {
    CalibrationLayout layout;
    layout.margins = margins;
    layout.widthMm = 200;
    layout.heightMm = 285;
    return layout;
}

// A printer's own error on one axis: a point u mm from the printable corner
// lands at margin + shift + u * stretch from the sheet's edge.
struct PrinterError {
    double shift;
    double stretch;
};

// Where a point u from the printable corner lands under correction (d, s%).
double landing(double u, double margin, PrinterError printer, double d, double sPercent) {
    return margin + printer.shift + (d + u * sPercent / 100) * printer.stretch;
}

TEST(CalibrationArithmetic, ReprintedWithTheNewCorrectionBothCrossesLandWhereTheyShould) {
    struct Case {
        SheetMargins margins;
        PrinterError x, y;
        PrinterCorrection inForce;
    };
    const Case cases[] = {
        {{5, 6, 5, 6}, {0, 1}, {0, 1}, {}},
        {{5, 6, 5, 6}, {1.5, 1}, {-0.7, 1}, {}},
        {{4.2, 4.2, 4.2, 4.2}, {0, 1.004}, {0, 0.998}, {}},
        {{3, 8, 3, 8}, {2.2, 0.985}, {-3.1, 1.012}, {}},
        {{3, 8, 3, 8}, {2.2, 0.985}, {-3.1, 1.012}, {-2.2, 3.1, 101.5, 98.8}},
        {{0, 0, 0, 0}, {-4, 1.02}, {6, 0.97}, {10, -10, 96, 104}},
        {{6.35, 4.23, 6.35, 4.23}, {0.3, 1.001}, {0.4, 0.999}, {-0.3, -0.4, 99.9, 100.1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "printer x " << c.x.shift << "/" << c.x.stretch << " y " << c.y.shift
                                        << "/" << c.y.stretch << " in force " << formatCorrection(c.inForce));
        const CalibrationLayout layout = a4(c.margins);
        const double left = c.margins.left;
        const double top = c.margins.top;
        const PrinterCorrection& old = c.inForce;
        const MeasuredCrosses measured{landing(layout.ax(), left, c.x, old.dx, old.sx),
                                       landing(layout.ay(), top, c.y, old.dy, old.sy),
                                       landing(layout.bx(), left, c.x, old.dx, old.sx),
                                       landing(layout.by(), top, c.y, old.dy, old.sy)};
        const std::optional<PrinterCorrection> next = calibratedCorrection(layout, measured, old);
        ASSERT_TRUE(next);
        // Kept to 0.1 mm and 0.01 %: within 0.05 mm plus 0.005 % of 265 mm.
        const double tolerance = 0.07;
        EXPECT_NEAR(landing(layout.ax(), left, c.x, next->dx, next->sx), left + layout.ax(), tolerance);
        EXPECT_NEAR(landing(layout.bx(), left, c.x, next->dx, next->sx), left + layout.bx(), tolerance);
        EXPECT_NEAR(landing(layout.ay(), top, c.y, next->dy, next->sy), top + layout.ay(), tolerance);
        EXPECT_NEAR(landing(layout.by(), top, c.y, next->dy, next->sy), top + layout.by(), tolerance);
        EXPECT_EQ(*next, roundedCorrection(*next));
    }
}

TEST(CalibrationArithmetic, TheFieldsAreCheckedInTurnAndEveryFaultIsNamed) {
    struct Case {
        MeasurementTexts texts;
        std::optional<PrinterCorrection> correction;
        std::string problem;
    };
    const std::string notNumbers = "下列量測值不是數字 (mm), 校正值沒有存入:";
    const std::string onePlace = "十字 A 與 B 量在同一處, 無法算出校正值:";
    const std::string outOfRange = "校正值超出範圍 (位移 -50 ~ 50 mm, 縮放 95 ~ 105 %), 沒有存入; 請檢查量測值:";
    const Case cases[] = {
        {{"25", "26", "185", "271"}, PrinterCorrection{0, 0, 100, 100}, ""},
        {{"26.5", "25.7", "187.3", "270"}, PrinterCorrection{-1.4, 0.2, 99.5, 100.29}, ""},
        {{"+26.5", ".5", "187.", "270.0"}, PrinterCorrection{-1.4, 25, 99.69, 90.91}, outOfRange + "\nsy 90.91 %"},
        {{"", "", "", ""}, std::nullopt,
         notNumbers + "\nA 距左緣: (空白)\nA 距上緣: (空白)\nB 距左緣: (空白)\nB 距上緣: (空白)"},
        {{"25", "abc", "1e2", " 271"}, std::nullopt,
         notNumbers + "\nA 距上緣: 「abc」\nB 距左緣: 「1e2」\nB 距上緣: 「 271」"},
        {{"25,5", "26", "185", "二七一"}, std::nullopt, notNumbers + "\nA 距左緣: 「25,5」\nB 距上緣: 「二七一」"},
        {{"40", "40", "40", ""}, std::nullopt, notNumbers + "\nB 距上緣: (空白)"},
        {{"40", "26", "40", "271"}, std::nullopt, onePlace + "\nA 距左緣與 B 距左緣 同為 40"},
        {{"40", "40", "40.0", "40"}, std::nullopt,
         onePlace + "\nA 距左緣與 B 距左緣 同為 40\nA 距上緣與 B 距上緣 同為 40"},
        {{"80", "26", "240", "271"}, PrinterCorrection{-55, 0, 100, 100}, outOfRange + "\ndx -55 mm"},
        {{"25", "26", "175", "251"}, PrinterCorrection{-1.3, -1.8, 106.67, 108.89},
         outOfRange + "\nsx 106.67 %\nsy 108.89 %"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.texts[0] + " " + c.texts[1] + " " + c.texts[2] + " " + c.texts[3]);
        const CalibrationOutcome outcome = calibrationOutcome(a4({5, 6, 5, 6}), c.texts, {});
        EXPECT_EQ(outcome.correction, c.correction);
        EXPECT_EQ(outcome.problem, c.problem);
    }
}

TEST(CalibrationArithmetic, TheSummaryShowsTheCorrectionTheFieldsGiveAndTheOneInForce) {
    struct Case {
        CalibrationOutcome outcome;
        PrinterCorrection inForce;
        std::string text;
    };
    const Case cases[] = {
        {{PrinterCorrection{1.5, -0.7, 100.4, 99.8}, ""}, {},
         "校正值: dx 1.5 mm, dy -0.7 mm, sx 100.40 %, sy 99.80 %\n原校正值: dx 0 mm, dy 0 mm, sx 100.00 %, sy 100.00 %"},
        {{PrinterCorrection{-62.3, 0, 100, 95}, "out"}, {-2, 3.1, 101.25, 98},
         "校正值: dx -62.3 mm, dy 0 mm, sx 100.00 %, sy 95.00 % (超出範圍)\n"
         "原校正值: dx -2 mm, dy 3.1 mm, sx 101.25 %, sy 98.00 %"},
        {{std::nullopt, "empty"}, {0.1, 0, 100, 100},
         "校正值: —\n原校正值: dx 0.1 mm, dy 0 mm, sx 100.00 %, sy 100.00 %"},
    };
    for (const Case& c : cases) EXPECT_EQ(calibrationSummary(c.outcome, c.inForce), c.text);
}

}  // namespace
}  // namespace zarvo
