#include "compose/DataPages.h"

#include <algorithm>

#include "engine/BlockStyle.h"
#include "engine/PageFileName.h"
#include "engine/XPrint.h"
#include "picture/PictureFile.h"
#include "platform/os/PrivateFile.h"
#include "compose/DetailPages.h"
#include "compose/PageComposer.h"
#include "report/Big5.h"
#include "report/DataFile.h"
#include "report/PageDataFile.h"
#include "report/ReportError.h"

namespace zarvo {

DataPages::DataPages(const std::string& reportPath, const DataOrigin& data) : reportPath_(reportPath), data_(data) {
    // The block table lies after the lines and captions; nothing is drawn
    // without a surface.
    XPrint engine(reportPath);
    drawForm(engine);
    detail_ = DetailPages::open(engine, data_);
    const DataFileSummary summary = detail_ ? detail_->summary() : checkDataFile(data_);
    recordCount_ = summary.records;
    for (const std::string& column : summary.columns) {
        if (engine.findBlock(column)) {
            blocks_.push_back(column);
        } else {
            unmatched_.push_back(big5ToUtf8(column));
        }
    }
    // The form's own pictures are on every page: one that cannot be drawn
    // stops the whole file.
    const std::string fixedFault =
        fixedPictureFault(*engine.profile, engine.blockNames(), PictureFolders{folderOf(reportPath), {}});
    if (!fixedFault.empty()) throw ReportError(fixedFault);
    checkValues(*engine.profile);
    // A sheet of an order fills blocks no column names (the detail rows,
    // the page numbers, the sums) and takes the group column's value too.
    if (detail_) blocks_ = engine.blockNames();
}

void DataPages::checkValues(const FormProfile& profile) const {
    const PictureFolders folders{folderOf(reportPath_), pictureFolder()};
    // Only the columns of blocks with a section can hold a value that
    // cannot be drawn: without one the file is not read again.
    std::vector<std::string> checked;
    for (const std::string& block : blocks_) {
        if (profile.block(block)) checked.push_back(block);
    }
    if (checked.empty()) return;
    // An order's items are its detail member, not a value of its own.
    const auto reader = detail_ ? std::make_unique<DataFileReader>(data_, detail_->spec().source)
                                : std::make_unique<DataFileReader>(data_);
    while (std::optional<DataRecord> record = reader->next()) {
        for (const DataField& field : fieldsOf(*record)) {
            if (std::find(checked.begin(), checked.end(), field.name) == checked.end()) continue;
            const std::string fault = blockValueFault(profile, field.name, field.value, folders);
            if (!fault.empty()) throw ReportError("第 " + std::to_string(record->number) + " 筆資料, " + fault);
        }
    }
}

DataPages::~DataPages() = default;

// A value names a picture beside its data file; rows from a database have
// no folder of their own and name them beside the report.
std::string DataPages::pictureFolder() const { return folderOf(data_.open ? reportPath_ : data_.path); }

void DataPages::writePage(const std::string& stem, int page, std::int64_t record) {
    std::string text = formatPageHeader(reportPath_);
    for (const DataField& field : pageFields(record)) text += formatFieldRecord(field.name, 0, 0, field.value);
    writePrivateFile(pageFileNameForWriting(stem, page), text, WriteMode::Truncate);
}

std::vector<DataField> DataPages::pageFields(std::int64_t record) {
    std::vector<DataField> fields = detail_ ? detail_->sheetFields(record) : recordFields(record);
    std::erase_if(fields, [this](const DataField& field) {
        return std::find(blocks_.begin(), blocks_.end(), field.name) == blocks_.end();
    });
    return fields;
}

std::vector<DataField> DataPages::recordFields(std::int64_t record) {
    if (!reader_ || record < nextRecord_) {
        reader_ = std::make_unique<DataFileReader>(data_);
        nextRecord_ = 0;
    }
    std::optional<DataRecord> found;
    while (nextRecord_ <= record) {
        found = reader_->next();
        if (!found) throw ReportError(dataPlaceOf(data_) + " 沒有第 " + std::to_string(record + 1) + " 筆資料");
        ++nextRecord_;
    }
    return fieldsOf(*found);
}

std::int64_t DataPages::orderCount() const { return detail_ ? detail_->orderCount() : recordCount_; }

std::int64_t DataPages::firstPageOf(std::int64_t order) const {
    return detail_ ? detail_->firstSheetOf(order) : order;
}

std::string DataPages::pageName(std::int64_t page) {
    return detail_ ? detail_->sheetName(page) : std::to_string(page + 1);
}

std::string unmatchedColumnsMessage(const std::vector<std::string>& names) {
    std::string joined;
    for (const std::string& name : names) joined += (joined.empty() ? "" : ", ") + name;
    return "資料檔的欄位 " + joined + " 在報表中不存在";
}

}  // namespace zarvo
