// A block's value through its [Block NAME] section: the keys checked where
// the profile is read, the value formatted, then drawn as text, in digit
// cells or as a symbol of filled rectangles; values that cannot be drawn.

#include <algorithm>
#include <cmath>
#include <sstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/BlockSample.h"
#include "engine/BlockStyle.h"
#include "engine/FormProfileFile.h"
#include "engine/XPrint.h"
#include "platform/os/DataRoot.h"
#include "report/ReportError.h"
#include "tests/common/RecordingPresenter.h"
#include "tests/common/TempDir.h"
#include "tests/lib/engine/TestPreview.h"

namespace zarvo {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using test::TempDir;
using test::TestPreview;

struct SectionCase {
    const char* name;
    std::string profile;
    int line;           // the fault's line, 0 for none
    std::string key;    // the key it names
    std::string words;  // part of its reason
};

TEST(BlockSectionCheck, AKeyThatCannotBeUsedIsAFaultOnItsLine) {
    const SectionCase cases[] = {
        {"good symbol and format", "[Block total]\nformat=number\ndecimals=2\n[Block code]\nkind=qr\necc=H\n", 0,
         "", ""},
        {"symbol option", "[Block code]\nkind=code39\nmodule=abc\n", 3, "module", "module"},
        {"unknown kind", "[Block code]\nkind=aztec\n", 2, "kind", "kind"},
        {"format option without its format", "[Block total]\nformat=amount-tw\ndecimals=2\n", 3, "decimals",
         "decimals"},
        {"key given twice: the second line", "[Block total]\nformat=number\ngrouping=yes\nformat=date\n", 4,
         "format", "format"},
        {"cells on a symbol", "[Block code]\nkind=qr\nmodule=0.5\ncells=4\n", 4, "cells", "kind=text"},
        {"cells on text", "[Block code]\nkind=text\ncells=4\n", 0, "", ""},
        {"other sections untouched", "[General]\nopacity=50\n[Mine]\nrows=3\n", 0, "", ""},
        {"shrink to a least height", "[Block v]\nshrink=yes\nmin=1.5\n", 0, "", ""},
        {"shrink neither yes nor no", "[Block v]\nshrink=maybe\n", 2, "shrink", "yes 或 no"},
        {"a least height without shrink", "[Block v]\nmin=2\n", 2, "min", "shrink=yes"},
        {"a least height that is no size", "[Block v]\nshrink=yes\nmin=0\n", 3, "min", "0.5 到 100"},
        {"shrink on a symbol", "[Block v]\nkind=qr\nshrink=yes\n", 3, "shrink", "不分格的文字"},
    };
    for (const SectionCase& c : cases) {
        const FormProfile profile = profileFromText(c.profile);
        const std::optional<ProfileFault> fault = profile.stoppingFault();
        if (c.line == 0) {
            EXPECT_FALSE(fault) << c.name << ": " << fault->reason;
            continue;
        }
        ASSERT_TRUE(fault) << c.name;
        EXPECT_EQ(fault->line, c.line) << c.name;
        EXPECT_EQ(fault->key, c.key) << c.name;
        EXPECT_THAT(fault->reason, HasSubstr(c.words)) << c.name;
    }
}

TEST(BlockSectionCheck, TheEngineRefusesAReportWhoseBlockSectionCannotBeUsed) {
    TempDir dir;
    const std::string report = dir.write("form.txt", "0\t0\t0\r\nLINE_INFO\t0\r\nLABEL_STRING\t0\r\nBLOCK_INFO\t0\r\n");
    dir.write("form.zarvo", "[Block total]\nformat=money\n");
    try {
        XPrint engine(report);
        FAIL() << "opened";
    } catch (const ReportError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "表單設定檔 " + (dir.path() / "form.zarvo").string() +
                      " 第 2 行: format 必須是 amount-tw、number、roc-date 或 date");
    }
}

// A form with one block "v" at (10, 20) mm, w x h mm, character height
// 5 mm, no margins, and the block's section.
class BlockDrawingTest : public ::testing::Test {
public:
    explicit BlockDrawingTest(int mode = 1, int printerDpi = 300) : preview(mode, printerDpi) {
        setDataRootOverride(dir.path().string());
    }
    ~BlockDrawingTest() override { setDataRootOverride(""); }

    // Draws value in the block under section, in preview or on a print job
    // sheet; returns the trace lines of the value alone and its placement.
    std::vector<std::string> drawValue(const std::string& section, const std::string& value, float width = 40,
                                       float height = 10) {
        std::ostringstream row;
        row << "0\t10\t20\t" << width << '\t' << height << "\t0\t0\t0\t0\t5\t0\t0\tv\r\n";
        const std::string report = dir.write(
            "form.txt", "0\t0\t0\r\nLINE_INFO\t0\r\nLABEL_STRING\t0\r\nBLOCK_INFO\t1\r\n" + row.str());
        dir.write("form.zarvo", "[Block v]\n" + section);
        XPrint engine(report, preview.context());
        if (preview.mode == 1) {
            engine.AttachPreview();
        } else {
            engine.BeginJob();
        }
        engine.DrawLines();
        engine.DrawLabels();
        engine.ReadBlocks();
        preview.takeLines();
        placement = engine.DrawField("v", value, 0, 0);
        faults = engine.valueFaults();
        std::vector<std::string> lines = preview.takeLines();
        if (preview.mode == 0) engine.EndJob();
        return lines;
    }

    TempDir dir;
    TestPreview preview;
    test::RecordingPresenter messages;
    FramePlacement placement;
    std::vector<std::string> faults;
};

struct TextCase {
    const char* name;
    std::string section;
    std::string value;
    std::vector<std::string> lines;
};

// At 114 dpi the block's left is 44 px, its top 89 px; its 5 mm characters
// are 236 layout units (22.42 px) high, a one-byte character 103 wide.
TEST_F(BlockDrawingTest, TheFormattedValueIsDrawnAsTextOrOneCharacterACell) {
    const TextCase cases[] = {
        {"number with groups", "format=number\ngrouping=yes\n", "1234",
         {"text 44 89 31 face=ming h=22.42 turned=0 color=000000",
          "text 54 89 2c face=ming h=22.42 turned=0 color=000000",
          "text 64 89 32 face=ming h=22.42 turned=0 color=000000",
          "text 74 89 33 face=ming h=22.42 turned=0 color=000000",
          "text 83 89 34 face=ming h=22.42 turned=0 color=000000"}},
        // Frame 472..2361 x 944..1416 layout units: cells of 472, the two
        // characters in the last two, each centred: (1416 + 1888 - 103) / 2 ...
        {"digit cells, right-aligned", "cells=4\n", "12",
         {"text 152 100 31 face=ming h=22.42 turned=0 color=000000",
          "text 197 100 32 face=ming h=22.42 turned=0 color=000000"}},
        {"cells after a format", "format=number\ndecimals=1\ncells=4\n", "7",
         {"text 107 100 37 face=ming h=22.42 turned=0 color=000000",
          "text 152 100 2e face=ming h=22.42 turned=0 color=000000",
          "text 197 100 30 face=ming h=22.42 turned=0 color=000000"}},
        {"an empty value draws nothing", "format=number\n", "", {}},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(drawValue(c.section, c.value), c.lines) << c.name;
        EXPECT_TRUE(placement.complete()) << c.name;
        EXPECT_THAT(faults, IsEmpty()) << c.name;
    }
    EXPECT_THAT(messages.texts(), IsEmpty());
}

// A value too long for its 40 x 10 mm frame at 5 mm prints whole with
// shrink=yes, at a smaller height, every character inside the frame, on
// screen and on printers of every resolution.
TEST(BlockShrinking, ALongValueShrinksUntilItFitsAndStaysInsideItsFrame) {
    struct Drawing : BlockDrawingTest {
        using BlockDrawingTest::BlockDrawingTest;
        void TestBody() override {}
    };
    const std::string value(60, 'W');
    for (const auto& [mode, dpi] : {std::pair{1, 114}, std::pair{0, 180}, std::pair{0, 300}, std::pair{0, 600}}) {
        SCOPED_TRACE(dpi);
        Drawing drawing(mode, dpi);
        drawing.drawValue("", value);
        EXPECT_FALSE(drawing.placement.complete()) << "without shrink";
        const std::vector<std::string> lines = drawing.drawValue("shrink=yes\n", value);
        EXPECT_TRUE(drawing.placement.complete());
        ASSERT_EQ(lines.size(), value.size());
        const double px = dpi / 25.4;
        for (const std::string& line : lines) {
            std::istringstream in(line.substr(5));
            double x = 0, y = 0;
            std::string hex, face, height;
            in >> x >> y >> hex >> face >> height;
            const double h = std::stod(height.substr(2));
            EXPECT_LT(h, 5 * px * 0.99) << line;
            EXPECT_GE(x, 10 * px - 1) << line;
            EXPECT_GE(y, 20 * px - 1) << line;
            EXPECT_LE(x + 0.44 * h, 50 * px + 1) << line;
            EXPECT_LE(y + h, 30 * px + 1) << line;
        }
    }
    Drawing drawing;
    drawing.drawValue("shrink=yes\nmin=4\n", value);
    EXPECT_FALSE(drawing.placement.complete()) << "not even at its least height";
}

struct Fill {
    long left, top, right, bottom;
};

std::vector<Fill> fills(const std::vector<std::string>& lines) {
    std::vector<Fill> found;
    for (const std::string& line : lines) {
        if (line.rfind("fill ", 0) != 0) continue;
        std::istringstream in(line.substr(5));
        Fill f{};
        in >> f.left >> f.top >> f.right >> f.bottom;
        EXPECT_THAT(line, testing::EndsWith(" color=000000"));
        found.push_back(f);
    }
    return found;
}

struct SymbolCase {
    const char* name;
    int mode;        // 1 preview, 0 print
    int dpi;         // the printer's
    std::string section;
    long module;     // device pixels on paper; on screen the printer's before scaling
    bool twoD;       // quiet zone above too
};

TEST(SymbolDrawing, ModulesAreWholePixelsAndTheSymbolStartsAtTheFramePlusItsQuietZone) {
    const SymbolCase cases[] = {
        {"Code 128 at 300 dpi", 0, 300, "kind=code128\nmodule=0.25\nquiet=10\ntext=no\n", 3, false},
        {"Code 128 at 600 dpi", 0, 600, "kind=code128\nmodule=0.25\nquiet=10\ntext=no\n", 6, false},
        {"QR at 300 dpi", 0, 300, "kind=qr\nmodule=0.4\nquiet=4\n", 5, true},
        {"QR at 600 dpi", 0, 600, "kind=qr\nmodule=0.4\nquiet=4\n", 9, true},
        {"a hair-thin module is one pixel", 0, 300, "kind=qr\nmodule=0.05\nquiet=4\n", 1, true},
        {"QR on screen: a 300 dpi printer's scaled", 1, 300, "kind=qr\nmodule=0.4\nquiet=4\n", 5, true},
        {"QR on screen: a 180 dpi printer's scaled", 1, 180, "kind=qr\nmodule=0.33\nquiet=4\n", 2, true},
    };
    for (const SymbolCase& c : cases) {
        struct Drawing : BlockDrawingTest {
            explicit Drawing(int mode, int dpi) : BlockDrawingTest(mode, dpi) {}
            void TestBody() override {}
        } test(c.mode, c.dpi);
        const std::vector<Fill> found = fills(test.drawValue(c.section, "ZARVO-2024", 40, 40));
        ASSERT_FALSE(found.empty()) << c.name;
        EXPECT_TRUE(test.placement.complete()) << c.name;
        // On screen the printer's layout is scaled to the preview's 114 dpi.
        const int dpi = c.dpi;
        const double scale = c.mode == 1 ? 114.0 / c.dpi : 1;
        const long frameLeft = static_cast<long>(10 * dpi / 25.4);
        const long frameTop = static_cast<long>(20 * dpi / 25.4);
        const long quiet = (c.twoD ? 4 : 10) * c.module;
        long left = found.front().left, top = found.front().top, right = found.front().right;
        for (const Fill& f : found) {
            left = std::min(left, f.left);
            top = std::min(top, f.top);
            right = std::max(right, f.right);
        }
        EXPECT_EQ(left, std::lround((frameLeft + quiet) * scale)) << c.name;
        EXPECT_EQ(top, std::lround((frameTop + (c.twoD ? quiet : 0)) * scale)) << c.name;
        if (c.mode == 1) {
            // The value makes a QR code of 21 modules a side.
            EXPECT_NEAR(right - left, 21 * c.module * scale, 1.0) << c.name;
            continue;
        }
        for (const Fill& f : found) {
            EXPECT_EQ((f.left - left) % c.module, 0) << c.name;
            EXPECT_EQ((f.right - f.left) % c.module, 0) << c.name;
            if (c.twoD) EXPECT_EQ((f.bottom - f.top) % c.module, 0) << c.name;
        }
    }
}

TEST_F(BlockDrawingTest, ASymbolThatDoesNotFitIsDrawnAndCountsAsNotFitting) {
    EXPECT_FALSE(fills(drawValue("kind=qr\nmodule=1\n", "ZARVO", 10, 10)).empty());
    EXPECT_FALSE(placement.complete());
    EXPECT_FALSE(fills(drawValue("kind=qr\nmodule=0.3\nquiet=2\n", "ZARVO", 20, 20)).empty());
    EXPECT_TRUE(placement.complete());
    // Bars with no height left under the text line: nothing, and not fitting.
    EXPECT_TRUE(fills(drawValue("kind=code128\ntext=yes\n", "ZARVO", 60, 4)).empty());
    EXPECT_FALSE(placement.complete());
}

struct BadValueCase {
    const char* name;
    std::string section;
    bool rawDrawn;  // a format draws the value as it came; a symbol nothing
};

TEST_F(BlockDrawingTest, APreviewDrawsABadValueAsItCameOrNotAtAllAndSaysSoOnceAPage) {
    const BadValueCase cases[] = {
        {"amount", "format=amount-tw\n", true},
        {"cells too few", "cells=2\n", true},
        {"symbol refusing the value", "kind=ean13\n", false},
    };
    for (const BadValueCase& c : cases) {
        const std::vector<std::string> lines = drawValue(c.section, "12a", 40, 20);
        const bool drew = std::any_of(lines.begin(), lines.end(), [](const std::string& l) {
            return l.rfind("text ", 0) == 0 || l.rfind("fill ", 0) == 0;
        });
        EXPECT_EQ(drew, c.rawDrawn) << c.name;
        ASSERT_EQ(faults.size(), 1u) << c.name;
        EXPECT_THAT(faults[0], testing::StartsWith("欄位「v」: ")) << c.name;
    }
    EXPECT_EQ(messages.texts().size(), 3u);
    EXPECT_EQ(messages.texts()[0], "欄位「v」: 「12a」不是金額");
}

class BlockPrintTest : public BlockDrawingTest {
protected:
    BlockPrintTest() : BlockDrawingTest(0) {}
};

TEST_F(BlockPrintTest, APrintStopsAtAValueItsBlockCannotTake) {
    for (const std::string section : {"format=amount-tw\n", "kind=code39\n"}) {
        EXPECT_THROW(drawValue(section, "12a~"), FieldValueError) << section;
    }
    EXPECT_THAT(messages.texts(), IsEmpty());
}

TEST_F(BlockPrintTest, ABarcodeWritesItsValueUnderTheBarsInTheFormsFace) {
    const std::vector<std::string> lines = drawValue("kind=code39\nmodule=0.2\nquiet=10\ntext=yes\n", "A1", 60, 20);
    const std::vector<Fill> bars = fills(lines);
    ASSERT_FALSE(bars.empty());
    std::vector<std::string> texts;
    for (const std::string& line : lines) {
        if (line.rfind("text ", 0) == 0) texts.push_back(line);
    }
    // "A1", each character below the bars, in the block's face.
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_THAT(texts[0], HasSubstr(" 41 face=ming"));
    EXPECT_THAT(texts[1], HasSubstr(" 31 face=ming"));
    for (const std::string& text : texts) {
        std::istringstream in(text.substr(5));
        long x = 0, y = 0;
        in >> x >> y;
        EXPECT_GE(y, bars.front().bottom) << text;
        EXPECT_GE(x, bars.front().left) << text;
    }
}

struct SampleCase {
    const char* name;
    std::string keys;
    std::string value;
    std::string firstLine;  // the sample's first trace line
    bool fits;
    bool fault;
};

TEST(BlockSample, ADialogsSampleIsDrawnAtTheSurfacesCornerAsTheFormWouldHaveIt) {
    const SampleCase cases[] = {
        // 4 modules of 5 px (24 px) at 300 dpi, scaled to 114 dpi: 7.6 (36.5) px.
        {"QR", "kind=qr\nmodule=0.4\nquiet=4\n", "ZARVO", "fill 8 8 ", true, false},
        {"QR too large", "kind=qr\nmodule=2\nquiet=4\n", "ZARVO", "fill 36 36 ", false, false},
        {"amount", "format=amount-tw\n", "10", "text 0 0 b3fc face=ming h=22.42 turned=0 color=000000", true, false},
        {"bad amount drawn as it came", "format=amount-tw\n", "1x", "text 0 0 31 face=ming", true, true},
    };
    for (const SampleCase& c : cases) {
        std::ostringstream trace;
        RecordingSurface surface(trace, 114);
        FrameRow row;
        row.left = 50;
        row.top = 70;
        row.width = 40;
        row.height = 40;
        row.ychar = 5;
        row.label = "sample";
        const FormProfile profile = profileFromText("[Block x]\n" + c.keys);
        const BlockSample sample = drawBlockSample(surface, row, profile.sections.front(), c.value);
        EXPECT_THAT(trace.str(), testing::StartsWith(c.firstLine)) << c.name;
        EXPECT_EQ(sample.placement.complete(), c.fits) << c.name;
        EXPECT_EQ(sample.faults.size(), c.fault ? 1u : 0u) << c.name;
    }
}

}  // namespace
}  // namespace zarvo
