#include "compose/DetailPages.h"

#include <algorithm>

#include "detail/DetailSheets.h"
#include "engine/FormProfileFile.h"
#include "engine/XPrint.h"
#include "report/ReportError.h"

namespace zarvo {

std::unique_ptr<DetailPages> DetailPages::open(const XPrint& engine, const DataOrigin& data) {
    const std::optional<DetailSpec> spec = detailSpecOf(*engine.profile);
    if (!spec) return nullptr;
    const std::vector<std::string> missing = missingDetailBlocks(*spec, engine.blockNames());
    if (!missing.empty()) throw ReportError(missingDetailBlocksMessage(missing));
    auto pages = std::make_unique<DetailPages>(*spec, data);
    if (!pages->detailed_) return nullptr;
    return pages;
}

DetailPages::DetailPages(const DetailSpec& spec, const DataOrigin& data) : spec_(spec), data_(data) {
    DetailOrderReader reader(spec_, data_);
    std::int64_t sheets = 0;
    for (;;) {
        const DataFilePosition at = reader.position();
        const std::optional<DetailOrder> order = reader.next();
        if (!order) break;
        if (orders_.size() % kOrdersPerMark == 0) marks_.push_back({at, sheets});
        // Expanding checks the sums, so that a bad value stops everything
        // before the first page.
        const std::size_t count = detailSheets(spec_, *order).size();
        orders_.push_back({std::uint32_t(order->items.size()), std::uint32_t(count)});
        sheets += std::int64_t(count);
    }
    orders_.shrink_to_fit();
    marks_.shrink_to_fit();
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
    const std::size_t index = std::size_t(order);
    std::int64_t first = marks_[index / kOrdersPerMark].firstSheet;
    for (std::size_t i = index - index % kOrdersPerMark; i < index; ++i) first += orders_[i].sheets;
    return first;
}

std::pair<std::size_t, std::int64_t> DetailPages::orderOf(std::int64_t sheet) const {
    if (sheet < 0 || sheet >= summary().records) {
        throw ReportError(dataPlaceOf(data_) + " 沒有第 " + std::to_string(sheet + 1) + " 頁");
    }
    const auto after = std::upper_bound(marks_.begin(), marks_.end(), sheet,
                                        [](std::int64_t s, const OrderMark& m) { return s < m.firstSheet; });
    std::size_t index = std::size_t(after - marks_.begin() - 1) * kOrdersPerMark;
    std::int64_t first = (after - 1)->firstSheet;
    while (first + orders_[index].sheets <= sheet) first += orders_[index++].sheets;
    return {index, first};
}

std::string DetailPages::sheetName(std::int64_t sheet) {
    const auto [index, first] = orderOf(sheet);
    readOrder(index);
    return detailSheetName(cachedLabel_, sheet - first + 1, std::int64_t(cachedSheets_.size()));
}

std::vector<DataField> DetailPages::sheetFields(std::int64_t sheet) {
    const auto [index, first] = orderOf(sheet);
    readOrder(index);
    DataRecord record;
    record.fields = cachedSheets_.at(std::size_t(sheet - first));
    return fieldsOf(record);
}

void DetailPages::readOrder(std::size_t index) {
    if (cachedOrder_ == index) return;
    const bool following = reader_ && cachedOrder_ && *cachedOrder_ + 1 == index;
    if (!reader_) reader_ = std::make_unique<DetailOrderReader>(spec_, data_);
    if (!following) {
        const std::size_t marked = index - index % kOrdersPerMark;
        reader_->seek(marks_[index / kOrdersPerMark].at, std::int64_t(marked) + 1);
        for (std::size_t skipped = marked; skipped < index; ++skipped) reader_->next();
    }
    // The cache no longer matches the reader's place until this order is made.
    cachedOrder_.reset();
    const std::optional<DetailOrder> order = reader_->next();
    if (!order || order->items.size() != orders_[index].items) {
        throw ReportError(dataPlaceOf(data_) + " 在檢查之後被改變了");
    }
    cachedSheets_ = detailSheets(spec_, *order);
    cachedLabel_ = orderLabel(*order);
    cachedOrder_ = index;
}

}  // namespace zarvo
