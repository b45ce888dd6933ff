// Reading CSV and JSON data files into records.

#include "report/DataFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "report/ReportError.h"
#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

using test::TempDir;
using Fields = std::vector<DataField>;

// Big5 bytes of the names and values the cases use.
const std::string kCustomer = "\xab\xc8\xa4\xe1";        // 客戶
const std::string kAddress = "\xa6\x61\xa7\x7d";         // 地址
const std::string kTaipei = "\xa5\x78\xa5\x5f\xa5\xab";  // 台北市

std::vector<Fields> readAll(DataFileReader& reader) {
    std::vector<Fields> records;
    while (auto record = reader.next()) {
        EXPECT_EQ(record->number, static_cast<std::int64_t>(records.size()) + 1);
        records.push_back(record->fields);
    }
    return records;
}

// The message of the error that reading the whole file raises; "" for none.
std::string errorOf(const std::string& path) {
    try {
        checkDataFile(path);
    } catch (const ReportError& error) {
        return error.what();
    }
    return "";
}

struct ReadCase {
    const char* name;
    const char* file;
    std::string bytes;
    std::vector<Fields> records;
};

void PrintTo(const ReadCase& c, std::ostream* out) { *out << c.name; }

class DataFileRecords : public ::testing::TestWithParam<ReadCase> {};

TEST_P(DataFileRecords, ReadsEveryValueAsWritten) {
    TempDir dir;
    DataFileReader reader(dir.write(GetParam().file, GetParam().bytes));
    EXPECT_EQ(readAll(reader), GetParam().records);
}

INSTANTIATE_TEST_SUITE_P(
    Csv, DataFileRecords,
    ::testing::Values(
        ReadCase{"QuotesCommasAndBreaks", "a.csv",
                 "a,b\r\n\"x,y\",\"say \"\"hi\"\"\"\r\n\"1\r\n2\",\"3\n4\r5\"\r\n",
                 {{{"a", "x,y"}, {"b", "say \"hi\""}}, {{"a", "1\r\n2"}, {"b", "3\n4\r5"}}}},
        ReadCase{"BlankLinesMissingAndEmptyCells", "a.csv", "a,b,c\n\n1\r\n\r\n,,3\n,\n",
                 {{{"a", "1"}}, {{"c", "3"}}, {}}},
        ReadCase{"BlanksAndStrayQuotesKept", "a.csv", "a,b\n  x ,5\"\n\" y\",",
                 {{{"a", "  x "}, {"b", "5\""}}, {{"a", " y"}}}},
        ReadCase{"LoneCrEndsRows", "a.csv", "a,b\r1,2\r3\r", {{{"a", "1"}, {"b", "2"}}, {{"a", "3"}}}},
        ReadCase{"Utf8", "a.csv", "客戶,地址\n中,台北市\n", {{{kCustomer, "\xa4\xa4"}, {kAddress, kTaipei}}}},
        ReadCase{"Utf8WithMark", "a.csv", "\xef\xbb\xbf客戶\n台北市\n", {{{kCustomer, kTaipei}}}},
        ReadCase{"Utf16LittleEndian", "a.csv", std::string("\xff\xfe\xa2\x5b\x36\x62\n\0\x30\0\n\0", 12),
                 {{{kCustomer, "0"}}}},
        ReadCase{"Utf16BigEndian", "a.csv", std::string("\xfe\xff\x5b\xa2\x62\x36\0\n\0\x30\0\n", 12),
                 {{{kCustomer, "0"}}}},
        ReadCase{"Big5WhenNotUtf8", "a.csv", kCustomer + "\n" + kTaipei + "\xff\n",
                 {{{kCustomer, kTaipei + "\xff"}}}},
        ReadCase{"HeaderOnly", "a.csv", "a,b\r\n", {}}, ReadCase{"Empty", "a.csv", "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Json, DataFileRecords,
    ::testing::Values(
        ReadCase{"NumbersAsWritten", "a.json",
                 R"([{"a": 1.50, "b": -0, "c": 1e3, "d": -7, "e": 18446744073709551616, "f": 12}])",
                 {{{"a", "1.50"}, {"b", "-0"}, {"c", "1e3"}, {"d", "-7"}, {"e", "18446744073709551616"},
                   {"f", "12"}}}},
        ReadCase{"NullAndEmptyGiveNoField", "a.json",
                 "\xef\xbb\xbf [ {\"a\": null, \"b\": \"\", \"c\": true},\n{\"c\": false} ] \n",
                 {{{"c", "true"}}, {{"c", "false"}}}},
        ReadCase{"StringsToBig5", "a.json", R"([{"客戶": "台北市\r\n\"x\"", "b": "\u4e2d"}])",
                 {{{kCustomer, kTaipei + "\r\n\"x\""}, {"b", "\xa4\xa4"}}}},
        ReadCase{"EmptyArray", "a.json", " [ ] ", {}},
        ReadCase{"LinesSkipBlanks", "a.jsonl", "{\"a\": 0.10}\r\n\n  \n{\"b\": \"x\", \"a\": null}",
                 {{{"a", "0.10"}}, {{"b", "x"}}}}),
    [](const auto& info) { return std::string(info.param.name); });

struct ErrorCase {
    const char* name;
    const char* file;
    std::string bytes;
    std::string message;  // "@" stands for the file's path
};

void PrintTo(const ErrorCase& c, std::ostream* out) { *out << c.name; }

class DataFileErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(DataFileErrors, SayWhereTheFileIsDamaged) {
    TempDir dir;
    const std::string path = dir.write(GetParam().file, GetParam().bytes);
    std::string expected = GetParam().message;
    if (const auto at = expected.find('@'); at != std::string::npos) expected.replace(at, 1, path);
    EXPECT_EQ(errorOf(path), expected);
}

const std::string kUnencodable = "第 5 筆資料, 欄位「address」: Big5 無法表示的字元「ʃ」(U+0283)";

INSTANTIATE_TEST_SUITE_P(
    Csv, DataFileErrors,
    ::testing::Values(
        ErrorCase{"TooManyCells", "a.csv", "a,b\n1,2\n\n\"x\ny\",2,3\n", "資料檔 @ 第 4 行: 欄位比標題列的 2 個多"},
        ErrorCase{"UnclosedQuote", "a.csv", "a\n1\n\"open\n\n", "第 3 行開始的引號沒有結束"},
        ErrorCase{"TextAfterQuote", "a.csv", "a\n\"x\"y\n", "資料檔 @ 第 2 行: 引號結束後應該是逗號或行尾"},
        ErrorCase{"Unencodable", "a.csv", "name,address\n1\n2\n3\n4\n5,ʃ\n", kUnencodable},
        ErrorCase{"RepeatedName", "a.csv", "a,客戶,客戶\n", "資料檔 @ 第 1 行: 欄位名稱「客戶」重複"},
        ErrorCase{"EmptyName", "a.csv", "\n\na,,b\n", "資料檔 @ 第 3 行: 欄位名稱是空的"},
        ErrorCase{"OddUtf16", "a.csv", std::string("\xff\xfe\x61\0\n", 5), "資料檔 @ 第 1 行: UTF-16 的位元組數不是偶數"},
        ErrorCase{"LoneSurrogate", "a.csv", std::string("\xff\xfe\x61\0\n\0\x00\xdc", 8),
                  "資料檔 @ 第 2 行: UTF-16 的代理字元不成對"},
        ErrorCase{"HugeRecord", "a.csv", "a\n\"" + std::string((16 << 20) + 1, 'x') + "\"\n",
                  "資料檔 @ 第 2 行: 這一筆資料超過 16 MiB"},
        ErrorCase{"TooManyColumns", "a.csv", std::string(10000, ','), "資料檔 @ 第 1 行: 欄位超過 10000 個"},
        ErrorCase{"OtherExtension", "a.txt", "a\n1\n", "資料檔 @ 的副檔名必須是 .csv、.json 或 .jsonl"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Json, DataFileErrors,
    ::testing::Values(
        ErrorCase{"Unencodable", "a.json", R"([{}, {}, {}, {}, {"address": "\u0283"}])", kUnencodable},
        ErrorCase{"NestedValue", "a.json", "[{\"a\": 1,\n \"b\": {\"c\": 2}}]",
                  "資料檔 @ 第 2 行: 欄位「b」的值不可以是陣列或物件"},
        ErrorCase{"NestedArrayInLine", "a.jsonl", "{}\n{\"b\": [1]}\n", "資料檔 @ 第 2 行: 欄位「b」的值不可以是陣列或物件"},
        ErrorCase{"Malformed", "a.json", "[{\"a\": 1},\n {\"a\": \"x\n\"}]", "資料檔 @ 第 2 行: JSON 格式錯誤"},
        ErrorCase{"NumberOverflow", "a.jsonl", "{\"a\": 1e999}", "資料檔 @ 第 1 行: 數字「1e999」超出範圍"},
        ErrorCase{"NotAnArray", "a.json", "\n{\"a\": 1}", "資料檔 @ 第 2 行: JSON 資料檔的最外層必須是物件的陣列"},
        ErrorCase{"ElementNotAnObject", "a.json", "[{}, 3]", "資料檔 @ 第 1 行: 陣列的元素必須是物件"},
        ErrorCase{"TrailingComma", "a.json", "[{},\n]", "資料檔 @ 第 2 行: 陣列的元素必須是物件"},
        ErrorCase{"MissingComma", "a.json", "[{} {}]", "資料檔 @ 第 1 行: 陣列的元素之間應該是逗號"},
        ErrorCase{"UnendedArray", "a.json", "[{}, {}", "資料檔 @ 第 1 行: 陣列沒有結束"},
        ErrorCase{"UnendedObject", "a.json", "[\n{\"a\": \"}", "資料檔 @ 第 2 行: 物件沒有結束"},
        ErrorCase{"AfterTheArray", "a.json", "[]\n[]", "資料檔 @ 第 2 行: 陣列結束後還有其他內容"},
        ErrorCase{"LineNotAnObject", "a.jsonl", "{}\n\n\"x\"\n", "資料檔 @ 第 3 行: 這一行不是 JSON 物件"},
        ErrorCase{"RepeatedKey", "a.jsonl", "{\"a\": 1, \"a\": 2}", "資料檔 @ 第 1 行: 欄位「a」重複"},
        ErrorCase{"Utf16", "a.json", std::string("\xff\xfe[\0]\0", 6), "資料檔 @ 第 1 行: JSON 資料檔必須是 UTF-8"},
        ErrorCase{"HugeRecord", "a.jsonl", "{\"a\": \"" + std::string((16 << 20) + 1, 'x') + "\"}",
                  "資料檔 @ 第 1 行: 這一筆資料超過 16 MiB"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DataFileFormat, GoesByTheExtensionInAnyCase) {
    const std::pair<const char*, DataFormat> cases[] = {{"/d/x.CSV", DataFormat::Csv},
                                                        {"x.Json", DataFormat::Json},
                                                        {"a.b/x.JSONL", DataFormat::JsonLines}};
    for (const auto& [path, format] : cases) EXPECT_EQ(dataFormatOf(path), format) << path;
    for (const char* path : {"x.csv.txt", "csv", "x.js"}) {
        EXPECT_THROW(dataFormatOf(path), ReportError) << path;
    }
}

// Read twice and at length: a FIFO or a device is refused before it is opened.
TEST(DataFileFormat, OnlyARegularFileIsRead) {
    TempDir dir;
    const std::filesystem::path fifo = dir.path() / "orders.csv";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::filesystem::path zero = dir.path() / "zero.csv";
    std::filesystem::create_symlink("/dev/zero", zero);
    for (const std::filesystem::path& path : {fifo, zero}) {
        try {
            DataFileReader reader(path.string());
            ADD_FAILURE() << path << " was opened";
        } catch (const ReportError& error) {
            EXPECT_EQ(error.what(), "資料檔不是一般的檔案, 無法讀取: " + path.string());
        }
    }
}

TEST(DataFileFields, TurnLineBreaksIntoMarkers) {
    const std::pair<std::string, std::string> cases[] = {
        {"a\r\nb", "a~~b"}, {"a\nb\rc", "a~~b~~c"}, {"a\r\n", "a"},    {"a\n\n", "a~~"},
        {"a\r\r\n", "a~~"}, {"\r\n", ""},            {"  x\r", "  x"}, {"\n\n", "~~"}};
    for (const auto& [value, text] : cases) {
        const Fields fields = fieldsOf(DataRecord{1, {{"k", value}}});
        const Fields expected = text.empty() ? Fields{} : Fields{{"k", text}};
        EXPECT_EQ(fields, expected) << value;
    }
}

TEST(DataFileColumns, ListEveryNameOnceInOrderOfFirstUse) {
    TempDir dir;
    const std::pair<std::string, std::string> cases[] = {
        {dir.write("a.csv", "b,a,c\n1\n2\n3\n"), "b a c"},
        {dir.write("a.json", R"([{"b": null}, {"a": 1, "b": 2}, {"c": "", "a": 3}])"), "b a c"},
        {dir.write("a.jsonl", "{\"b\": 1}\n\n{\"a\": 2}\n{}\n"), "b a"},
    };
    for (const auto& [path, names] : cases) {
        const DataFileSummary summary = checkDataFile(path);
        std::string joined;
        for (const std::string& name : summary.columns) joined += (joined.empty() ? "" : " ") + name;
        EXPECT_EQ(joined, names) << path;
        EXPECT_EQ(summary.records, 3) << path;
    }
}

TEST(DataFilePositions, SeekingBackReadsTheSameRecord) {
    TempDir dir;
    const std::string paths[] = {
        dir.write("a.csv", "a,b\r\n1,\"x\r\ny\"\r\n\r\n2,3\r4\n"),
        dir.write("u.csv", std::string("\xff\xfe" "a\0\r\0\n\0" "1\0\r\0" "2\0", 14)),
        dir.write("a.json", "[\n{\"a\": 1},\n\n{\"a\": \"2\"},\n{\"a\": 3}]"),
        dir.write("a.jsonl", "{\"a\": 1}\n\n{\"a\": 2}\n"),
    };
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        DataFileReader reader(path);
        std::vector<std::pair<DataFilePosition, std::optional<DataRecord>>> seen;
        do {
            const DataFilePosition at = reader.position();
            seen.emplace_back(at, reader.next());
        } while (seen.back().second);
        for (auto it = seen.rbegin(); it != seen.rend(); ++it) {
            reader.seek(it->first);
            const std::optional<DataRecord> again = reader.next();
            ASSERT_EQ(again.has_value(), it->second.has_value());
            if (!again) continue;
            EXPECT_EQ(again->number, it->second->number);
            EXPECT_EQ(again->fields, it->second->fields);
        }
    }
}

}  // namespace
}  // namespace zarvo
