#include "detail/DetailOrders.h"

#include <algorithm>

#include "report/Big5.h"
#include "report/ReportError.h"

namespace zarvo {

namespace {

const DataField* fieldNamed(const std::vector<DataField>& fields, std::string_view name) {
    const auto found = std::find_if(fields.begin(), fields.end(), [&](const DataField& f) { return f.name == name; });
    return found == fields.end() ? nullptr : &*found;
}

}  // namespace

bool needsGroupColumn(const DetailSpec& spec, const std::vector<std::string>& columns) {
    return spec.group.empty() && std::any_of(columns.begin(), columns.end(), [&spec](const std::string& column) {
               return std::find(spec.fields.begin(), spec.fields.end(), column) != spec.fields.end();
           });
}

DetailOrderReader::DetailOrderReader(const DetailSpec& spec, const DataOrigin& origin)
    : spec_(spec),
      place_(dataPlaceOf(origin)),
      csv_(origin.open ? origin.itemRows : dataFormatOf(origin.path) == DataFormat::Csv),
      reader_(origin, spec.source) {
    if (!csv_) return;
    const std::vector<std::string>& header = reader_.columns();
    detailed_ = std::any_of(header.begin(), header.end(), [&](const std::string& c) { return isDetailField(c); });
    if (needsGroupColumn(spec_, header)) {
        throw ReportError(place_ + " 有明細欄位, 但表單設定檔的 [Detail] 沒有 group, "
                          "無法知道哪些資料屬於同一筆訂單");
    }
    if (detailed_ && std::find(header.begin(), header.end(), spec_.group) == header.end()) {
        throw ReportError(place_ + " 沒有 [Detail] 的 group 欄位「" + big5ToUtf8(spec_.group) + "」");
    }
}

bool DetailOrderReader::isDetailField(const std::string& name) const {
    return std::find(spec_.fields.begin(), spec_.fields.end(), name) != spec_.fields.end();
}

std::optional<DataRecord> DetailOrderReader::nextRecord() {
    if (pending_) {
        std::optional<DataRecord> record = std::move(pending_);
        pending_.reset();
        return record;
    }
    return reader_.next();
}

const std::string* DetailOrderReader::groupOf(const DataRecord& record) const {
    const DataField* field = fieldNamed(record.fields, spec_.group);
    if (!field) {
        throw ReportError(place_ + " 第 " + std::to_string(record.number) + " 筆資料沒有「" +
                          big5ToUtf8(spec_.group) + "」, 無法知道屬於哪一筆訂單");
    }
    return &field->value;
}

// Adds a CSV record to order: its detail fields as one item (none when it
// has no detail value), its other fields checked against the first record's.
void DetailOrderReader::addRecord(DetailOrder& order, std::int64_t firstRecord, const DataRecord& record) const {
    std::vector<DataField> item;
    for (const DataField& field : record.fields) {
        if (isDetailField(field.name)) {
            item.push_back(field);
            continue;
        }
        const DataField* first = fieldNamed(order.fields, field.name);
        if (first && first->value == field.value) continue;
        throw ReportError(place_ + " 第 " + std::to_string(firstRecord) + " 筆與第 " +
                          std::to_string(record.number) + " 筆資料屬於同一筆訂單, 欄位「" +
                          big5ToUtf8(field.name) + "」卻不同:「" + (first ? big5ToUtf8(first->value) : "") +
                          "」與「" + big5ToUtf8(field.value) + "」");
    }
    if (!item.empty()) order.items.push_back(std::move(item));
}

std::optional<DetailOrder> DetailOrderReader::next() {
    std::optional<DataRecord> record = nextRecord();
    if (!record) return std::nullopt;
    DetailOrder order;
    order.number = number_++;
    if (!csv_ || !detailed_) {
        detailed_ = detailed_ || record->hasItems;
        order.fields = std::move(record->fields);
        order.items = std::move(record->items);
        return order;
    }
    const std::string group = *groupOf(*record);
    const std::int64_t firstRecord = record->number;
    for (const DataField& field : record->fields) {
        if (!isDetailField(field.name)) order.fields.push_back(field);
    }
    addRecord(order, firstRecord, *record);
    for (;;) {
        const DataFilePosition at = reader_.position();
        std::optional<DataRecord> following = reader_.next();
        if (!following) break;
        if (*groupOf(*following) != group) {
            pending_ = std::move(following);
            pendingAt_ = at;
            break;
        }
        addRecord(order, firstRecord, *following);
    }
    return order;
}

DataFilePosition DetailOrderReader::position() const { return pending_ ? pendingAt_ : reader_.position(); }

void DetailOrderReader::seek(const DataFilePosition& position, std::int64_t number) {
    pending_.reset();
    reader_.seek(position);
    number_ = number;
}

}  // namespace zarvo
