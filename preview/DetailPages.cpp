#include "preview/DetailPages.h"

#include <algorithm>

#include "detail/DetailSheets.h"
#include "engine/FormProfileFile.h"
#include "engine/XPrint.h"
#include "report/ReportError.h"

namespace zarvo {

std::unique_ptr<DetailPages> DetailPages::open(const XPrint& engine, const std::string& dataPath) {
    const std::optional<DetailSpec> spec = detailSpecOf(*engine.profile);
    if (!spec) return nullptr;
    const std::vector<std::string> missing = missingDetailBlocks(*spec, engine.blockNames());
    if (!missing.empty()) throw ReportError(missingDetailBlocksMessage(missing));
    auto pages = std::make_unique<DetailPages>(*spec, dataPath);
    if (!pages->detailed_) return nullptr;
    return pages;
}

DetailPages::DetailPages(const DetailSpec& spec, const std::string& dataPath) : spec_(spec), dataPath_(dataPath) {
    DetailOrderReader reader(spec_, dataPath_);
    std::int64_t sheets = 0;
    for (;;) {
        const DataFilePosition at = reader.position();
        const std::optional<DetailOrder> order = reader.next();
        if (!order) break;
        // Expanding checks the sums, so that a bad value stops everything
        // before the first page.
        const auto count = std::int64_t(detailSheets(spec_, *order).size());
        orders_.push_back({at, std::int64_t(order->items.size()), sheets});
        sheets += count;
    }
    // Each order's place is all that is kept of it: its name and sheets
    // are made again when one of its sheets is wanted.
    orders_.shrink_to_fit();
    sheetCount_ = sheets;
    detailed_ = reader.detailed();
    for (const std::string& column : reader.columns()) {
        const bool detail = std::find(spec_.fields.begin(), spec_.fields.end(), column) != spec_.fields.end();
        if (!detail && column != spec_.group) columns_.push_back(column);
    }
}

DataFileSummary DetailPages::summary() const {
    return {sheetCount_, columns_};
}

std::int64_t DetailPages::firstSheetOf(std::int64_t order) const {
    if (order >= orderCount()) return summary().records;
    return orders_[std::size_t(order)].firstSheet;
}

std::size_t DetailPages::orderOf(std::int64_t sheet) const {
    const auto after = std::upper_bound(orders_.begin(), orders_.end(), sheet,
                                        [](std::int64_t s, const OrderPlace& o) { return s < o.firstSheet; });
    if (after == orders_.begin() || sheet >= summary().records) {
        throw ReportError("資料檔 " + dataPath_ + " 沒有第 " + std::to_string(sheet + 1) + " 頁");
    }
    return std::size_t(after - orders_.begin() - 1);
}

std::string DetailPages::sheetName(std::int64_t sheet) {
    const std::size_t index = orderOf(sheet);
    readOrder(index);
    return detailSheetName(cachedLabel_, sheet - orders_[index].firstSheet + 1, std::int64_t(cachedSheets_.size()));
}

std::vector<DataField> DetailPages::sheetFields(std::int64_t sheet) {
    const std::size_t index = orderOf(sheet);
    readOrder(index);
    DataRecord record;
    record.fields = cachedSheets_.at(std::size_t(sheet - orders_[index].firstSheet));
    return fieldsOf(record);
}

void DetailPages::readOrder(std::size_t index) {
    if (cachedOrder_ != index) {
        if (!reader_) reader_ = std::make_unique<DetailOrderReader>(spec_, dataPath_);
        reader_->seek(orders_[index].at, std::int64_t(index) + 1);
        const std::optional<DetailOrder> order = reader_->next();
        if (!order || std::int64_t(order->items.size()) != orders_[index].items) {
            throw ReportError("資料檔 " + dataPath_ + " 在檢查之後被改變了");
        }
        cachedSheets_ = detailSheets(spec_, *order);
        cachedLabel_ = orderLabel(*order);
        cachedOrder_ = index;
    }
}

}  // namespace zarvo
