// Layout of texts in frames, checked call by call on a surface that records
// what it is asked to draw. Unless a case says otherwise the character
// height is 16, so with the recording metrics (M = h - h/8, L = h):
// M = 14, H = 7, L = 16; a one-byte character is 7 wide, a two-byte one 14.

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <ostream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "engine/XPrint.h"
#include "report/Units.h"

namespace zarvo {
namespace {

// Big5 characters used below: 中 and 文.
const std::string kZhong = "\xa4\xa4";
const std::string kWen = "\xa4\xe5";

// One text output call: reference point, bytes, whether the turned font drew it.
struct Glyph {
    int x = 0;
    int y = 0;
    std::string bytes;
    bool turned = false;
    bool operator==(const Glyph&) const = default;
};

void PrintTo(const Glyph& glyph, std::ostream* out) {
    *out << '(' << glyph.x << ',' << glyph.y << ' ';
    for (unsigned char byte : glyph.bytes) {
        if (byte >= 0x20 && byte < 0x7f) {
            *out << byte;
        } else {
            *out << "\\x" << std::hex << static_cast<int>(byte) << std::dec;
        }
    }
    *out << (glyph.turned ? " turned)" : ")");
}

Glyph up(int x, int y, std::string bytes) {
    return Glyph{x, y, std::move(bytes), false};
}
Glyph turned(int x, int y, std::string bytes) {
    return Glyph{x, y, std::move(bytes), true};
}

struct Rect {
    int left, top, right, bottom;
    Pen pen;
};

// Records every call; metrics follow the recording surface's model. At the
// layout resolution by default, where layout units are device pixels.
class TestSurface : public Surface {
public:
    int dotsPerInch() const override { return dpi; }
    void clear() override { ++otherCalls; }
    void drawLine(int, int, int, int, const Pen&) override { ++otherCalls; }
    void setTextColor(Rgb) override { ++otherCalls; }
    void drawText(int x, int y, std::string_view bytes, const Font& font) override {
        glyphs.push_back(Glyph{x, y, std::string(bytes), font.turned});
        fonts.push_back(font);
    }
    void drawRect(int left, int top, int right, int bottom, const Pen& pen) override {
        rects.push_back(Rect{left, top, right, bottom, pen});
    }
    void fillRect(double, double, double, double, Rgb) override { ++otherCalls; }
    FontMetrics metrics(FontFace face, int height) override {
        metricsQueries.push_back(Font{face, static_cast<double>(height), false});
        return FontMetrics{height - height / 8, height};
    }

    int dpi = kLayoutDpi;
    std::vector<Glyph> glyphs;
    std::vector<Font> fonts;
    std::vector<Rect> rects;
    std::vector<Font> metricsQueries;
    int otherCalls = 0;
};

// How a text is to be laid out; the frame is left, top, right, bottom.
struct Layout {
    int left = 0, top = 0, right = 100, bottom = 100;
    int style = 0, mode = 0, fontCode = 0, charHeight = 16;
    int colGap = 0, rowGap = 0;
};

class FrameTextTest : public ::testing::Test {
protected:
    FrameTextTest() { engine.surface = &surface; }

    std::vector<Glyph> draw(const Layout& l, std::string_view text) {
        engine.DrawFrameText(l.left, l.top, l.right, l.bottom, l.style, l.mode, l.fontCode,
                             l.charHeight, text, l.colGap, l.rowGap);
        return surface.glyphs;
    }

    TestSurface surface;
    XPrint engine;
};

using Glyphs = std::vector<Glyph>;

// ---- Blank-frame marker, empty and cut texts, fonts ----

TEST_F(FrameTextTest, BlankFrameMarkerDrawsOnlyTheWhiteDashedRectangleInsetTwo) {
    // The marker is tested before anything else: no metrics, whatever the style.
    draw(Layout{.left = 10, .top = 20, .right = 110, .bottom = 70, .style = 9},
         std::string(kBlankFrameMarker) + std::string("\0junk", 5));
    ASSERT_EQ(surface.rects.size(), 1u);
    const Rect& rect = surface.rects[0];
    EXPECT_EQ(std::make_tuple(rect.left, rect.top, rect.right, rect.bottom),
              std::make_tuple(12, 22, 108, 68));
    EXPECT_EQ(rect.pen.style, PenDash);
    EXPECT_EQ(rect.pen.width, 1);
    EXPECT_EQ(rect.pen.color, kWhite);
    EXPECT_TRUE(surface.glyphs.empty());
    EXPECT_TRUE(surface.metricsQueries.empty());
    EXPECT_EQ(surface.otherCalls, 0);
}

TEST_F(FrameTextTest, TextHoldingTheMarkerIsDrawnAsCharacters) {
    const std::string text = "X" + std::string(kBlankFrameMarker);
    const Glyphs glyphs = draw(Layout{.right = 1000}, text);
    EXPECT_TRUE(surface.rects.empty());
    ASSERT_EQ(glyphs.size(), text.size());
    EXPECT_EQ(glyphs[1], up(7, 0, "*"));
}

TEST_F(FrameTextTest, EmptyTextDrawsNothingButMeasuresTheFont) {
    EXPECT_TRUE(draw(Layout{.mode = 1}, "").empty());
    ASSERT_EQ(surface.metricsQueries.size(), 1u);
    EXPECT_FALSE(surface.metricsQueries[0].turned);
    EXPECT_EQ(surface.metricsQueries[0].height, 16);
}

TEST_F(FrameTextTest, WithoutSurfaceNothingHappens) {
    engine.surface = nullptr;
    engine.DrawFrameText(0, 0, 100, 100, 0, 0, 0, 16, "AB", 0, 0);
    EXPECT_TRUE(surface.glyphs.empty());
}

TEST_F(FrameTextTest, TextEndsAtZeroByteAndALoneLastLeadByteIsNotDrawn) {
    EXPECT_EQ(draw(Layout{}, std::string("AB\0CD", 5)), (Glyphs{up(0, 0, "A"), up(7, 0, "B")}));
    surface.glyphs.clear();
    EXPECT_EQ(draw(Layout{}, "AB\xa4"), (Glyphs{up(0, 0, "A"), up(7, 0, "B")}));
    surface.glyphs.clear();
    // Vertical writing measures the same text.
    EXPECT_EQ(draw(Layout{.right = 40, .style = 2, .mode = 4}, "A\xa4"), (Glyphs{up(13, 42, "A")}));
}

TEST_F(FrameTextTest, FontCodesChooseTheFaceAndTheCallLeavesTheTextColour) {
    draw(Layout{.fontCode = 1, .charHeight = 20}, "A");
    draw(Layout{.fontCode = 3, .charHeight = 20}, "A");
    draw(Layout{.fontCode = 0, .charHeight = 20}, "A");
    draw(Layout{.fontCode = 2, .charHeight = 20}, "A");
    ASSERT_EQ(surface.fonts.size(), 4u);
    EXPECT_EQ(surface.fonts[0].face, FontFace::Kai);
    EXPECT_EQ(surface.fonts[1].face, FontFace::Kai);
    EXPECT_EQ(surface.fonts[2].face, FontFace::Ming);
    EXPECT_EQ(surface.fonts[3].face, FontFace::Ming);
    for (const Font& font : surface.fonts) EXPECT_EQ(font.height, 20);
    EXPECT_EQ(surface.otherCalls, 0);
}

// ---- Combinations that draw nothing ----

class DrawsNothingTest : public FrameTextTest, public ::testing::WithParamInterface<Layout> {};

TEST_P(DrawsNothingTest, NoCall) {
    EXPECT_TRUE(draw(GetParam(), "AB").empty());
    EXPECT_TRUE(surface.rects.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Combinations, DrawsNothingTest,
    ::testing::Values(Layout{.style = 1, .mode = 5}, Layout{.style = 1, .mode = 6},
                      Layout{.style = 2, .mode = 5}, Layout{.style = 2, .mode = 6},
                      Layout{.style = 3, .mode = 5}, Layout{.style = 0, .mode = 8},
                      Layout{.style = 3, .mode = -1}, Layout{.style = 4}, Layout{.style = -1},
                      // Narrower than a half cell (W = 6 < H = 7), and frames
                      // of no width or turned inside out.
                      Layout{.right = 6}, Layout{.right = 0}, Layout{.left = 100, .right = 0},
                      // A character height beyond the frame: H > W.
                      Layout{.charHeight = 1 << 30},
                      // Font codes 2 and 3 count columns by length over the
                      // height; a height of 0 gives no count.
                      Layout{.bottom = 0, .style = 2, .mode = 2, .fontCode = 2},
                      Layout{.bottom = 0, .style = 3, .mode = 4, .fontCode = 3},
                      Layout{.bottom = 0, .style = 2, .mode = 7, .fontCode = 2},
                      Layout{.bottom = 2, .style = 3, .mode = 6, .fontCode = 2}));

// ---- Style 0: left to right ----

TEST_F(FrameTextTest, Style0FlowBreaksAtMarker) {
    // A at 0; x = 0 + 7 + 2 = 9; B at 9; "~~" follows: next line at
    // y = 16 + rowGap 3 = 19, x = left.
    EXPECT_EQ(draw(Layout{.right = 200, .colGap = 2, .rowGap = 3}, "AB~~CD"),
              (Glyphs{up(0, 0, "A"), up(9, 0, "B"), up(0, 19, "C"), up(9, 19, "D")}));
}

TEST_F(FrameTextTest, Style0FlowWrapsByTheWidthOfTheNextCharacter) {
    // Width 30, gap 1: A 0, B 8, C 16, x = 24; 中 would end at 38 > 30.
    EXPECT_EQ(draw(Layout{.right = 30, .colGap = 1}, "ABC" + kZhong),
              (Glyphs{up(0, 0, "A"), up(8, 0, "B"), up(16, 0, "C"), up(0, 16, kZhong)}));
}

TEST_F(FrameTextTest, FlowLooksForTheMarkerOnlyBehindADrawnCharacter) {
    // Leading tildes are characters.
    EXPECT_EQ(draw(Layout{}, "~~A"), (Glyphs{up(0, 0, "~"), up(7, 0, "~"), up(14, 0, "A")}));
    surface.glyphs.clear();
    // After a break the next character is always drawn: two tildes, then B.
    EXPECT_EQ(draw(Layout{}, "A~~~~B"),
              (Glyphs{up(0, 0, "A"), up(0, 16, "~"), up(7, 16, "~"), up(14, 16, "B")}));
    surface.glyphs.clear();
    // A trailing marker draws nothing.
    EXPECT_EQ(draw(Layout{}, "AB~~"), (Glyphs{up(0, 0, "A"), up(7, 0, "B")}));
}

TEST_F(FrameTextTest, FlowAlwaysDrawsItsFirstCharacter) {
    // V = 10 < L: bottom tested after every character stops behind A.
    EXPECT_EQ(draw(Layout{.bottom = 10}, "ABC"), (Glyphs{up(0, 0, "A")}));
    surface.glyphs.clear();
    // So does a frame of no height or one turned upside down.
    EXPECT_EQ(draw(Layout{.top = 50, .bottom = 20}, "ABC"), (Glyphs{up(0, 50, "A")}));
}

TEST_F(FrameTextTest, ExtremeFramesHeightsAndGapsDoNotWrapRound) {
    // h = 2^30 - 1: M = 939524096, H = 469762048, L = 1073741823. The step
    // behind A (H + colGap) passes the 32-bit range and must not wrap.
    const Layout huge{.left = INT_MIN, .top = INT_MIN, .right = INT_MAX, .bottom = INT_MAX,
                      .charHeight = INT_MAX / 2, .colGap = INT_MAX, .rowGap = INT_MAX};
    EXPECT_EQ(draw(huge, "AB"), (Glyphs{up(INT_MIN, INT_MIN, "A"), up(469762047, INT_MIN, "B")}));
    surface.glyphs.clear();
    // A negative height gives negative cells: the text is still read once.
    EXPECT_LE(draw(Layout{.charHeight = INT_MIN, .rowGap = INT_MIN}, "ABCDEF").size(), 6u);
}

TEST_F(FrameTextTest, Style0Mode1OneLineHasEqualGapsBeforeBetweenAndAfter) {
    // D 1, S 2: g = (100 - 14 - 14) / 4 = 18; y = (40 - 16) / 2 = 12.
    // A 18..25, B 43..50, 中 68..82, then 18 to the right edge.
    EXPECT_EQ(draw(Layout{.bottom = 40, .mode = 1, .colGap = 5}, "AB" + kZhong),
              (Glyphs{up(18, 12, "A"), up(43, 12, "B"), up(68, 12, kZhong)}));
}

TEST_F(FrameTextTest, Style0Mode1SpreadsLinesOverTheHeight) {
    // Width 30: A-D on line 1, E-H on line 2 (n = 2). r = (100 - 32) / 1 = 68:
    // line 2 at 84. Bottom tested after wraps only: the wrap behind H leads to
    // 168 and stops.
    const Glyphs glyphs = draw(Layout{.right = 30, .mode = 1, .rowGap = 50}, "ABCDEFGH");
    EXPECT_EQ(glyphs, (Glyphs{up(0, 0, "A"), up(7, 0, "B"), up(14, 0, "C"), up(21, 0, "D"),
                              up(0, 84, "E"), up(7, 84, "F"), up(14, 84, "G"), up(21, 84, "H")}));
}

TEST_F(FrameTextTest, Style0Modes1And7DoNotTestTheBottomAfterAMarker) {
    // n = 3 in V 40: r = (40 - 48) / 2 = -4, raised to 0; mode 7 centres at
    // (40 - 48) / 2 raised to top. The marker behind B moves to y = 32 and
    // only a width wrap tests the bottom, so C is drawn below it.
    const Glyphs expected{up(0, 0, "A"), up(0, 16, "B"), up(0, 32, "C")};
    EXPECT_EQ(draw(Layout{.bottom = 40, .mode = 1}, "A~~B~~C"), expected);
    surface.glyphs.clear();
    EXPECT_EQ(draw(Layout{.bottom = 40, .mode = 7}, "A~~B~~C"), expected);
}

TEST_F(FrameTextTest, Style0Mode1WithNoRoomSetsLinesAtL) {
    // Width 10 cannot hold a 14-wide character: n = 999, r raised to 0.
    EXPECT_EQ(draw(Layout{.right = 10, .mode = 1}, kZhong + kZhong),
              (Glyphs{up(0, 0, kZhong), up(0, 16, kZhong)}));
}

TEST_F(FrameTextTest, Style0Mode3CentresOneLineBothWays) {
    // rest = 100 - 4 * 1 - 14 = 82: x = 41; y = 12; B at 41 + 7 + 4 = 52.
    EXPECT_EQ(draw(Layout{.bottom = 40, .mode = 3, .colGap = 4, .rowGap = 9}, "AB"),
              (Glyphs{up(41, 12, "A"), up(52, 12, "B")}));
}

TEST_F(FrameTextTest, Style0Mode3CentresLinesVertically) {
    // n = 2: y = (60 - 32) / 2 = 14, line step L (rowGap ignored).
    EXPECT_EQ(
        draw(Layout{.right = 30, .bottom = 60, .mode = 3, .rowGap = 9}, "ABCDE"),
        (Glyphs{up(0, 14, "A"), up(7, 14, "B"), up(14, 14, "C"), up(21, 14, "D"), up(0, 30, "E")}));
    surface.glyphs.clear();
    // Too tall: (20 - 32) / 2 = -6 is raised to top; line 2 would pass the bottom.
    EXPECT_EQ(draw(Layout{.right = 30, .bottom = 20, .mode = 3}, "ABCDE"),
              (Glyphs{up(0, 0, "A"), up(7, 0, "B"), up(14, 0, "C"), up(21, 0, "D")}));
}

TEST_F(FrameTextTest, Style0Mode5AlignsRightAndLosesLeadingDigits) {
    // x = 100 - 1 - 21 - 1 * 2 = 76; y = (30 - 16) / 2 = 7; '3' ends at 99.
    EXPECT_EQ(draw(Layout{.bottom = 30, .mode = 5, .colGap = 1}, "123"),
              (Glyphs{up(76, 7, "1"), up(84, 7, "2"), up(92, 7, "3")}));
    surface.glyphs.clear();
    // Width 20: x = 20 - 1 - 35 = -16; 1, 2, 3 start at -16, -9, -2 and are
    // left out; 4 at 5, 5 at 12 (<= right - H = 13).
    EXPECT_EQ(draw(Layout{.right = 20, .bottom = 30, .mode = 5}, "12345"),
              (Glyphs{up(5, 7, "4"), up(12, 7, "5")}));
}

TEST_F(FrameTextTest, Style0Mode6SpreadsOneLineToTheEdges) {
    // g = (100 - 2 - 21) / 2 = 38: A at 1, B at 46, C at 91 ending at 98.
    EXPECT_EQ(draw(Layout{.bottom = 40, .mode = 6}, "ABC"),
              (Glyphs{up(1, 12, "A"), up(46, 12, "B"), up(91, 12, "C")}));
    surface.glyphs.clear();
    // A text needing two lines draws nothing.
    EXPECT_TRUE(draw(Layout{.bottom = 40, .mode = 6}, "A~~B").empty());
    EXPECT_TRUE(draw(Layout{.right = 20, .mode = 6}, "ABC").empty());
}

TEST_F(FrameTextTest, Style0Mode7TestsTheBottomOnlyAfterAWrap) {
    // One line in a frame lower than L: y = -3 raised to 0; both drawn
    // (mode 0 would stop behind A).
    EXPECT_EQ(draw(Layout{.bottom = 10, .mode = 7}, "AB"), (Glyphs{up(0, 0, "A"), up(7, 0, "B")}));
    surface.glyphs.clear();
    // n = 2, y = (60 - 32) / 2 = 14.
    EXPECT_EQ(
        draw(Layout{.right = 30, .bottom = 60, .mode = 7}, "ABCDE"),
        (Glyphs{up(0, 14, "A"), up(7, 14, "B"), up(14, 14, "C"), up(21, 14, "D"), up(0, 30, "E")}));
}

// ---- Style 1: right to left ----

TEST_F(FrameTextTest, Style1FirstLineAtRightMinusMLaterLinesAtRightMinus2H) {
    // h 24: M 21, H 10, L 24. Start 50 - 21 = 29; each step is the next
    // character's width; C at 9 leaves x = -1 < left: line 2 starts at
    // 50 - 20 = 30, y = 24 (rowGap not used).
    EXPECT_EQ(
        draw(Layout{.right = 50, .style = 1, .charHeight = 24, .rowGap = 5}, "ABCDE"),
        (Glyphs{up(29, 0, "A"), up(19, 0, "B"), up(9, 0, "C"), up(30, 24, "D"), up(20, 24, "E")}));
}

TEST_F(FrameTextTest, Style1StepsByTheWidthOfTheNextCharacter) {
    // A at 86; 中 is next: x = 86 - 14 = 72, so 中 ends where A starts.
    EXPECT_EQ(draw(Layout{.style = 1}, "A" + kZhong + "~~B"),
              (Glyphs{up(86, 0, "A"), up(72, 0, kZhong), up(86, 16, "B")}));
}

TEST_F(FrameTextTest, Style1Mode1OneLineHasGapsOnlyBetween) {
    // D 2: g = (100 - 28) / 1 = 72; 中 at 86, 文 at 86 - 14 - 72 = 0.
    EXPECT_EQ(draw(Layout{.bottom = 40, .style = 1, .mode = 1}, kZhong + kWen),
              (Glyphs{up(86, 12, kZhong), up(0, 12, kWen)}));
    surface.glyphs.clear();
    // One character: g = colGap.
    EXPECT_EQ(draw(Layout{.bottom = 40, .style = 1, .mode = 1, .colGap = 3}, "A"),
              (Glyphs{up(86, 12, "A")}));
}

TEST_F(FrameTextTest, Style1Mode1SpreadsLinesAndTestsTheBottomAfterEveryCharacter) {
    // n = 2, r = 68, step 84. Line 1: 16, 9, 2; line 2 at 30 - 14 = 16.
    // After F the wrap leads to 168: stop.
    EXPECT_EQ(draw(Layout{.right = 30, .style = 1, .mode = 1}, "ABCDEFGH"),
              (Glyphs{up(16, 0, "A"), up(9, 0, "B"), up(2, 0, "C"), up(16, 84, "D"), up(9, 84, "E"),
                      up(2, 84, "F")}));
}

TEST_F(FrameTextTest, Style1Mode3DoesNotSubtractGapsWhenCentring) {
    // rest = 100 - 14 = 86; x = 86 - 43 = 43; B at 43 - 7 - 4 = 32.
    EXPECT_EQ(draw(Layout{.bottom = 40, .style = 1, .mode = 3, .colGap = 4}, "AB"),
              (Glyphs{up(43, 12, "A"), up(32, 12, "B")}));
    surface.glyphs.clear();
    // n = 2: y = 14, step L; the third line would pass the bottom.
    EXPECT_EQ(draw(Layout{.right = 30, .bottom = 60, .style = 1, .mode = 3}, "ABCDEFG"),
              (Glyphs{up(16, 14, "A"), up(9, 14, "B"), up(2, 14, "C"), up(16, 30, "D"),
                      up(9, 30, "E"), up(2, 30, "F")}));
}

TEST_F(FrameTextTest, Style1Mode7IsNotRaisedToTheTop) {
    // n = 2: y = (20 - 32) / 2 = -6; the wrap to 10 would pass the bottom.
    EXPECT_EQ(draw(Layout{.right = 30, .bottom = 20, .style = 1, .mode = 7}, "ABCDE"),
              (Glyphs{up(16, -6, "A"), up(9, -6, "B"), up(2, -6, "C")}));
}

// Font codes 2 and 3 turn nothing in horizontal writing.
class HorizontalFontCodeTest : public FrameTextTest,
                               public ::testing::WithParamInterface<std::tuple<int, int>> {};

TEST_P(HorizontalFontCodeTest, CodesTwoAndThreeDrawAsZeroAndOne) {
    const auto [style, mode] = GetParam();
    const std::string text = "Ab1" + kZhong + "~~xy";
    for (int code : {0, 1}) {
        const Layout plain{.right = 40,
                           .bottom = 60,
                           .style = style,
                           .mode = mode,
                           .fontCode = code,
                           .colGap = 1,
                           .rowGap = 2};
        Layout same = plain;
        same.fontCode = code + 2;
        const Glyphs expected = draw(plain, text);
        const std::vector<Font> expectedFonts = surface.fonts;
        surface.glyphs.clear();
        surface.fonts.clear();
        EXPECT_EQ(draw(same, text), expected);
        ASSERT_EQ(surface.fonts.size(), expectedFonts.size());
        for (std::size_t i = 0; i < expectedFonts.size(); ++i) {
            EXPECT_EQ(surface.fonts[i].face, expectedFonts[i].face);
        }
        surface.glyphs.clear();
        surface.fonts.clear();
    }
}

INSTANTIATE_TEST_SUITE_P(StylesAndModes, HorizontalFontCodeTest,
                         ::testing::Combine(::testing::Values(0, 1), ::testing::Range(0, 8)));

// ---- Style 2: columns right to left ----

TEST_F(FrameTextTest, Style2TurnsOneByteCharactersUnderFontCode2) {
    // x = 100 - 14 = 86, y = 2. A and B turned at x + 2H = 100, advancing
    // 7 + 3; 中 upright at 86.
    EXPECT_EQ(draw(Layout{.style = 2, .fontCode = 2, .rowGap = 3}, "AB" + kZhong),
              (Glyphs{turned(100, 2, "A"), turned(100, 12, "B"), up(86, 22, kZhong)}));
}

TEST_F(FrameTextTest, Style2ColumnsChangeAtMarkerAndBottomAndStopAtTheLeftEdge) {
    // x = 46, step 14 + 2. B leaves y = 34, 34 + 16 > 40: next column at 30.
    // After C the marker: column at 14. After E the next column is -2 < 0.
    EXPECT_EQ(
        draw(Layout{.right = 60, .bottom = 40, .style = 2, .colGap = 2}, "ABC~~DEF"),
        (Glyphs{up(46, 2, "A"), up(46, 18, "B"), up(30, 2, "C"), up(14, 2, "D"), up(14, 18, "E")}));
}

TEST_F(FrameTextTest, Style2Mode2SpreadsOneColumnDownTheFrame) {
    // K = 1; g = (100 - 32) / 3 = 22; x = (40 - 14) / 2 = 13.
    EXPECT_EQ(draw(Layout{.right = 40, .style = 2, .mode = 2}, kZhong + kWen),
              (Glyphs{up(13, 22, kZhong), up(13, 60, kWen)}));
}

TEST_F(FrameTextTest, Style2Mode2FontCode2UsesTheLengthRuleAndDrawsTildes) {
    // Length (0 + 2) * 7 = 14 < 100: one column although "~~" stands in the
    // text. g = (100 - 14) / 3 = 28; x = 13, turned at 27.
    EXPECT_EQ(draw(Layout{.right = 40, .style = 2, .mode = 2, .fontCode = 2}, "A~~B"),
              (Glyphs{turned(27, 28, "A"), turned(27, 63, "~"), turned(27, 98, "~"),
                      turned(27, 133, "B")}));
}

TEST_F(FrameTextTest, Style2Mode2FontCode2GapMayBeNegative) {
    // V 29: length 28 < 29, one column; g = (29 - 32) / 3 = -1.
    EXPECT_EQ(draw(Layout{.right = 40, .bottom = 29, .style = 2, .mode = 2, .fontCode = 2},
                   kZhong + kZhong),
              (Glyphs{up(13, -1, kZhong), up(13, 14, kZhong)}));
}

TEST_F(FrameTextTest, Style2Mode2SpreadsColumnsAndLeavesOutThoseOutsideTheFrame) {
    // K = 3 (two a column); q = (60 - 42) / 4 = 4; x = 60 - 4 - 14 = 42,
    // step 18, y from 3.
    const Layout layout{.right = 60, .bottom = 40, .style = 2, .mode = 2};
    EXPECT_EQ(draw(layout, "ABCDE"), (Glyphs{up(42, 3, "A"), up(42, 19, "B"), up(24, 3, "C"),
                                             up(24, 19, "D"), up(6, 3, "E")}));
    surface.glyphs.clear();
    // rowGap 10 puts one character in a column: D and E fall left of the
    // frame and are left out, without stopping the pass.
    Layout spaced = layout;
    spaced.rowGap = 10;
    EXPECT_EQ(draw(spaced, "ABCDE"), (Glyphs{up(42, 3, "A"), up(24, 3, "B"), up(6, 3, "C")}));
}

TEST_F(FrameTextTest, Style2Mode4CentresOneColumnBothWays) {
    // y = (100 - 32) / 2 = 34, advance 16 + 4.
    EXPECT_EQ(draw(Layout{.right = 40, .style = 2, .mode = 4, .rowGap = 4}, kZhong + kWen),
              (Glyphs{up(13, 34, kZhong), up(13, 54, kWen)}));
    surface.glyphs.clear();
    // Font code 2: y = (100 - 14) / 2 = 43; a turned character advances H only.
    EXPECT_EQ(draw(Layout{.right = 40, .style = 2, .mode = 4, .fontCode = 2, .rowGap = 4}, "AB"),
              (Glyphs{turned(27, 43, "A"), turned(27, 50, "B")}));
}

TEST_F(FrameTextTest, Style2Mode4CentresABlockOfColumns) {
    // K = 3: m = (60 - 42) / 2 = 9; x = 60 - 14 - 9 = 37, step 14.
    EXPECT_EQ(
        draw(Layout{.right = 60, .bottom = 40, .style = 2, .mode = 4, .rowGap = 6}, "ABCDE"),
        (Glyphs{up(37, 2, "A"), up(37, 18, "B"), up(23, 2, "C"), up(23, 18, "D"), up(9, 2, "E")}));
}

TEST_F(FrameTextTest, Style2Mode7HasNoSingleColumnCase) {
    // K = 1: m = 13, x = 40 - 14 - 13 = 13, from top + 2.
    EXPECT_EQ(draw(Layout{.right = 40, .style = 2, .mode = 7}, "AB"),
              (Glyphs{up(13, 2, "A"), up(13, 18, "B")}));
    surface.glyphs.clear();
    // Too wide: m raised to 0, x = 6; the second column at -8 stops.
    EXPECT_EQ(draw(Layout{.right = 20, .bottom = 40, .style = 2, .mode = 7}, "ABCDE"),
              (Glyphs{up(6, 2, "A"), up(6, 18, "B")}));
}

// ---- Style 3: columns left to right ----

TEST_F(FrameTextTest, Style3ColumnsRunRightwardAndStopAtTheRightEdge) {
    // x = 0, step 16. Column 3 at 32 is drawn; column 4 at 48 + 14 > 60 stops.
    EXPECT_EQ(
        draw(Layout{.right = 60, .bottom = 40, .style = 3, .colGap = 2}, "ABC~~DEF"),
        (Glyphs{up(0, 2, "A"), up(0, 18, "B"), up(16, 2, "C"), up(32, 2, "D"), up(32, 18, "E")}));
    surface.glyphs.clear();
    EXPECT_EQ(draw(Layout{.style = 3, .fontCode = 3}, "A" + kZhong),
              (Glyphs{turned(14, 2, "A"), up(0, 9, kZhong)}));
}

TEST_F(FrameTextTest, Style3Mode2SpreadsColumnsWithoutTheRowGap) {
    // K = 3, q = 4: x = 4, step 18, y from 3, advance L.
    EXPECT_EQ(
        draw(Layout{.right = 60, .bottom = 40, .style = 3, .mode = 2, .rowGap = 10}, "ABCDE"),
        (Glyphs{up(4, 3, "A"), up(4, 19, "B"), up(22, 3, "C"), up(22, 19, "D"), up(40, 3, "E")}));
    surface.glyphs.clear();
    // One column: as style 2, g = 22.
    EXPECT_EQ(draw(Layout{.right = 40, .style = 3, .mode = 2}, kZhong + kWen),
              (Glyphs{up(13, 22, kZhong), up(13, 60, kWen)}));
}

TEST_F(FrameTextTest, Style3Mode4) {
    // Several columns: m = 9, x = 9, step 14.
    EXPECT_EQ(
        draw(Layout{.right = 60, .bottom = 40, .style = 3, .mode = 4}, "ABCDE"),
        (Glyphs{up(9, 2, "A"), up(9, 18, "B"), up(23, 2, "C"), up(23, 18, "D"), up(37, 2, "E")}));
    surface.glyphs.clear();
    // One column: exactly as style 2.
    const Glyphs leftward = draw(Layout{.right = 40, .style = 2, .mode = 4, .rowGap = 4}, "AB");
    surface.glyphs.clear();
    EXPECT_EQ(draw(Layout{.right = 40, .style = 3, .mode = 4, .rowGap = 4}, "AB"), leftward);
}

TEST_F(FrameTextTest, Style3Mode6SpreadsOneColumnToTheEdges) {
    // Counted in 1..99: one column. g = (100 - 2 - 48) / 2 = 25, from y = 1;
    // C ends at 99.
    EXPECT_EQ(draw(Layout{.right = 40, .style = 3, .mode = 6, .rowGap = 5}, "ABC"),
              (Glyphs{up(13, 1, "A"), up(13, 42, "B"), up(13, 83, "C")}));
    surface.glyphs.clear();
    // Font code 2 divides by D + S + 1: g = (98 - 21) / 4 = 19.
    EXPECT_EQ(draw(Layout{.right = 40, .style = 3, .mode = 6, .fontCode = 2}, "ABC"),
              (Glyphs{turned(27, 1, "A"), turned(27, 27, "B"), turned(27, 53, "C")}));
    surface.glyphs.clear();
    // Two columns: nothing.
    EXPECT_TRUE(draw(Layout{.right = 40, .style = 3, .mode = 6}, "A~~B").empty());
}

TEST_F(FrameTextTest, Style3Mode7IsNotHeldAtTheLeftEdge) {
    // K = 3: x = (20 - 42) / 2 = -11; the column at 17 passes the right edge.
    EXPECT_EQ(draw(Layout{.right = 20, .bottom = 40, .style = 3, .mode = 7}, "ABCDE"),
              (Glyphs{up(-11, 2, "A"), up(-11, 18, "B"), up(3, 2, "C"), up(3, 18, "D")}));
}

}  // namespace
}  // namespace zarvo

// ---- How much of a text its frame took ----

namespace zarvo {
namespace {

struct PlacementCase {
    const char* what;
    Layout layout;
    std::string text;
    int placed;
    int held;
};

TEST(FramePlacementTest, CountsTheCharactersDrawnAgainstThoseTheTextHolds) {
    const PlacementCase cases[] = {
        {"fits", Layout{}, "AB" + kZhong, 3, 3},
        {"flow stops at the bottom", Layout{.right = 20, .bottom = 16}, "ABCD", 2, 4},
        {"a break is not a character", Layout{}, "A~~B", 2, 2},
        {"frame narrower than half a cell", Layout{.right = 5}, "AB", 0, 2},
        {"unknown style", Layout{.style = 9}, "AB", 0, 2},
        {"right-aligned line losing its first characters", Layout{.right = 20, .mode = 5}, "ABCDEF", 2, 6},
        {"blank frame marker", Layout{}, std::string(kBlankFrameMarker), 0, 0},
    };
    for (const PlacementCase& c : cases) {
        TestSurface surface;
        XPrint engine;
        engine.surface = &surface;
        const Layout& l = c.layout;
        const FramePlacement placement = engine.DrawFrameText(l.left, l.top, l.right, l.bottom, l.style, l.mode,
                                                              l.fontCode, l.charHeight, c.text, l.colGap, l.rowGap);
        EXPECT_EQ(placement.placed, c.placed) << c.what;
        EXPECT_EQ(placement.held, c.held) << c.what;
        EXPECT_EQ(placement.placed, static_cast<int>(surface.glyphs.size())) << c.what;
    }
}

// ---- One layout for every device ----

TEST_F(FrameTextTest, CharactersAreLaidOutAtTheLayoutResolutionAndScaledToTheDevice) {
    // At 1200 dpi: M = 14, H = 7; style 1 puts A at (100 - 14, -20) = (86,
    // -20) and B at (79, -20). At 114 dpi each point is scaled and truncated
    // toward zero, also below zero.
    surface.dpi = 114;
    const Glyphs glyphs =
        draw(Layout{.left = -40, .top = -20, .right = 100, .bottom = 100, .style = 1}, "AB");
    EXPECT_EQ(glyphs, (Glyphs{up(8, -1, "A"), up(7, -1, "B")}));
    ASSERT_EQ(surface.metricsQueries.size(), 1u);
    EXPECT_EQ(surface.metricsQueries[0].height, 16);  // metrics at the layout height
    ASSERT_FALSE(surface.fonts.empty());
    EXPECT_DOUBLE_EQ(surface.fonts[0].height, 16 * 114 / 1200.0);  // the device cell, not rounded
    surface.glyphs.clear();
    // Turned characters: the reference point x + 2H = 100 scales to 9.
    EXPECT_EQ(draw(Layout{.style = 2, .fontCode = 2}, "A"), (Glyphs{turned(9, 0, "A")}));
    // The marker's rectangle is placed on the device: 12 * 114 / 1200 = 1.
    draw(Layout{.left = 100, .top = 200, .right = 1100, .bottom = 700}, kBlankFrameMarker);
    ASSERT_EQ(surface.rects.size(), 1u);
    EXPECT_EQ(std::make_tuple(surface.rects[0].left, surface.rects[0].top, surface.rects[0].right,
                              surface.rects[0].bottom),
              std::make_tuple(11, 21, 102, 64));
}

// A page of a report filled with its test data, as the characters the
// engine put on a device of dpi: points and bytes, in drawing order.
Glyphs pageOnDevice(const std::string& report, const std::vector<std::pair<std::string, std::string>>& data,
                    int dpi) {
    TestSurface surface;
    surface.dpi = dpi;
    XPrint engine;
    engine.LoadBytes(report, "form.txt");
    engine.surface = &surface;
    engine.dpi = dpi;
    engine.DrawLines();
    engine.DrawLabels();
    engine.ReadBlocks();
    for (const auto& [name, value] : data) engine.DrawField(name, value, 0, 0);
    return surface.glyphs;
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Test data lines "name,value" (Big5, CR LF).
std::vector<std::pair<std::string, std::string>> testData(const std::string& bytes) {
    std::vector<std::pair<std::string, std::string>> fields;
    std::istringstream in(bytes);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t comma = line.find(',');
        if (comma != std::string::npos) fields.emplace_back(line.substr(0, comma), line.substr(comma + 1));
    }
    return fields;
}

// Every writing style, distribution mode and font code, each a caption of
// Chinese, Latin and a break, in frames of its own.
std::string everyStyleReport() {
    std::ostringstream rows;
    int count = 0;
    for (int style = 0; style < 4; ++style) {
        for (int mode = 0; mode < 8; ++mode) {
            for (int font = 0; font < 4; ++font, ++count) {
                const double left = 5 + (count % 8) * 24.3;
                const double top = 5 + (count / 8) * 17.7;
                rows << style << '\t' << left << '\t' << top << "\t23.1\t16.9\t0.7\t0.3\t" << mode << '\t'
                     << font << "\t3.3\t0.5\t0.4\t" << kZhong << "Ab" << kWen << "~~x1" << kZhong << "\r\n";
            }
        }
    }
    return "0\t4\t3\r\nLINE_INFO\t0\r\nLABEL_STRING\t" + std::to_string(count) + "\r\n" + rows.str() +
           "BLOCK_INFO\t0\r\n";
}

TEST(FrameTextDevices, EveryCharacterLiesWithinOneDevicePixelOfItsPlaceAtTheLayoutResolution) {
    const std::string examples = std::string(ZARVO_SOURCE_DIR) + "/examples/";
    const struct {
        std::string name;
        std::string report;
        std::vector<std::pair<std::string, std::string>> data;
    } forms[] = {
        {"delivery note", fileBytes(examples + "delivery_note.txt"),
         testData(fileBytes(examples + "delivery_note_data.txt"))},
        {"every style", everyStyleReport(), {}},
    };
    for (const auto& form : forms) {
        const Glyphs layout = pageOnDevice(form.report, form.data, kLayoutDpi);
        ASSERT_GT(layout.size(), 100u) << form.name;
        for (int dpi : {114, 180, 300, 360, 600}) {
            const Glyphs device = pageOnDevice(form.report, form.data, dpi);
            ASSERT_EQ(device.size(), layout.size()) << form.name << " at " << dpi;
            const double pixelMm = 25.4 / dpi;
            for (std::size_t i = 0; i < layout.size(); ++i) {
                const auto mm = [](int units, int resolution) { return units * 25.4 / resolution; };
                EXPECT_EQ(device[i].bytes, layout[i].bytes);
                EXPECT_LE(std::abs(mm(device[i].x, dpi) - mm(layout[i].x, kLayoutDpi)), pixelMm)
                    << form.name << " at " << dpi << ", character " << i;
                EXPECT_LE(std::abs(mm(device[i].y, dpi) - mm(layout[i].y, kLayoutDpi)), pixelMm)
                    << form.name << " at " << dpi << ", character " << i;
            }
        }
    }
}

}  // namespace
}  // namespace zarvo
