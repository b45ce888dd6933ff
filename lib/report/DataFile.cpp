#include "report/DataFile.h"

#include <filesystem>
#include <string_view>

#include "report/CsvRecords.h"
#include "report/JsonRecords.h"
#include "report/ReportError.h"

namespace zarvo {

namespace {

std::string asciiLower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

std::unique_ptr<DataRecordSource> openSource(const DataOrigin& origin, const std::string& itemMember = {}) {
    if (origin.open) return origin.open();
    const std::string& path = origin.path;
    const DataFormat format = dataFormatOf(path);
    if (format == DataFormat::Csv) return std::make_unique<CsvRecords>(path);
    return std::make_unique<JsonRecords>(path, format == DataFormat::JsonLines, itemMember);
}

// Drops one line break (CR LF, LF or CR) at the end of text.
std::string_view withoutFinalBreak(std::string_view text) {
    if (text.ends_with("\r\n")) return text.substr(0, text.size() - 2);
    if (text.ends_with('\n') || text.ends_with('\r')) return text.substr(0, text.size() - 1);
    return text;
}

// text with each line break as the break marker; Big5 trail bytes are never
// CR or LF, so the bytes can be scanned one by one.
std::string withBreakMarkers(std::string_view text) {
    std::string marked;
    marked.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            marked += "~~";
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            marked += text[i];
        }
    }
    return marked;
}

}  // namespace

DataFormat dataFormatOf(const std::string& path) {
    const std::string extension = asciiLower(std::filesystem::path(path).extension().string());
    if (extension == ".csv") return DataFormat::Csv;
    if (extension == ".json") return DataFormat::Json;
    if (extension == ".jsonl") return DataFormat::JsonLines;
    throw ReportError("資料檔 " + path + " 的副檔名必須是 .csv、.json 或 .jsonl");
}

std::string dataPlaceOf(const DataOrigin& origin) {
    return origin.open ? origin.path : "資料檔 " + origin.path;
}

DataFileReader::DataFileReader(const DataOrigin& origin) : source_(openSource(origin)) {}

DataFileReader::DataFileReader(const DataOrigin& origin, const std::string& itemMember)
    : source_(openSource(origin, itemMember)) {}

DataFileReader::~DataFileReader() = default;

const std::vector<std::string>& DataFileReader::columns() const { return source_->columns(); }

std::optional<DataRecord> DataFileReader::next() { return source_->next(); }

DataFilePosition DataFileReader::position() const { return source_->position(); }

void DataFileReader::seek(const DataFilePosition& position) { source_->seek(position); }

DataFileSummary checkDataFile(const DataOrigin& origin) {
    DataFileReader reader(origin);
    DataFileSummary summary;
    while (reader.next()) ++summary.records;
    summary.columns = reader.columns();
    return summary;
}

std::vector<DataField> fieldsOf(const DataRecord& record) {
    std::vector<DataField> fields;
    for (const DataField& field : record.fields) {
        std::string text = withBreakMarkers(withoutFinalBreak(field.value));
        if (!text.empty()) fields.push_back({field.name, std::move(text)});
    }
    return fields;
}

}  // namespace zarvo
