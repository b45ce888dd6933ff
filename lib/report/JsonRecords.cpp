#include "report/JsonRecords.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace zarvo {

namespace {

using Json = nlohmann::json;

bool isJsonSpace(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Turns the parser's events for one object into a record; throws
// ReportError for what a record may not hold.
class RecordBuilder final : public nlohmann::json_sax<Json> {
public:
    struct Columns {
        ColumnNames& names;
        std::vector<std::int64_t>& lastObject;
        std::int64_t object;  // the serial number of this object
    };

    RecordBuilder(const std::string& path, const JsonRecords::ObjectText& object, std::int64_t number,
                  Columns columns, const std::string& itemMember)
        : path_(path), object_(object), columns_(columns), itemMember_(itemMember) {
        record_.number = number;
    }

    DataRecord take() { return std::move(record_); }

    bool null() override { return value(std::nullopt); }
    bool boolean(bool value) override { return this->value(value ? "true" : "false"); }
    // The lexer reads a number without a minus sign as unsigned, so a signed
    // zero was written "-0".
    bool number_integer(number_integer_t value) override {
        return this->value(value == 0 ? "-0" : std::to_string(value));
    }
    bool number_unsigned(number_unsigned_t value) override { return this->value(std::to_string(value)); }
    bool number_float(number_float_t, const string_t& text) override { return value(text); }
    bool string(string_t& text) override {
        if (text.empty()) return value(std::nullopt);
        const std::string place =
            depth_ == 2 ? itemPlace() + "欄位「" + itemKey_ + "」" : valuePlace(record_.number, key_);
        return value(big5Of(text, place));
    }
    bool binary(binary_t&) override { return value(std::nullopt); }  // not in JSON text

    bool start_object(std::size_t) override {
        if (depth_ == 1 && inItems_) {
            record_.items.emplace_back();
            itemKeys_.clear();
        } else if (depth_ > 0) {
            throw nested();
        }
        ++depth_;
        return true;
    }
    bool end_object() override {
        --depth_;
        return true;
    }
    bool start_array(std::size_t) override {
        if (depth_ == 1 && itemsNext_ && !inItems_) {
            inItems_ = true;
            record_.hasItems = true;
            return true;
        }
        throw depth_ == 0 ? notAnObject() : nested();
    }
    bool end_array() override {
        inItems_ = false;
        itemsNext_ = false;
        return true;
    }

    bool key(string_t& name) override {
        if (depth_ == 2) return itemKey(name);
        itemsNext_ = !itemMember_.empty() && name == itemMember_;
        if (itemsNext_) {
            key_ = name;
            return true;
        }
        const std::string big5 = big5Name(name, path_, object_.line);
        column_ = columns_.names.add(big5, path_, object_.line);
        if (column_ >= columns_.lastObject.size()) columns_.lastObject.resize(column_ + 1, 0);
        if (columns_.lastObject[column_] == columns_.object) {
            throw lineError(path_, object_.line, "欄位「" + name + "」重複");
        }
        columns_.lastObject[column_] = columns_.object;
        key_ = name;
        return true;
    }

    bool parse_error(std::size_t at, const std::string& token,
                     const nlohmann::detail::exception& error) override {
        // The parser's id for a number beyond double precision; every other
        // error is one of syntax.
        constexpr int kNumberOverflow = 406;
        // at counts the characters read, the offending one (or the end) last.
        const std::string_view before = std::string_view(object_.text).substr(0, at == 0 ? 0 : at - 1);
        const auto line = object_.line + std::count(before.begin(), before.end(), '\n');
        throw lineError(path_, line,
                        error.id == kNumberOverflow ? "數字「" + token + "」超出範圍" : "JSON 格式錯誤");
    }

private:
    bool value(std::optional<std::string> text) {
        if (depth_ == 0) throw notAnObject();
        if (depth_ == 2) return itemValue(std::move(text));
        if (inItems_) throw lineError(path_, object_.nestedLine, "欄位「" + key_ + "」必須是物件的陣列");
        if (itemsNext_) {
            // A member named like the items that holds no array: null says
            // "no items", anything else cannot be read as items.
            itemsNext_ = false;
            if (text) throw lineError(path_, object_.line, "欄位「" + key_ + "」必須是物件的陣列");
            return true;
        }
        if (text) record_.fields.push_back({columns_.names.names()[column_], std::move(*text)});
        return true;
    }
    // A key of an item object: no column of the file, but Big5 and once.
    bool itemKey(const string_t& name) {
        itemKey_ = name;
        if (std::find(itemKeys_.begin(), itemKeys_.end(), name) != itemKeys_.end()) {
            throw lineError(path_, object_.line, itemPlace() + "欄位「" + name + "」重複");
        }
        itemKeys_.push_back(name);
        return true;
    }
    bool itemValue(std::optional<std::string> text) {
        if (!text) return true;
        const std::string place = itemPlace() + "欄位「" + itemKey_ + "」";
        record_.items.back().push_back({big5Of(itemKey_, place), std::move(*text)});
        return true;
    }
    std::string itemPlace() const {
        return "第 " + std::to_string(record_.number) + " 筆資料「" + key_ + "」的第 " +
               std::to_string(record_.items.size()) + " 項, ";
    }
    ReportError nested() const {
        return lineError(path_, object_.nestedLine, "欄位「" + key_ + "」的值不可以是陣列或物件");
    }
    ReportError notAnObject() const { return lineError(path_, object_.line, "這一行不是 JSON 物件"); }

    const std::string& path_;
    const JsonRecords::ObjectText& object_;
    Columns columns_;
    DataRecord record_;
    int depth_ = 0;
    std::size_t column_ = 0;
    std::string key_;  // UTF-8
    const std::string& itemMember_;
    bool itemsNext_ = false;  // the key just read names the items
    bool inItems_ = false;    // within the items' array
    std::string itemKey_;     // UTF-8
    std::vector<std::string> itemKeys_;  // the keys of the item being read
};

}  // namespace

JsonRecords::JsonRecords(const std::string& path, bool lines, std::string itemMember)
    : input_(ByteStream::openDataFile(path)), lines_(lines), itemMember_(std::move(itemMember)) {
    const ByteOrderMark mark = readByteOrderMark(input_);
    if (mark == ByteOrderMark::Utf16Le || mark == ByteOrderMark::Utf16Be) {
        throw lineError(path, line_, "JSON 資料檔必須是 UTF-8");
    }
    if (lines_) return;
    skipWhitespace();
    if (input_.get() != '[') throw lineError(path, line_, "JSON 資料檔的最外層必須是物件的陣列");
    toNextElement(true);
}

void JsonRecords::skipWhitespace() {
    while (isJsonSpace(input_.peek())) {
        if (input_.get() == '\n') ++line_;
    }
}

// Moves past the array's separators to the next element, which must be an
// object, or past the closing bracket; first: right after the opening one.
void JsonRecords::toNextElement(bool first) {
    skipWhitespace();
    int c = input_.peek();
    if (c == ']') {
        input_.get();
        skipWhitespace();
        if (input_.peek() >= 0) throw lineError(input_.path(), line_, "陣列結束後還有其他內容");
        ended_ = true;
        return;
    }
    if (c < 0) throw lineError(input_.path(), line_, "陣列沒有結束");
    if (!first) {
        if (c != ',') throw lineError(input_.path(), line_, "陣列的元素之間應該是逗號");
        input_.get();
        skipWhitespace();
        c = input_.peek();
    }
    if (c != '{') throw lineError(input_.path(), line_, c < 0 ? "陣列沒有結束" : "陣列的元素必須是物件");
}

// The object that starts at the next byte, cut out by following strings,
// escapes and nesting so that only its text is held.
JsonRecords::ObjectText JsonRecords::cutObject() {
    ObjectText object{{}, line_, line_};
    bool nested = false;
    bool inString = false;
    bool escaped = false;
    int depth = 0;
    do {
        const int c = input_.get();
        if (c < 0) throw lineError(input_.path(), object.line, "物件沒有結束");
        if (object.text.size() == kMaxRecordBytes) throw recordTooLarge(input_.path(), object.line);
        object.text += static_cast<char>(c);
        if (c == '\n') ++line_;
        if (escaped) {
            escaped = false;
        } else if (inString) {
            escaped = c == '\\';
            inString = c != '"';
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            if (++depth == 2 && !nested) {
                object.nestedLine = line_;
                nested = true;
            }
        } else if (c == '}' || c == ']') {
            --depth;
        }
    } while (depth > 0);
    return object;
}

// The next line that is not blank, nullopt at the end of the file.
std::optional<JsonRecords::ObjectText> JsonRecords::nextLine() {
    while (input_.peek() >= 0) {
        ObjectText object{{}, line_, line_};
        for (int c = input_.get(); c >= 0 && c != '\n'; c = input_.get()) {
            if (object.text.size() == kMaxRecordBytes) throw recordTooLarge(input_.path(), object.line);
            object.text += static_cast<char>(c);
        }
        ++line_;
        if (!std::all_of(object.text.begin(), object.text.end(), isJsonSpace)) return object;
    }
    return std::nullopt;
}

DataRecord JsonRecords::parse(const ObjectText& object) {
    RecordBuilder builder(input_.path(), object, number_, {columns_, lastObject_, ++objectsParsed_}, itemMember_);
    Json::sax_parse(object.text, &builder);
    ++number_;
    return builder.take();
}

std::optional<DataRecord> JsonRecords::next() {
    if (lines_) {
        const std::optional<ObjectText> object = nextLine();
        if (!object) return std::nullopt;
        return parse(*object);
    }
    if (ended_) return std::nullopt;
    DataRecord record = parse(cutObject());
    toNextElement(false);
    return record;
}

void JsonRecords::seek(const DataFilePosition& position) {
    input_.seek(position.offset);
    line_ = position.line;
    number_ = position.number;
    // Between records an array's reader stands at an object; only at the end
    // of the file is there none.
    ended_ = !lines_ && input_.peek() < 0;
}

}  // namespace zarvo
