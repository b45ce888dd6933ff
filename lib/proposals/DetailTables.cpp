#include "proposals/DetailTables.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace zarvo {

namespace {

// How far one box's bottom may lie from the next one's top: the two share
// a ruled line, found twice with its error.
constexpr double kSharedLineMm = 1.0;

bool near(double a, double b, double tolerance) { return std::abs(a - b) <= tolerance; }

double height(const RectMm& box) { return box.bottom - box.top; }

bool sameColumn(const RectMm& a, const RectMm& b) {
    return near(a.left, b.left, kTableToleranceMm) && near(a.right, b.right, kTableToleranceMm);
}

// The box of boxes (inked or not, as wanted) that lies just under upper in
// its column, if any.
std::optional<RectMm> boxUnder(const RectMm& upper, const std::vector<GuideBox>& boxes, bool inked) {
    for (const GuideBox& box : boxes) {
        if (box.hasInk == inked && sameColumn(box.frame, upper) && near(box.frame.top, upper.bottom, kSharedLineMm))
            return box.frame;
    }
    return std::nullopt;
}

// The empty boxes stacked under header, of one height, first row first.
std::vector<RectMm> stackUnder(const RectMm& header, const std::vector<GuideBox>& boxes) {
    std::vector<RectMm> stack;
    for (std::optional<RectMm> next = boxUnder(header, boxes, false); next; next = boxUnder(*next, boxes, false)) {
        if (!stack.empty() && !near(height(*next), height(stack.front()), kTableToleranceMm)) break;
        stack.push_back(*next);
    }
    return stack;
}

struct Column {
    RectMm header;
    std::vector<RectMm> boxes;
};

// Whether column b continues the table whose last column is a: level
// rows of one height, b right of a.
bool continues(const Column& a, const Column& b) {
    return near(b.header.left, a.header.right, kSharedLineMm) &&
           near(b.boxes.front().top, a.boxes.front().top, kTableToleranceMm) &&
           near(height(b.boxes.front()), height(a.boxes.front()), kTableToleranceMm);
}

DetailTable tableOf(const std::vector<Column>& run) {
    std::size_t rows = run.front().boxes.size();
    for (const Column& column : run) rows = std::min(rows, column.boxes.size());
    DetailTable table;
    for (const Column& column : run) {
        table.headers.push_back(column.header);
        table.columns.emplace_back(column.boxes.begin(), column.boxes.begin() + std::ptrdiff_t(rows));
    }
    return table;
}

}  // namespace

std::vector<DetailTable> findDetailTables(const std::vector<GuideBox>& boxes) {
    std::vector<Column> columns;
    for (const GuideBox& box : boxes) {
        if (!box.hasInk) continue;
        std::vector<RectMm> stack = stackUnder(box.frame, boxes);
        if (int(stack.size()) >= kMinTableRows) columns.push_back({box.frame, std::move(stack)});
    }
    // Left to right, so that a table's first column comes before the rest.
    std::sort(columns.begin(), columns.end(),
              [](const Column& a, const Column& b) { return a.header.left < b.header.left; });
    std::vector<DetailTable> tables;
    std::vector<bool> used(columns.size(), false);
    for (std::size_t first = 0; first < columns.size(); ++first) {
        if (used[first]) continue;
        std::vector<Column> run{columns[first]};
        used[first] = true;
        for (std::size_t next = first + 1; next < columns.size(); ++next) {
            if (!used[next] && continues(run.back(), columns[next])) {
                run.push_back(columns[next]);
                used[next] = true;
            }
        }
        if (run.size() >= 2) tables.push_back(tableOf(run));
    }
    std::sort(tables.begin(), tables.end(), [](const DetailTable& a, const DetailTable& b) {
        const RectMm &x = a.headers.front(), &y = b.headers.front();
        return near(x.top, y.top, kTableToleranceMm) ? x.left < y.left : x.top < y.top;
    });
    return tables;
}

}  // namespace zarvo
