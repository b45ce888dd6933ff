// The engine's report opening, geometry, pens and print jobs.

#include "engine/XPrint.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <limits>

#include "report/ConversionError.h"
#include "report/Units.h"
#include "tests/common/TempDir.h"
#include "tests/lib/engine/TestPreview.h"

namespace zarvo {
namespace {

using ::testing::ElementsAre;
using test::TempDir;
using test::TestPreview;

std::string report(const std::string& header, const std::string& lines) {
    return header + "\r\nLINE_INFO\t" + lines + "LABEL_STRING\t0\r\nBLOCK_INFO\t0\r\n";
}

class XPrintTest : public ::testing::Test {
protected:
    std::string write(const std::string& text) { return dir.write("form.txt", text); }

    // Draws the report's lines into the preview image and returns the trace.
    std::vector<std::string> previewLines(const std::string& text) {
        XPrint engine(write(text), preview.context());
        engine.AttachPreview();
        engine.DrawLines();
        return preview.takeLines();
    }

    TempDir dir;
    TestPreview preview;
};

TEST(MmToDevice, TruncatesTowardZeroWithTheFixedFactor) {
    EXPECT_EQ(mmToDevice(10.0f, 114), 44);      // 44.88
    EXPECT_EQ(mmToDevice(25.4f, 114), 113);     // the factor, not a division by 25.4
    EXPECT_EQ(mmToDevice(88.9f, 300), 1050);    // a single-precision product would give 1049
    EXPECT_EQ(mmToDevice(-0.3f, 114), -1);      // -1.35: toward zero, not rounded or clamped
    EXPECT_EQ(mmToDevice(-0.2f, 114), 0);       // -0.90
    EXPECT_EQ(mmToDevice(0.0f, 300), 0);
}

TEST(MmToDevice, LengthsBeyondTheDeviceRangeAreHeldAtItsEdges) {
    EXPECT_EQ(mmToDevice(3e38f, 114), INT_MAX);
    EXPECT_EQ(mmToDevice(-3e38f, 300), INT_MIN);
    EXPECT_EQ(mmToDevice(std::numeric_limits<float>::infinity(), 114), INT_MAX);
    EXPECT_EQ(mmToDevice(std::numeric_limits<float>::quiet_NaN(), 114), 0);
    // Just inside the range the value is converted as usual.
    EXPECT_EQ(mmToDevice(18000000.0f, 300), 212598425);
}

TEST_F(XPrintTest, AbsurdLengthsInARowDrawAtTheEdgeOfTheDevice) {
    // Lengths of 1e38 and -3e38 mm, far beyond any device.
    EXPECT_THAT(previewLines(report("0\t0\t0", "2\r\n0\t1\t1e38\t0\t10\t0\r\n"
                                               "0\t1\t-3e38\t0\t-3e38\t0\r\n")),
                ElementsAre("line 2147483647 0 44 0 pen=0,1,ff0000",
                            "line -2147483648 0 -2147483648 0 pen=0,1,ff0000"));
}

TEST_F(XPrintTest, LineRowInPreviewIsRedAtTheConvertedPositions) {
    EXPECT_THAT(previewLines(report("0\t0\t0", "1\r\n0\t1\t10\t0\t10\t50\t\r\n")),
                ElementsAre("line 44 0 44 224 pen=0,1,ff0000"));
}

TEST_F(XPrintTest, PenWidthFollowsTheHeavyLineRule) {
    EXPECT_THAT(previewLines(report("0\t0\t0",
                                    "4\r\n0\t0\t0\t0\t1\t0\t\r\n2\t2\t0\t0\t1\t0\t\r\n"
                                    "3\t3\t0\t0\t1\t0\t\r\n4\t9\t0\t0\t1\t0\t\r\n")),
                ElementsAre("line 0 0 4 0 pen=0,0,ff0000", "line 0 0 4 0 pen=2,2,ff0000",
                            "line 0 0 4 0 pen=3,2,ff0000", "line 0 0 4 0 pen=4,2,ff0000"));
}

TEST_F(XPrintTest, OffsetsAreSummedInMillimetresBeforeConversion) {
    // 0.5 + 10 = 10.5 mm is 47 px; converting separately would give 2 + 44.
    EXPECT_THAT(previewLines(report("0\t10\t20", "1\r\n0\t1\t0.5\t0.5\t0.5\t30\t\r\n")),
                ElementsAre("line 47 92 47 224 pen=0,1,ff0000"));
}

TEST_F(XPrintTest, PreviewOffsetsMoveOnlyThePreview) {
    const std::string text = report("0\t0\t0\t5\t7", "1\r\n0\t1\t10\t0\t10\t50\t\r\n");
    // 15 mm = 67 px, 7 mm = 31 px, 57 mm = 255 px.
    EXPECT_THAT(previewLines(text), ElementsAre("line 67 31 67 255 pen=0,1,ff0000"));

    preview.mode = 0;
    XPrint engine(preview.context());
    engine.Load(write(text));
    engine.BeginJob();
    engine.DrawLines();
    engine.EndJob();
    EXPECT_THAT(preview.takeLines(),
                ElementsAre("sheet 0 paper=0 dpi=300", "line 118 0 118 590 pen=0,1,000000"));
}

TEST_F(XPrintTest, HeavyPenIsFivePixelsAtThreeHundredDpi) {
    preview.mode = 0;
    XPrint engine(write(report("0\t0\t0", "1\r\n0\t3\t0\t0\t10\t0\t\r\n")), preview.context());
    engine.BeginJob();
    engine.DrawLines();
    engine.EndJob();
    EXPECT_THAT(preview.takeLines(),
                ElementsAre("sheet 0 paper=0 dpi=300", "line 0 0 118 0 pen=0,5,000000"));
}

TEST_F(XPrintTest, PreviewImageSideFollowsThePaperCode) {
    const std::pair<int, int> sides[] = {{0, 1633}, {1, 1633}, {2, 1633}, {3, 1633},
                                         {4, 2000}, {5, 2000}, {9, 1633}, {-1, 1633}};
    for (auto [code, side] : sides) {
        XPrint engine(write(report(std::to_string(code) + "\t0\t0", "0\r\n")), preview.context());
        engine.AttachPreview();
        EXPECT_EQ(preview.imageWidth, side) << "paper code " << code;
        EXPECT_EQ(preview.imageHeight, side) << "paper code " << code;
        EXPECT_EQ(engine.dpi, 114);
    }
}

TEST_F(XPrintTest, EverySheetOfAJobKeepsItsOwnPaper) {
    preview.mode = 0;
    const std::string portrait = dir.write("a4.txt", report("0\t0\t0", "0\r\n"));
    const std::string landscape = dir.write("a4l.txt", report("1\t0\t0", "0\r\n"));
    {
        XPrint engine(preview.context());
        engine.Load(portrait);
        engine.BeginJob();
        engine.Reset();
        engine.Load(landscape);
        engine.NextSheet();
    }  // the destructor ends the job
    EXPECT_THAT(preview.takeLines(),
                ElementsAre("sheet 0 paper=0 dpi=300", "sheet 1 paper=1 dpi=300"));
    EXPECT_EQ(preview.printers.jobsStarted(), 1);
    EXPECT_EQ(preview.printers.lastDocumentName(), portrait);
}

TEST_F(XPrintTest, AnUnknownPrinterIsRefused) {
    preview.mode = 0;
    preview.printer = "Nowhere";
    XPrint engine(write(report("0\t0\t0", "0\r\n")), preview.context());
    EXPECT_THROW(engine.BeginJob(), std::runtime_error);
    EXPECT_EQ(preview.printers.jobsStarted(), 0);
}

TEST_F(XPrintTest, ZeroLinesLeaveTheReportAtTheLabelSection) {
    XPrint engine(write("0\t0\t0\nLINE_INFO\t0\nLABEL_STRING\t1\n"
                        "0\t0\t0\t10\t10\t0\t0\t0\t0\t5\t0\t0\tA\nBLOCK_INFO\t0\n"), preview.context());
    engine.AttachPreview();
    engine.DrawLines();
    engine.DrawLabels();
    std::vector<std::string> lines = preview.takeLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_THAT(lines[0], ::testing::StartsWith("text 0 0 41 face=ming h=22.42 turned=0 color=ff0000"));
    EXPECT_TRUE(engine.problem().empty());
}

TEST_F(XPrintTest, HeaderErrorLeavesTheConstructor) {
    try {
        XPrint engine(write(report("0 10 20", "0\r\n")), preview.context());
        FAIL() << "a header separated by blanks was accepted";
    } catch (const ConversionError& error) {
        EXPECT_STREQ(error.what(), "'0 10 20' is not a valid integer value");
    }
}

TEST_F(XPrintTest, ADamagedLineRowStopsTheDrawingAndIsReported) {
    XPrint engine(write(report("0\t0\t0", "3\r\n0\t1\t10\t0\t10\t50\r\n0\t1\tx\t0\t10\t50\r\n")), preview.context());
    engine.AttachPreview();
    engine.DrawLines();
    EXPECT_THAT(preview.takeLines(), ElementsAre("line 44 0 44 224 pen=0,1,ff0000"));
    EXPECT_FALSE(engine.problem().empty());
}

}  // namespace
}  // namespace zarvo

namespace zarvo {
namespace {

TEST_F(XPrintTest, AReportHeldInMemoryDrawsAsItsFileDoes) {
    const std::string text = report("1\t5\t-3\t2\t2", "2\r\n0\t1\t10\t0\t10\t50\t\r\n3\t3\t0\t7.5\t99\t7.5\r\n");
    const std::vector<std::string> fromFile = previewLines(text);
    XPrint engine(preview.context());
    engine.LoadBytes(text, "memo");
    engine.AttachPreview();
    engine.DrawLines();
    EXPECT_EQ(preview.takeLines(), fromFile);
    EXPECT_EQ(engine.size, 1);
    EXPECT_EQ(engine.reportPath, "memo");
    EXPECT_THROW(engine.LoadBytes("x\t0\t0\r\n", "memo"), ConversionError);
}

}  // namespace
}  // namespace zarvo
