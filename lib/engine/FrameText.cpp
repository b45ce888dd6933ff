// XPrint::DrawFrameText: lays one text out in a frame by writing style,
// distribution mode and font code.

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>

#include "engine/CellText.h"
#include "engine/FrameLayout.h"
#include "engine/TextMeasure.h"
#include "engine/XPrint.h"
#include "report/Units.h"

namespace zarvo {

namespace {

using frametext::breakAt;
using frametext::charLength;
using frametext::charWidth;
using frametext::isLeadByte;

// Layout arithmetic is done in 64 bits so that no product of sizes and
// counts overflows; values that fit in 32 bits come out exactly as they
// would in 32-bit arithmetic (C++ division truncates toward zero).
using Unit = std::int64_t;

// A device coordinate for the surface; an absurd value beyond the 32-bit
// range is held at its edge instead of wrapping round into the page.
int toDevice(Unit value) {
    return static_cast<int>(
        std::clamp<Unit>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// Which way the characters of a line, or the columns, follow each other.
enum class Direction { Rightward, Leftward };

// When a flow pass tests whether the next line still fits above the bottom.
enum class BottomTest { AfterEveryCharacter, AfterWrapOnly };

// How far y moves down behind an upright character and a turned one.
struct ColumnAdvance {
    Unit upright = 0;
    Unit turned = 0;
};

// The parameters of a column pass.
struct ColumnPass {
    Unit columnTop = 0;  // where y starts in every new column
    ColumnAdvance advance;
    Unit columnStep = 0;     // how far x moves to the next column
    bool clipped = false;    // draw only characters whose column lies in the frame
    bool stopAtEdge = true;  // stop when the next column passes the far edge
};

// What a measuring routine found, widened for the layout arithmetic.
struct Counts {
    Unit count = 0;  // n or K
    Unit D = 0;
    Unit S = 0;
};

Counts widen(const TextCount& count) {
    return Counts{count.count, count.D, count.S};
}

// A layout-unit coordinate on a device of dpi dots per inch: scaled and
// truncated toward zero.
int layoutToDevice(Unit value, int dpi) {
    return toDevice(Unit{toDevice(value)} * dpi / kLayoutDpi);
}

// One call's layout: the frame, the fonts and their metrics, the text and its
// read position, and the drawing position (x, y) that the passes move. All of
// it is in layout units; only the characters' places and the fonts they are
// drawn with are scaled to the surface.
class FrameTextLayout {
public:
    FrameTextLayout(Surface& surface, int left, int top, int right, int bottom, int fontCode,
                    int charHeight, std::string_view text, int colGap, int rowGap);

    // Lays the text out by style (0..3) and distribution mode (0..7); any other
    // style or mode, or a frame narrower than a half cell, draws nothing.
    // Returns how many characters were drawn of how many the text holds.
    FramePlacement draw(int style, int mode);

private:
    // The tables of the four writing styles.
    void leftToRight(int mode);
    void rightToLeft(int mode);
    void columnsRightToLeft(int mode);
    void columnsLeftToRight(int mode);

    // Preparations that several styles share.
    void centreSingleColumn(const Counts& c);
    // How wide one line of the counted characters is, gaps left out.
    Unit lineLength(const Counts& c) const { return 2 * H_ * c.D + H_ * c.S; }
    // How far one column of them reaches down, gaps left out.
    Unit columnLength(const Counts& c) const;
    std::optional<Counts> columnCount(Unit frameTop, Unit frameBottom) const;
    Counts lineCount(Unit frameLeft, Unit frameRight) const;
    ColumnPass packedColumns(Unit columnTop, Unit columnStep) const;
    ColumnPass gappedColumns(Unit columnTop, Unit columnStep, bool clipped, bool stopAtEdge) const;

    // The passes.
    void flow(Direction direction, Unit lineStep, BottomTest bottomTest);
    void singleLine(Direction direction, Unit gap, bool clippedToFrame);
    void columns(Direction direction, const ColumnPass& pass);
    void singleColumn(const ColumnAdvance& advance, bool clipped);

    // Steps of the passes.
    void advanceAlongLine(Direction direction, int drawnWidth, Unit gap);
    void putColumnCharacter(const ColumnAdvance& advance, bool clipped);
    void drawCharacter(Unit atX, Unit atY, const Font& font);
    // Moves past a "~~" taken as a break.
    void skipBreak();
    // Dispatches to the writing style's table.
    void layOut(int style, int mode);
    bool atEnd() const { return pos_ >= text_.size(); }
    bool turnsOneByte() const { return fontCode_ == 2 || fontCode_ == 3; }

    Surface& surface_;
    const int dpi_;
    const Unit left_, top_, right_, bottom_;
    const int fontCode_;
    const Font upright_;
    const Font turned_;
    const std::string_view text_;
    const Unit colGap_, rowGap_;
    Unit M_ = 0, H_ = 0, L_ = 0, W_ = 0, V_ = 0;
    std::size_t pos_ = 0;
    Unit x_ = 0, y_ = 0;
    int drawn_ = 0;
    int breaks_ = 0;
};

int characterCount(std::string_view text) {
    int count = 0;
    for (std::size_t pos = 0; pos < text.size(); pos += charLength(text, pos)) ++count;
    return count;
}

FontFace faceFor(int fontCode) {
    return fontCode == 1 || fontCode == 3 ? FontFace::Kai : FontFace::Ming;
}

// The font that draws a layout height of charHeight on a device of dpi:
// its cell is the same length on paper at every resolution, not rounded.
Font deviceFont(int fontCode, int charHeight, int dpi, bool turned) {
    return Font{faceFor(fontCode), static_cast<double>(charHeight) * dpi / kLayoutDpi, turned};
}

FrameTextLayout::FrameTextLayout(Surface& surface, int left, int top, int right, int bottom,
                                 int fontCode, int charHeight, std::string_view text, int colGap,
                                 int rowGap)
    : surface_(surface),
      dpi_(surface.dotsPerInch()),
      left_(left),
      top_(top),
      right_(right),
      bottom_(bottom),
      fontCode_(fontCode),
      upright_(deviceFont(fontCode, charHeight, dpi_, false)),
      turned_(deviceFont(fontCode, charHeight, dpi_, true)),
      text_(text),
      colGap_(colGap),
      rowGap_(rowGap) {
    const FontMetrics metrics = surface_.metrics(faceFor(fontCode), charHeight);
    M_ = metrics.maxCharWidth;
    L_ = metrics.height;
    H_ = M_ / 2;
    W_ = right_ - left_;
    V_ = bottom_ - top_;
}

FramePlacement FrameTextLayout::draw(int style, int mode) {
    x_ = style == 1 || style == 2 ? right_ - M_ : left_;
    y_ = top_;
    if (W_ >= H_) layOut(style, mode);
    return FramePlacement{drawn_, characterCount(text_) - 2 * breaks_};
}

void FrameTextLayout::layOut(int style, int mode) {
    switch (style) {
        case 0:
            return leftToRight(mode);
        case 1:
            return rightToLeft(mode);
        case 2:
            return columnsRightToLeft(mode);
        case 3:
            return columnsLeftToRight(mode);
        default:
            return;
    }
}

// Style 0: lines left to right, from x = left.
void FrameTextLayout::leftToRight(int mode) {
    switch (mode) {
        case 0:
        case 2:
        case 4:
            return flow(Direction::Rightward, L_ + rowGap_, BottomTest::AfterEveryCharacter);
        case 1: {
            // One line: its characters spread with equal gaps before, between
            // and after them. Several: the lines spread over the height.
            const Counts c = lineCount(left_, right_);
            if (c.count == 1) {
                const Unit gap =
                    std::max<Unit>((W_ - lineLength(c)) / (c.D + c.S + 1), 0);
                x_ = left_ + gap;
                y_ = top_ + (V_ - L_) / 2;
                return singleLine(Direction::Rightward, gap, false);
            }
            const Unit rowGap = std::max<Unit>((V_ - L_ * c.count) / (c.count - 1), 0);
            return flow(Direction::Rightward, L_ + rowGap, BottomTest::AfterWrapOnly);
        }
        case 3: {
            const Counts c = lineCount(left_, right_);
            if (c.count == 1) {
                const Unit rest = W_ - colGap_ * (c.D + c.S - 1) - lineLength(c);
                x_ = left_ + rest / 2;
                y_ = top_ + (V_ - L_) / 2;
                return singleLine(Direction::Rightward, colGap_, false);
            }
            y_ = std::max(top_ + (V_ - L_ * c.count) / 2, top_);
            return flow(Direction::Rightward, L_, BottomTest::AfterEveryCharacter);
        }
        case 5: {
            // One line ending one unit inside the right edge; characters that
            // start outside the frame are left out (a long number loses its
            // leading digits).
            const Counts c = lineCount(left_, right_);
            x_ = right_ - 1 - lineLength(c) - colGap_ * (c.D + c.S - 1);
            y_ = top_ + (V_ - L_) / 2;
            return singleLine(Direction::Rightward, colGap_, true);
        }
        case 6: {
            const Counts c = lineCount(left_ + 1, right_ - 1);
            if (c.count != 1) return;
            Unit gap = colGap_;
            if (c.D + c.S >= 2) gap = (W_ - 2 - lineLength(c)) / (c.D + c.S - 1);
            x_ = left_ + 1;
            y_ = top_ + (V_ - L_) / 2;
            return singleLine(Direction::Rightward, std::max<Unit>(gap, 0), false);
        }
        case 7: {
            const Counts c = lineCount(left_, right_);
            y_ = std::max(top_ + (V_ - L_ * c.count) / 2, top_);
            return flow(Direction::Rightward, L_, BottomTest::AfterWrapOnly);
        }
        default:
            return;
    }
}

// Style 1: lines right to left, from x = right - M.
void FrameTextLayout::rightToLeft(int mode) {
    switch (mode) {
        case 0:
        case 2:
        case 4:
            return flow(Direction::Leftward, L_, BottomTest::AfterEveryCharacter);
        case 1: {
            // One line: gaps only between its characters, the first at right - M.
            const Counts c = lineCount(left_, right_);
            if (c.count == 1) {
                Unit gap = colGap_;
                if (c.D + c.S != 1) gap = (W_ - lineLength(c)) / (c.D + c.S - 1);
                y_ = top_ + (V_ - L_) / 2;
                return singleLine(Direction::Leftward, std::max<Unit>(gap, 0), false);
            }
            const Unit rowGap = std::max<Unit>((V_ - L_ * c.count) / (c.count - 1), 0);
            return flow(Direction::Leftward, L_ + rowGap, BottomTest::AfterEveryCharacter);
        }
        case 3: {
            const Counts c = lineCount(left_, right_);
            if (c.count == 1) {
                // The space left over does not take the gaps into account.
                const Unit rest = W_ - lineLength(c);
                x_ = right_ - M_ - rest / 2;
                y_ = top_ + (V_ - L_) / 2;
                return singleLine(Direction::Leftward, colGap_, false);
            }
            y_ = std::max(top_ + (V_ - L_ * c.count) / 2, top_);
            return flow(Direction::Leftward, L_, BottomTest::AfterEveryCharacter);
        }
        case 7: {
            // Not held at the top: a text taller than the frame starts above it.
            const Counts c = lineCount(left_, right_);
            y_ = top_ + (V_ - L_ * c.count) / 2;
            return flow(Direction::Leftward, L_, BottomTest::AfterWrapOnly);
        }
        default:
            return;
    }
}

// Style 2: columns top to bottom, from the right edge leftward.
void FrameTextLayout::columnsRightToLeft(int mode) {
    switch (mode) {
        case 0:
        case 1:
        case 3:
            y_ = top_ + 2;
            return columns(Direction::Leftward,
                           gappedColumns(top_ + 2, 2 * H_ + colGap_, false, true));
        case 2: {
            const std::optional<Counts> c = columnCount(top_, bottom_);
            if (!c) return;
            if (c->count == 1) {
                // One column centred across the frame, its characters spread
                // down it with equal gaps above, between and below.
                const Unit spread = (V_ - columnLength(*c)) / (c->D + c->S + 1);
                const Unit gap = turnsOneByte() ? spread : std::max<Unit>(spread, 0);
                x_ = left_ + (W_ - 2 * H_) / 2;
                y_ = top_ + gap;
                return singleColumn(ColumnAdvance{L_ + gap, H_ + gap}, true);
            }
            // Several columns spread across the width with equal gaps at both
            // sides and between; columns outside the frame are left out.
            const Unit gap = std::max<Unit>((W_ - 2 * H_ * c->count) / (c->count + 1), 0);
            x_ = right_ - gap - 2 * H_;
            y_ = top_ + 3;
            return columns(Direction::Leftward, gappedColumns(top_ + 3, 2 * H_ + gap, true, false));
        }
        case 4:
        case 7: {
            const std::optional<Counts> c = columnCount(top_, bottom_);
            if (!c) return;
            if (mode == 4 && c->count == 1) return centreSingleColumn(*c);
            // The block of columns, without gaps, centred across the frame.
            x_ = right_ - 2 * H_ - std::max<Unit>((W_ - 2 * H_ * c->count) / 2, 0);
            y_ = top_ + 2;
            return columns(Direction::Leftward, packedColumns(top_ + 2, 2 * H_));
        }
        default:
            return;
    }
}

// Style 3: columns top to bottom, from the left edge rightward.
void FrameTextLayout::columnsLeftToRight(int mode) {
    switch (mode) {
        case 0:
        case 1:
        case 3:
            y_ = top_ + 2;
            return columns(Direction::Rightward,
                           gappedColumns(top_ + 2, 2 * H_ + colGap_, false, true));
        case 2: {
            const std::optional<Counts> c = columnCount(top_, bottom_);
            if (!c) return;
            if (c->count == 1) {
                // The gap may be negative: the characters then overlap.
                const Unit gap = (V_ - columnLength(*c)) / (c->D + c->S + 1);
                x_ = left_ + (W_ - 2 * H_) / 2;
                y_ = top_ + gap;
                return singleColumn(ColumnAdvance{L_ + gap, H_ + gap}, false);
            }
            const Unit gap = std::max<Unit>((W_ - 2 * H_ * c->count) / (c->count + 1), 0);
            x_ = left_ + gap;
            y_ = top_ + 3;
            return columns(Direction::Rightward, packedColumns(top_ + 3, 2 * H_ + gap));
        }
        case 4: {
            const std::optional<Counts> c = columnCount(top_, bottom_);
            if (!c) return;
            if (c->count == 1) return centreSingleColumn(*c);
            x_ = left_ + std::max<Unit>((W_ - 2 * H_ * c->count) / 2, 0);
            y_ = top_ + 2;
            return columns(Direction::Rightward, packedColumns(top_ + 2, 2 * H_));
        }
        case 6: {
            // One column spread from one unit below the top edge; a text that
            // needs more than one column is not drawn.
            const std::optional<Counts> c = columnCount(top_ + 1, bottom_ - 1);
            if (!c || c->count != 1) return;
            Unit gap = rowGap_;
            if (turnsOneByte()) {
                gap = (V_ - 2 - columnLength(*c)) / (c->D + c->S + 1);
            } else if (c->D + c->S >= 2) {
                gap = (V_ - 2 - columnLength(*c)) / (c->D + c->S - 1);
            }
            x_ = left_ + (W_ - 2 * H_) / 2;
            y_ = top_ + 1;
            return singleColumn(ColumnAdvance{L_ + gap, H_ + gap}, false);
        }
        case 7: {
            const std::optional<Counts> c = columnCount(top_, bottom_);
            if (!c) return;
            // Not held at the left edge: a block wider than the frame starts left of it.
            x_ = left_ + (W_ - 2 * H_ * c->count) / 2;
            y_ = top_ + 2;
            return columns(Direction::Rightward, packedColumns(top_ + 2, 2 * H_));
        }
        default:
            return;
    }
}

// Turned one-byte characters take H of a column, every other character L.
Unit FrameTextLayout::columnLength(const Counts& c) const {
    return L_ * c.D + (turnsOneByte() ? H_ : L_) * c.S;
}

// One column centred both ways (mode 4 of styles 2 and 3).
void FrameTextLayout::centreSingleColumn(const Counts& c) {
    y_ = top_ + (V_ - columnLength(c)) / 2;
    x_ = left_ + (W_ - 2 * H_) / 2;
    singleColumn(ColumnAdvance{L_ + rowGap_, H_}, false);
}

// The column count of the vertical modes between frameTop and frameBottom.
// With turned one-byte characters the count is the text's length over the
// height, markers ignored; that rule has no answer for a height of 0
// (nullopt: nothing is drawn).
std::optional<Counts> FrameTextLayout::columnCount(Unit frameTop, Unit frameBottom) const {
    const Unit cell = turnsOneByte() ? H_ : L_;
    Counts c =
        widen(CountTextColumns(toDevice(frameTop), toDevice(frameBottom), toDevice(cell), text_));
    if (!turnsOneByte()) return c;
    const Unit height = frameBottom - frameTop;
    if (height == 0) return std::nullopt;
    const Unit length = (2 * c.D + c.S) * H_;
    c.count = length < height ? 1 : length / height + 1;
    return c;
}

Counts FrameTextLayout::lineCount(Unit frameLeft, Unit frameRight) const {
    return widen(CountTextLines(toDevice(frameLeft), toDevice(frameRight), toDevice(H_), text_,
                                toDevice(colGap_)));
}

// Columns whose characters follow each other without the row gap.
ColumnPass FrameTextLayout::packedColumns(Unit columnTop, Unit columnStep) const {
    return ColumnPass{columnTop, ColumnAdvance{L_, H_}, columnStep, false, true};
}

// Columns whose characters are followed by the row gap.
ColumnPass FrameTextLayout::gappedColumns(Unit columnTop, Unit columnStep, bool clipped,
                                          bool stopAtEdge) const {
    return ColumnPass{columnTop, ColumnAdvance{L_ + rowGap_, H_ + rowGap_}, columnStep, clipped,
                      stopAtEdge};
}

// Lines of upright characters; "~~" behind a drawn character and the right
// (style 0) or left (style 1) edge open the next line, which starts at left
// or at right - 2H. Stops when the next line would pass the bottom.
void FrameTextLayout::flow(Direction direction, Unit lineStep, BottomTest bottomTest) {
    const Unit lineStart = direction == Direction::Rightward ? left_ : right_ - 2 * H_;
    while (!atEnd()) {
        const int drawnWidth = charWidth(text_, pos_);
        drawCharacter(x_, y_, upright_);
        advanceAlongLine(direction, drawnWidth, colGap_);
        if (breakAt(text_, pos_)) {
            skipBreak();
            x_ = lineStart;
            y_ += lineStep;
        }
        const bool wraps = direction == Direction::Rightward
                               ? x_ + H_ * charWidth(text_, pos_) > right_
                               : x_ < left_;
        if (wraps) {
            x_ = lineStart;
            y_ += lineStep;
            if (bottomTest == BottomTest::AfterWrapOnly && y_ + L_ > bottom_) return;
        }
        if (bottomTest == BottomTest::AfterEveryCharacter && y_ + L_ > bottom_) return;
    }
}

// Every character on one line, wherever it falls. clippedToFrame leaves out
// (but still advances past) the characters that start outside
// left .. right - H.
void FrameTextLayout::singleLine(Direction direction, Unit gap, bool clippedToFrame) {
    while (!atEnd()) {
        const int drawnWidth = charWidth(text_, pos_);
        if (!clippedToFrame || (left_ <= x_ && x_ <= right_ - H_)) {
            drawCharacter(x_, y_, upright_);
        } else {
            pos_ += charLength(text_, pos_);
        }
        advanceAlongLine(direction, drawnWidth, gap);
    }
}

// Rightward the step is the drawn character's width, leftward the width of
// the character that comes next (so it lands left of the one just drawn).
void FrameTextLayout::advanceAlongLine(Direction direction, int drawnWidth, Unit gap) {
    if (direction == Direction::Rightward) {
        x_ += H_ * drawnWidth + gap;
    } else {
        x_ -= H_ * charWidth(text_, pos_) + gap;
    }
}

// Columns 2H wide; "~~" behind a drawn character and the bottom open the
// next column at the column top.
void FrameTextLayout::columns(Direction direction, const ColumnPass& pass) {
    while (!atEnd()) {
        putColumnCharacter(pass.advance, pass.clipped);
        const bool marker = breakAt(text_, pos_);
        if (marker || y_ + L_ > bottom_) {
            if (marker) skipBreak();
            y_ = pass.columnTop;
            x_ += direction == Direction::Leftward ? -pass.columnStep : pass.columnStep;
        }
        if (pass.stopAtEdge) {
            const bool past = direction == Direction::Leftward ? x_ < left_ : x_ + 2 * H_ > right_;
            if (past) return;
        }
    }
}

// Every character down one column, wherever it falls.
void FrameTextLayout::singleColumn(const ColumnAdvance& advance, bool clipped) {
    while (!atEnd()) putColumnCharacter(advance, clipped);
}

// Draws the character at the read position in the column at x and moves
// down past it. A one-byte character under font code 2 or 3 is turned: its
// reference point is the column's right edge, its cell lying left of it.
void FrameTextLayout::putColumnCharacter(const ColumnAdvance& advance, bool clipped) {
    const bool inFrame = !clipped || (x_ >= left_ && x_ + 2 * H_ <= right_);
    if (turnsOneByte() && !isLeadByte(text_[pos_])) {
        if (inFrame) {
            drawCharacter(x_ + 2 * H_, y_, turned_);
        } else {
            pos_ += 1;
        }
        y_ += advance.turned;
    } else {
        if (inFrame) {
            drawCharacter(x_, y_, upright_);
        } else {
            pos_ += charLength(text_, pos_);
        }
        y_ += advance.upright;
    }
}

// Outputs the character at the read position and moves past it.
void FrameTextLayout::drawCharacter(Unit atX, Unit atY, const Font& font) {
    const std::size_t length = charLength(text_, pos_);
    surface_.drawText(layoutToDevice(atX, dpi_), layoutToDevice(atY, dpi_), text_.substr(pos_, length),
                      font);
    pos_ += length;
    ++drawn_;
}

void FrameTextLayout::skipBreak() {
    pos_ += 2;
    ++breaks_;
}

}  // namespace

FramePlacement XPrint::DrawFrameText(int left, int top, int right, int bottom, int style,
                                     int distribution, int fontCode, int charHeight,
                                     std::string_view text, int colGap, int rowGap) {
    if (surface == nullptr) return {};
    text = text.substr(0, text.find('\0'));
    if (isBlankFrame(text)) {
        const int dpi = surface->dotsPerInch();
        DrawBlankFrame(layoutToDevice(left, dpi), layoutToDevice(top, dpi), layoutToDevice(right, dpi),
                       layoutToDevice(bottom, dpi));
        return {};
    }
    FrameTextLayout layout(*surface, left, top, right, bottom, fontCode, charHeight,
                           frametext::layoutText(text), colGap, rowGap);
    return layout.draw(style, distribution);
}

void XPrint::DrawBlankFrame(int left, int top, int right, int bottom) {
    if (surface == nullptr) return;
    surface->drawRect(toDevice(Unit{left} + 2), toDevice(Unit{top} + 2), toDevice(Unit{right} - 2),
                      toDevice(Unit{bottom} - 2), Pen{PenDash, 1, kWhite});
}

}  // namespace zarvo

namespace zarvo {

void drawCellCharacters(Surface& surface, const std::vector<CellCharacter>& cells, std::string_view text,
                        int top, int bottom, int fontCode, int charHeight) {
    const int dpi = surface.dotsPerInch();
    const FontMetrics metrics = surface.metrics(faceFor(fontCode), charHeight);
    const Font font = deviceFont(fontCode, charHeight, dpi, false);
    const Unit y = Unit{top} + (Unit{bottom} - top - metrics.height) / 2;
    for (const CellCharacter& cell : cells) {
        const Unit width = cell.length == 2 ? metrics.maxCharWidth : metrics.maxCharWidth / 2;
        const Unit x = (Unit{cell.left} + cell.right - width) / 2;
        surface.drawText(layoutToDevice(x, dpi), layoutToDevice(y, dpi), text.substr(cell.offset, cell.length),
                         font);
    }
}

int cellLineWidth(Surface& surface, std::string_view text, int fontCode, int charHeight) {
    const Unit half = surface.metrics(faceFor(fontCode), charHeight).maxCharWidth / 2;
    Unit width = 0;
    for (std::size_t pos = 0; pos < text.size(); pos += charLength(text, pos)) width += half * charWidth(text, pos);
    return toDevice(width);
}

}  // namespace zarvo
