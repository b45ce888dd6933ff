#include "stationery/ScanLines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/common/Command.h"
#include "tests/common/TempDir.h"
#include "tests/lib/stationery/ScanDrawing.h"

namespace zarvo {
namespace {

using test::DrawnCaption;
using test::DrawnLine;

constexpr double kDpi = 300;
constexpr double kLineTolerance = 0.2;  // mm, a found line from its true place
constexpr double kEndTolerance = 0.8;   // mm, a found line's ends from the drawn ones
constexpr double kSkewTolerance = 0.05;

// A small order form: a table of 4 x 3 boxes (its third rule dotted), two
// captions in its head, a captioned box of its own, a signature line that
// closes nothing, and a large title that must not pass for lines.
struct Form {
    std::vector<DrawnLine> lines;
    std::vector<DrawnCaption> captions;
    std::vector<ScanBox> boxes;
};

Form orderForm() {
    Form form;
    const double rows[] = {30, 40, 48, 56, 64};
    const double columns[] = {20, 50, 120, 190};
    for (double y : rows) form.lines.push_back({20, y, 190, y, y == 30 || y == 64 ? 0.3 : 0.12, y == 48});
    for (double x : columns) form.lines.push_back({x, 30, x, 64, x == 20 || x == 190 ? 0.3 : 0.12, false});
    form.lines.push_back({20, 80, 60, 80, 0.2, false});
    form.lines.push_back({20, 95, 60, 95, 0.2, false});
    form.lines.push_back({20, 80, 20, 95, 0.2, false});
    form.lines.push_back({60, 80, 60, 95, 0.2, false});
    form.lines.push_back({120, 110, 190, 110, 0.15, false});
    form.captions = {{22, 32.5, 4, QStringLiteral("項次")},
                     {52, 32.5, 4, QStringLiteral("品名規格")},
                     {24, 85, 5, QStringLiteral("備註")},
                     {60, 8, 12, QStringLiteral("鴻昇出貨單")}};
    for (int r = 0; r + 1 < 5; ++r)
        for (int c = 0; c + 1 < 4; ++c)
            form.boxes.push_back({columns[c], rows[r], columns[c + 1], rows[r + 1], r == 0 && c < 2});
    form.boxes.push_back({20, 80, 60, 95, true});
    return form;
}

bool horizontal(const DrawnLine& line) { return line.y1 == line.y2; }

// Whether found holds drawn (moved by shift), within the tolerances.
bool holds(const std::vector<ScanLine>& found, double position, double from, double to) {
    for (const ScanLine& line : found)
        if (std::abs(line.position - position) <= kLineTolerance && std::abs(line.from - from) <= kEndTolerance &&
            std::abs(line.to - to) <= kEndTolerance)
            return true;
    return false;
}

std::string describe(const ScanLines& lines) {
    std::ostringstream out;
    out << "skew " << lines.skewDegrees << "\n";
    for (const ScanLine& l : lines.horizontal) out << "h " << l.position << " " << l.from << ".." << l.to << "\n";
    for (const ScanLine& l : lines.vertical) out << "v " << l.position << " " << l.from << ".." << l.to << "\n";
    for (const ScanBox& b : lines.boxes)
        out << "box " << b.left << " " << b.top << " " << b.right << " " << b.bottom << (b.hasInk ? " ink" : "") << "\n";
    return out.str();
}

// Every drawn line found and nothing else, the skew measured, the boxes
// found with their captions and no others, on scans worn in each way.
TEST(ScanLinesTest, FindsTheFormsLinesAndBoxesOnWornScans) {
    struct Case {
        const char* name;
        test::Damage damage;
    };
    const Case cases[] = {
        {"clean", {}},
        {"noisy and blurred", {0, 0, 1.2, 30}},
        {"dark red ink", {0, 0, 0.8, 12, QColor(140, 20, 20)}},
        {"turned 0.4 degrees", {0.4, 0, 0.8, 12}},
        {"turned back 0.7 degrees, noisy", {-0.7, 0, 1.2, 30}},
        {"shifted 2 mm", {0, 2, 0.8, 12}},
        {"blue ink on cream paper, turned 1 degree", {1.0, 0, 1.0, 15, QColor(20, 40, 150), QColor(244, 238, 220)}},
        {"shifted and turned 0.4 degrees in red", {0.4, 2, 1.0, 20, QColor(140, 20, 20)}},
    };
    const Form form = orderForm();
    const QImage clean = test::drawForm(form.lines, form.captions, kDpi);
    for (const Case& c : cases) {
        const ScanLines found = detectScanLines(test::damaged(clean, kDpi, c.damage), kDpi);
        const std::string seen = describe(found);
        const double shift = c.damage.shiftMm;
        EXPECT_NEAR(found.skewDegrees, c.damage.turnDegrees, kSkewTolerance) << c.name;
        std::size_t horizontals = 0;
        for (const DrawnLine& line : form.lines) {
            if (horizontal(line)) {
                ++horizontals;
                EXPECT_TRUE(holds(found.horizontal, line.y1 + shift, line.x1 + shift, line.x2 + shift))
                    << c.name << ": no line at y " << line.y1 << "\n" << seen;
            } else {
                EXPECT_TRUE(holds(found.vertical, line.x1 + shift, line.y1 + shift, line.y2 + shift))
                    << c.name << ": no line at x " << line.x1 << "\n" << seen;
            }
        }
        EXPECT_EQ(found.horizontal.size(), horizontals) << c.name << "\n" << seen;
        EXPECT_EQ(found.vertical.size(), form.lines.size() - horizontals) << c.name << "\n" << seen;
        ASSERT_EQ(found.boxes.size(), form.boxes.size()) << c.name << "\n" << seen;
        for (std::size_t i = 0; i < form.boxes.size(); ++i) {
            const ScanBox& want = form.boxes[i];
            const ScanBox& got = found.boxes[i];
            EXPECT_NEAR(got.left, want.left + shift, kLineTolerance) << c.name << " box " << i;
            EXPECT_NEAR(got.top, want.top + shift, kLineTolerance) << c.name << " box " << i;
            EXPECT_NEAR(got.right, want.right + shift, kLineTolerance) << c.name << " box " << i;
            EXPECT_NEAR(got.bottom, want.bottom + shift, kLineTolerance) << c.name << " box " << i;
            EXPECT_EQ(got.hasInk, want.hasInk) << c.name << " box " << i << "\n" << seen;
        }
    }
}

// Pages without ruled lines, and settings that cannot be used, give nothing.
TEST(ScanLinesTest, FindsNothingWhereNothingIsRuled) {
    struct Case {
        const char* name;
        QImage scan;
        double dpi;
    };
    const QImage blank = test::drawForm({}, {}, kDpi);
    const QImage text = test::drawForm({},
                                       {{20, 20, 10, QStringLiteral("出貨單　第二聯：客戶收執")},
                                        {20, 40, 4, QStringLiteral("臺北市中山區南京東路二段120號8樓　電話：(02)2521-1234")},
                                        {20, 50, 4, QStringLiteral("品名規格　數量　單位　單價　金額　合計新臺幣")}},
                                       kDpi);
    const Case cases[] = {
        {"a blank noisy page", test::damaged(blank, kDpi, {0.3, 0, 1.0, 30}), kDpi},
        {"a page of large text", test::damaged(text, kDpi, {0, 0, 0.8, 12}), kDpi},
        {"no picture", QImage(), kDpi},
        {"an impossible resolution", test::drawForm({{20, 30, 190, 30}}, {}, kDpi), 0},
    };
    for (const Case& c : cases) {
        const ScanLines found = detectScanLines(c.scan, c.dpi);
        EXPECT_TRUE(found.horizontal.empty() && found.vertical.empty() && found.boxes.empty())
            << c.name << "\n" << describe(found);
        EXPECT_NEAR(found.skewDegrees, 0, 0.01) << c.name << ": no lines, no skew";
    }
}

// A skew given by the user is taken as it is.
TEST(ScanLinesTest, TakesAGivenSkew) {
    const Form form = orderForm();
    const QImage scan = test::damaged(test::drawForm(form.lines, form.captions, kDpi), kDpi, {0.4, 0, 0.8, 12});
    const ScanLines found = detectScanLines(scan, kDpi, 0.4);
    EXPECT_EQ(found.skewDegrees, 0.4);
    EXPECT_TRUE(holds(found.horizontal, 30, 20, 190)) << describe(found);
    EXPECT_EQ(found.boxes.size(), form.boxes.size()) << describe(found);
}

// The delivery note's lines as its report file lists them (mm from the
// form's origin): style, width, x1, y1, x2, y2.
std::vector<DrawnLine> deliveryNoteLines() {
    std::ifstream file(std::string(ZARVO_SOURCE_DIR) + "/examples/delivery_note.txt");
    std::string row;
    while (std::getline(file, row) && row.rfind("LINE_INFO", 0) != 0) {
    }
    std::vector<DrawnLine> lines;
    const int count = std::stoi(row.substr(row.find('\t') + 1));
    for (int i = 0; i < count && std::getline(file, row); ++i) {
        std::istringstream fields(row);
        int style = 0;
        double width = 0;
        DrawnLine line;
        fields >> style >> width >> line.x1 >> line.y1 >> line.x2 >> line.y2;
        lines.push_back(line);
    }
    return lines;
}

// The delivery note printed to PDF by the renderer and read at 300 dpi, as
// printed and as a worn scan 2 mm off: every ruled line (solid, dotted and
// dashed) in its place, every box of its item table found, and every box
// found closed by its own ruled lines.
TEST(ScanLinesTest, FindsTheDeliveryNotesLines) {
    test::TempDir dir;
    const std::string pdf = (dir.path() / "note.pdf").string();
    const std::string png = (dir.path() / "note.png").string();
    const std::string note = std::string(ZARVO_SOURCE_DIR) + "/examples/delivery_note.txt";
    ASSERT_EQ(test::runCommand(std::string(ZARVO_RENDER) + " --data-dir '" + dir.path().string() +
                                   "' --print --pdf '" + pdf + "' '" + note + "'",
                               dir)
                  .status,
              0);
    ASSERT_EQ(test::runCommand("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pnggray -r300 -o '" + png + "' '" + pdf + "'", dir)
                  .status,
              0);
    const QImage printed(QString::fromStdString(png));
    ASSERT_FALSE(printed.isNull());
    // The header puts the form 10 mm right and 8 mm down of the sheet's corner.
    const double originX = 10, originY = 8;
    const std::vector<DrawnLine> lines = deliveryNoteLines();
    ASSERT_EQ(lines.size(), 49u);
    struct Case {
        const char* name;
        test::Damage damage;
    };
    const Case cases[] = {{"as printed", {}}, {"worn, turned 0.4 degrees, 2 mm off", {0.4, 2, 1.0, 20, QColor(140, 20, 20)}}};
    for (const Case& c : cases) {
        const ScanLines found = detectScanLines(test::damaged(printed, kDpi, c.damage), kDpi);
        const std::string seen = describe(found);
        const double dx = originX + c.damage.shiftMm, dy = originY + c.damage.shiftMm;
        EXPECT_NEAR(found.skewDegrees, c.damage.turnDegrees, kSkewTolerance) << c.name;
        auto near = [](const std::vector<ScanLine>& found, double position) {
            for (const ScanLine& line : found)
                if (std::abs(line.position - position) <= kLineTolerance) return true;
            return false;
        };
        std::vector<double> xs, ys;
        for (const DrawnLine& line : lines) {
            if (line.y1 == line.y2) {
                ys.push_back(line.y1 + dy);
                EXPECT_TRUE(near(found.horizontal, line.y1 + dy))
                    << c.name << ": no line at y " << line.y1 << "\n" << seen;
            } else {
                xs.push_back(line.x1 + dx);
                EXPECT_TRUE(near(found.vertical, line.x1 + dx)) << c.name << ": no line at x " << line.x1 << "\n" << seen;
            }
        }
        auto onRule = [](const std::vector<double>& rules, double at) {
            for (double rule : rules)
                if (std::abs(rule - at) <= kLineTolerance) return true;
            return false;
        };
        for (const ScanBox& box : found.boxes)
            EXPECT_TRUE(onRule(xs, box.left) && onRule(xs, box.right) && onRule(ys, box.top) && onRule(ys, box.bottom))
                << c.name << ": a box of no ruled lines at " << box.left << ", " << box.top << "\n" << seen;
        // Caption boxes and empty ones: form left, top, right, bottom, whether it holds a caption.
        const ScanBox captioned[] = {{0, 34, 22, 42, true},     {22, 34, 120, 42, false}, {120, 34, 142, 42, true},
                                     {0, 79, 12, 87, true},     {12, 79, 98, 87, false},  {0, 70, 12, 79, true},
                                     {157, 143, 190, 151, false}};
        for (const ScanBox& want : captioned) {
            const auto box = std::find_if(found.boxes.begin(), found.boxes.end(), [&](const ScanBox& b) {
                return std::abs(b.left - want.left - dx) <= kLineTolerance && std::abs(b.top - want.top - dy) <= kLineTolerance;
            });
            ASSERT_NE(box, found.boxes.end()) << c.name << ": no box at " << want.left << ", " << want.top;
            EXPECT_NEAR(box->right, want.right + dx, kLineTolerance) << c.name;
            EXPECT_NEAR(box->bottom, want.bottom + dy, kLineTolerance) << c.name;
            EXPECT_EQ(box->hasInk, want.hasInk) << c.name << ": the box at " << want.left << ", " << want.top;
        }
        // The item table: 11 rows of 6 boxes.
        const double tableRows[] = {70, 79, 87, 95, 103, 111, 119, 127, 135, 143, 151, 159};
        const double tableColumns[] = {0, 12, 98, 118, 130, 157, 190};
        for (int r = 0; r + 1 < 12; ++r) {
            for (int col = 0; col + 1 < 7; ++col) {
                const bool boxed = std::any_of(found.boxes.begin(), found.boxes.end(), [&](const ScanBox& b) {
                    return std::abs(b.left - tableColumns[col] - dx) <= kLineTolerance &&
                           std::abs(b.right - tableColumns[col + 1] - dx) <= kLineTolerance &&
                           std::abs(b.top - tableRows[r] - dy) <= kLineTolerance &&
                           std::abs(b.bottom - tableRows[r + 1] - dy) <= kLineTolerance;
                });
                EXPECT_TRUE(boxed) << c.name << ": no box at row " << r << " column " << col;
            }
        }
    }
}

}  // namespace
}  // namespace zarvo
