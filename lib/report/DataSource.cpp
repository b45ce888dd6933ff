#include "report/DataSource.h"

#include <cstdio>

#include "report/Big5.h"

namespace zarvo {

namespace {

// "U+0283": four hex digits or more, upper case.
std::string codePointName(char32_t point) {
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(point));
    return text;
}

}  // namespace

std::string linePlace(const std::string& path, std::int64_t line) {
    return "資料檔 " + path + " 第 " + std::to_string(line) + " 行";
}

ReportError lineError(const std::string& path, std::int64_t line, std::string_view what) {
    return ReportError(linePlace(path, line) + ": " + std::string(what));
}

std::string valuePlace(std::int64_t number, std::string_view name) {
    return "第 " + std::to_string(number) + " 筆資料, 欄位「" + std::string(name) + "」";
}

std::string big5Of(std::string_view utf8, std::string_view place) {
    const std::optional<std::u32string> text = utf8Decode(utf8);
    if (!text) throw ReportError(std::string(place) + ": 不是有效的 UTF-8");
    Big5Encoded encoded = big5Encode(*text);
    if (encoded.ok()) return std::move(encoded.bytes);
    const char32_t bad = (*text)[*encoded.badIndex];
    throw ReportError(std::string(place) + ": Big5 無法表示的字元「" +
                      utf8Encode(std::u32string_view(&bad, 1)) + "」(" + codePointName(bad) + ")");
}

std::string big5Name(std::string_view utf8, const std::string& path, std::int64_t line) {
    return big5Of(utf8, linePlace(path, line) + ", 欄位名稱「" + std::string(utf8) + "」");
}

ReportError recordTooLarge(const std::string& path, std::int64_t line) {
    return lineError(path, line, "這一筆資料超過 " + std::to_string(kMaxRecordBytes >> 20) + " MiB");
}

std::size_t ColumnNames::add(const std::string& name, const std::string& path, std::int64_t line) {
    if (const auto found = indices_.find(name); found != indices_.end()) return found->second;
    if (name.empty()) throw lineError(path, line, "欄位名稱是空的");
    if (name.size() > kMaxNameBytes) {
        throw lineError(path, line, "欄位名稱超過 " + std::to_string(kMaxNameBytes) + " 位元組");
    }
    if (names_.size() == kMaxColumns) {
        throw lineError(path, line, "欄位超過 " + std::to_string(kMaxColumns) + " 個");
    }
    indices_.emplace(name, names_.size());
    names_.push_back(name);
    return names_.size() - 1;
}

}  // namespace zarvo
