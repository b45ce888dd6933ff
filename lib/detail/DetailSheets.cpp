#include "detail/DetailSheets.h"

#include <algorithm>
#include <optional>
#include <set>

#include "format/Decimal.h"
#include "report/Big5.h"
#include "report/ReportError.h"

namespace zarvo {

namespace {

// Our own texts, which Big5 holds.
std::string big5Text(std::string_view utf8) { return *utf8ToBig5(utf8); }

const DataField* fieldNamed(const std::vector<DataField>& fields, std::string_view name) {
    const auto found = std::find_if(fields.begin(), fields.end(), [&](const DataField& f) { return f.name == name; });
    return found == fields.end() ? nullptr : &*found;
}

// The running sums of one column: at[i] is the sum of items 0..i-1, all
// with the decimals of the column's longest value.
struct ColumnSums {
    std::string field;
    std::vector<Decimal> at;
};

ColumnSums columnSums(const DetailOrder& order, const std::string& field) {
    std::vector<std::optional<Decimal>> values;
    int decimals = 0;
    for (std::size_t i = 0; i < order.items.size(); ++i) {
        const DataField* value = fieldNamed(order.items[i], field);
        values.emplace_back();
        if (!value) continue;
        values.back() = Decimal::parse(value->value);
        if (!values.back()) {
            throw ReportError("第 " + std::to_string(order.number) + " 筆訂單 (" + orderLabel(order) + ") 第 " +
                              std::to_string(i + 1) + " 項, 欄位「" + big5ToUtf8(field) + "」:「" +
                              big5ToUtf8(value->value) + "」不是數字, 無法加總");
        }
        decimals = std::max(decimals, int(values.back()->fractionDigits().size()));
    }
    ColumnSums sums{field, {Decimal().rounded(decimals)}};
    for (const std::optional<Decimal>& value : values) {
        sums.at.push_back(value ? (sums.at.back() + *value).rounded(decimals) : sums.at.back());
    }
    return sums;
}

// The names the sheets fill themselves, which an order's own fields may not.
std::set<std::string> sheetBlocks(const DetailSpec& spec) {
    std::set<std::string> names;
    for (int row = 1; row <= spec.rows; ++row) {
        for (const std::string& field : spec.fields) names.insert(detailBlock(field, row));
    }
    if (!spec.page.empty()) names.insert(spec.page);
    if (!spec.pages.empty()) names.insert(spec.pages);
    for (const DetailSum& sum : spec.sums) names.insert(sum.blocks.begin(), sum.blocks.end());
    return names;
}

class SheetWriter {
public:
    SheetWriter(const DetailSpec& spec, const DetailOrder& order) : spec_(spec), order_(order) {
        for (const DetailSum& sum : spec.sums) sums_.push_back(columnSums(order, sum.field));
        spans_ = detailSpans(spec, std::int64_t(order.items.size()));
        reserved_ = sheetBlocks(spec);
    }

    std::vector<std::vector<DataField>> sheets() {
        std::vector<std::vector<DataField>> out;
        for (std::size_t s = 0; s < spans_.size(); ++s) out.push_back(sheet(s));
        return out;
    }

private:
    std::vector<DataField> sheet(std::size_t s) {
        const SheetSpan& span = spans_[s];
        const bool last = s + 1 == spans_.size();
        const bool carryIn = spec_.carry && s > 0;
        const bool carryOut = spec_.carry && !last;
        std::vector<DataField> fields;
        for (const DataField& field : order_.fields) {
            if (reserved_.count(field.name)) continue;
            if (!last && std::find(spec_.last.begin(), spec_.last.end(), field.name) != spec_.last.end()) continue;
            fields.push_back(field);
        }
        int row = 1;
        if (carryIn) carryRow(fields, row++, big5Text("承上頁"), span.first);
        for (std::int64_t i = span.first; i < span.first + span.count; ++i, ++row) {
            for (const std::string& name : spec_.fields) {
                if (const DataField* value = fieldNamed(order_.items[std::size_t(i)], name)) {
                    fields.push_back({detailBlock(name, row), value->value});
                }
            }
        }
        if (carryOut) carryRow(fields, spec_.rows, big5Text("過次頁"), span.first + span.count);
        if (!spec_.page.empty()) fields.push_back({spec_.page, std::to_string(s + 1)});
        if (!spec_.pages.empty()) fields.push_back({spec_.pages, std::to_string(spans_.size())});
        for (std::size_t i = 0; i < sums_.size(); ++i) {
            const std::string text = last ? sums_[i].at.back().toString() : spec_.continued;
            if (text.empty()) continue;
            for (const std::string& block : spec_.sums[i].blocks) fields.push_back({block, text});
        }
        return fields;
    }

    // Row `row` holding label in the first field and, in each summed
    // column, the sum of the items before item `upTo`.
    void carryRow(std::vector<DataField>& fields, int row, const std::string& label, std::int64_t upTo) const {
        fields.push_back({detailBlock(spec_.fields.front(), row), label});
        for (const std::string& name : spec_.fields) {
            if (name == spec_.fields.front()) continue;
            const auto sum = std::find_if(sums_.begin(), sums_.end(), [&](const ColumnSums& c) { return c.field == name; });
            if (sum != sums_.end()) fields.push_back({detailBlock(name, row), sum->at[std::size_t(upTo)].toString()});
        }
    }

    const DetailSpec& spec_;
    const DetailOrder& order_;
    std::vector<ColumnSums> sums_;
    std::vector<SheetSpan> spans_;
    std::set<std::string> reserved_;
};

}  // namespace

std::vector<SheetSpan> detailSpans(const DetailSpec& spec, std::int64_t itemCount) {
    const std::int64_t rows = std::max(spec.rows, 1);
    std::vector<SheetSpan> spans;
    if (!spec.carry || itemCount <= rows) {
        for (std::int64_t first = 0; first < itemCount; first += rows) {
            spans.push_back({first, std::min(rows, itemCount - first)});
        }
        if (spans.empty()) spans.push_back({0, 0});
        return spans;
    }
    // carry: rows-1 on the first sheet, rows-2 on each middle one, the rest
    // (at most rows-1) on the last.
    spans.push_back({0, rows - 1});
    std::int64_t next = rows - 1;
    while (itemCount - next > rows - 1) {
        spans.push_back({next, rows - 2});
        next += rows - 2;
    }
    spans.push_back({next, itemCount - next});
    return spans;
}

std::vector<std::vector<DataField>> detailSheets(const DetailSpec& spec, const DetailOrder& order) {
    return SheetWriter(spec, order).sheets();
}

std::string orderLabel(const DetailOrder& order) {
    if (order.fields.empty()) return std::to_string(order.number);
    std::string label = big5ToUtf8(order.fields.front().value);
    std::replace(label.begin(), label.end(), '\n', ' ');
    std::replace(label.begin(), label.end(), '\r', ' ');
    return label;
}

std::string detailSheetName(const std::string& orderLabel, std::int64_t sheet, std::int64_t sheets) {
    return orderLabel + " " + std::to_string(sheet) + "/" + std::to_string(sheets);
}

}  // namespace zarvo
