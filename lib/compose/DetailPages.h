#pragma once
// The pages of a data file whose orders run over several sheets of a form
// with detail rows ([Detail] in its profile): the whole file checked first,
// each order's item count and sheet count recorded, and the place in the
// file of every 64th order; an order's items are read again from the file
// when one of its sheets is written.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "detail/DetailOrders.h"
#include "detail/DetailSpec.h"
#include "report/DataFile.h"

namespace zarvo {

class XPrint;

class DetailPages {
public:
    // The detail pages of data for the report open on engine (its
    // blocks read); nullptr when its profile has no [Detail] or the file
    // holds no detail rows (one page a record then, as without [Detail]).
    // Throws ReportError when a block [Detail] names is missing from the
    // report, and for a damaged file, an order whose records disagree or a
    // summed value that is no number, before anything is drawn.
    static std::unique_ptr<DetailPages> open(const XPrint& engine, const DataOrigin& data);

    DetailPages(const DetailSpec& spec, const DataOrigin& data);

    const DetailSpec& spec() const { return spec_; }

    // The sheets and the columns that may draw a "not in the report"
    // notice (the group column and detail fields left out).
    DataFileSummary summary() const;
    std::int64_t orderCount() const { return std::int64_t(orders_.size()); }
    // The first sheet (0-based) of order (0-based; orderCount() gives the
    // sheet count).
    std::int64_t firstSheetOf(std::int64_t order) const;
    // "A1 2/3": the order's label, the sheet within it and its sheet count.
    // Reads the order again when it is not the last one read.
    std::string sheetName(std::int64_t sheet);
    // The field records of sheet (0-based), line breaks as break markers.
    std::vector<DataField> sheetFields(std::int64_t sheet);

private:
    // Kept for every order: a few bytes, so that a file of many orders
    // takes little memory.
    struct OrderSize {
        std::uint32_t items = 0;
        std::uint32_t sheets = 0;
    };
    // Kept for every kOrdersPerMark-th order.
    struct OrderMark {
        DataFilePosition at;
        std::int64_t firstSheet = 0;
    };
    static constexpr std::size_t kOrdersPerMark = 64;

    // The order (0-based) that sheet belongs to, and the order's first sheet.
    std::pair<std::size_t, std::int64_t> orderOf(std::int64_t sheet) const;
    // Reads order index and makes its sheets and name, unless it is the
    // last one read: on from the last one read when it follows it, else on
    // from the mark before it.
    void readOrder(std::size_t index);

    DetailSpec spec_;
    DataOrigin data_;
    bool detailed_ = false;
    std::vector<OrderSize> orders_;
    std::vector<OrderMark> marks_;
    std::int64_t sheetCount_ = 0;
    std::vector<std::string> columns_;
    std::unique_ptr<DetailOrderReader> reader_;  // for writing, opened when first wanted
    std::optional<std::size_t> cachedOrder_;
    std::vector<std::vector<DataField>> cachedSheets_;
    std::string cachedLabel_;  // UTF-8
};

}  // namespace zarvo
