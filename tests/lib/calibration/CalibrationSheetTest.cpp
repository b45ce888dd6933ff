// The calibration sheet: its layout for each paper, the report it is made
// of, and its printing through a spooler.

#include "calibration/CalibrationSheet.h"

#include <sstream>

#include <gtest/gtest.h>

#include "report/Big5.h"
#include "report/ProfilePaper.h"
#include "report/ReportError.h"
#include "report/Units.h"
#include "tests/common/MarginSpooler.h"
#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

const SheetMargins kMargins{5, 7, 4, 9};

TEST(CalibrationSheet, CrossesLieTwentyMillimetresInFromThePrintableCorners) {
    struct Case {
        SheetPaper paper;
        double width, height;
    };
    const SheetPaper continuous(9, customPaper(241.3, 139.7));
    for (const Case& c : {Case{0, 201, 281}, Case{3, 248, 348}, Case{4, 288, 404}, Case{continuous, 232.3, 123.7}}) {
        const CalibrationLayout layout = calibrationLayout(c.paper, kMargins);
        EXPECT_TRUE(isCalibrationPaper(c.paper));
        EXPECT_FALSE(layout.paper.landscape);
        EXPECT_NEAR(layout.widthMm, c.width, 1e-9);
        EXPECT_NEAR(layout.heightMm, c.height, 1e-9);
        EXPECT_NEAR(layout.bx(), c.width - 20, 1e-9);
        EXPECT_NEAR(layout.by(), c.height - 20, 1e-9);
    }
    for (int code : {1, 2, 5, 9}) EXPECT_FALSE(isCalibrationPaper(code));
}

TEST(CalibrationSheet, PrintsItsCrossesAndSaysWhereTheyShouldLand) {
    test::TempDir config;
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    test::MarginSpooler spooler({{"office", true}}, {{"office", kMargins}});
    const CalibrationLayout layout = printCalibrationSheet(spooler, "office", 0).layout;
    const std::string trace = spooler.trace.str();
    EXPECT_EQ(trace.rfind("sheet 0 paper=0 dpi=300\n", 0), 0u) << trace.substr(0, 80);
    // Cross B's arms at (181, 261) mm from the printable corner.
    const auto px = [](double mm) { return std::to_string(mmToDevice(float(mm), 300)); };
    EXPECT_NE(trace.find("line " + px(175) + ' ' + px(261) + ' ' + px(187) + ' ' + px(261) + " pen=0,0,000000"),
              std::string::npos);
    EXPECT_NE(trace.find("line " + px(181) + ' ' + px(255) + ' ' + px(181) + ' ' + px(267)), std::string::npos);
    // Margin + position: A at 25.0 / 27.0 mm, B at 186.0 / 268.0 mm from the sheet's edges.
    const std::string report = calibrationReport(layout, {"office", 300, {1.5, -0.7, 101, 99}});
    for (const char* text : {"左緣25.0mm，上緣27.0mm", "左緣186.0mm，上緣268.0mm", "dx1.5mm，dy-0.7mm，sx101.00%",
                             "300dpi", "office"}) {
        EXPECT_NE(report.find(*utf8ToBig5(text)), std::string::npos) << text;
    }
    EXPECT_THROW(printCalibrationSheet(spooler, "office", 1), ReportError);
    EXPECT_THROW(printCalibrationSheet(spooler, "nowhere", 0), ReportError);
    unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace zarvo
