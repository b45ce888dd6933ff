#include "format/ValueFormat.h"

#include <gtest/gtest.h>

#include <string>

#include "report/Big5.h"

namespace zarvo {
namespace {

// The value (given in UTF-8) formatted by the keys: the text in UTF-8, or
// "error: " and the reason.
std::string formatted(const FormatKeys& keys, const std::string& value) {
    const ParsedValueFormat parsed = parseValueFormat(keys);
    if (!parsed.ok()) return "options: " + parsed.error;
    const FormattedValue result = formatValue(parsed.format, *utf8ToBig5(value));
    if (!result.ok()) return "error: " + result.error;
    EXPECT_LE(result.text.size(), kMaxFormattedBytes);
    return big5ToUtf8(result.text);
}

struct Case {
    const char* value;
    const char* expected;
};

void expectAll(const FormatKeys& keys, std::initializer_list<Case> cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(formatted(keys, c.value), c.expected);
    }
}

const FormatKeys kAmount = {{"format", "amount-tw"}};

TEST(ValueFormatTest, WritesAmountsInCapitals) {
    expectAll(kAmount, {
        {"0", "零元整"},
        {"7", "柒元整"},
        {"10", "壹拾元整"},
        {"105", "壹佰零伍元整"},
        {"1010", "壹仟零壹拾元整"},
        {"10000", "壹萬元整"},
        {"100001", "壹拾萬零壹元整"},
        {"100100", "壹拾萬零壹佰元整"},
        {"1000010", "壹佰萬零壹拾元整"},
        {"20000000", "貳仟萬元整"},
        {"10001000", "壹仟萬零壹仟元整"},
        {"100000005", "壹億零伍元整"},
        {"101000000", "壹億零壹佰萬元整"},
        {"1000000000000", "壹兆元整"},
        {"100000010000", "壹仟億零壹萬元整"},
        {"12345.67", "壹萬貳仟參佰肆拾伍元陸角柒分"},
        {"12,345.67", "壹萬貳仟參佰肆拾伍元陸角柒分"},
        {"12.05", "壹拾貳元零伍分"},
        {"12.50", "壹拾貳元伍角"},
        {"12.00", "壹拾貳元整"},
        {"0.67", "陸角柒分"},
        {"0.05", "伍分"},
        {"0.5", "伍角"},
        {"0.00", "零元整"},
        {"9,999,999,999,999,999.99", "玖仟玖佰玖拾玖兆玖仟玖佰玖拾玖億玖仟玖佰玖拾玖萬玖仟玖佰玖拾玖元玖角玖分"},
        {"", ""},
    });
    expectAll({{"format", "amount-tw"}, {"prefix", "新臺幣"}}, {{"1010", "新臺幣壹仟零壹拾元整"}, {"", ""}});
}

TEST(ValueFormatTest, RefusesValuesThatAreNotOfTheFormat) {
    expectAll(kAmount, {
        {"12a", "error: 「12a」不是金額"},
        {"12.345", "error: 「12.345」不是金額（最多兩位小數，到分為止）"},
        {"-5", "error: 「-5」不是金額（金額不可以是負數）"},
        {"+5", "error: 「+5」不是金額"},
        {"1e3", "error: 「1e3」不是金額"},
        {" 5", "error: 「 5」不是金額"},
        {"五", "error: 「五」不是金額"},
        {"10000000000000000", "error: 「10000000000000000」不是金額（上限是 9,999,999,999,999,999.99）"},
        {std::string(40, '1').append("2").c_str(), "error: 「11111111111111111111111111111111…」不是金額（上限是 9,999,999,999,999,999.99）"},
    });
    expectAll({{"format", "number"}}, {
        {"1,2", "error: 「1,2」不是數字"},
        {"1e3", "error: 「1e3」不是數字"},
        {"--1", "error: 「--1」不是數字"},
        {std::string(41, '9').c_str(), "error: 「99999999999999999999999999999999…」不是數字（最多 40 位數）"},
    });
    expectAll({{"format", "roc-date"}}, {
        {"2023-02-29", "error: 「2023-02-29」不是日期"},
        {"2024-13-01", "error: 「2024-13-01」不是日期"},
        {"2024-04-31", "error: 「2024-04-31」不是日期"},
        {"0000-01-01", "error: 「0000-01-01」不是日期"},
        {"2024/06/14", "error: 「2024/06/14」不是日期"},
        {"2024-6-14", "error: 「2024-6-14」不是日期"},
        {"113-06-14", "error: 「113-06-14」不是日期"},
    });
    expectAll({{"format", "roc-date"}, {"pattern", "{yyy}/{mm}/{dd}"}},
              {{"1911-12-31", "error: 「1911-12-31」早於民國元年，{yyy} 寫不出三位數的民國年"}});
    expectAll({{"cells", "3"}}, {{"1234", "error: 「1234」超過 3 格"}, {"123", "123"}});
    expectAll({{"format", "number"}, {"grouping", "yes"}, {"cells", "4"}},
              {{"1234", "error: 「1234」寫成「1,234」，超過 4 格"}, {"123", "123"}});
}

TEST(ValueFormatTest, RoundsAndGroupsNumbers) {
    expectAll({{"format", "number"}, {"decimals", "2"}, {"grouping", "yes"}}, {
        {"12345.678", "12,345.68"},
        {"0.125", "0.13"},
        {"2.675", "2.68"},
        {"-1234567.005", "-1,234,567.01"},
        {"-0.001", "0.00"},
        {"999.995", "1,000.00"},
        {"7", "7.00"},
        {"1,234", "1,234.00"},
    });
    expectAll({{"format", "number"}, {"decimals", "0"}}, {{"12,345.5", "12346"}, {"-0.5", "-1"}});
    expectAll({{"format", "number"}}, {{"0012,345.50", "error: 「0012,345.50」不是數字"}, {"0012345.50", "12345.50"}, {"1,234.5", "1234.5"}});
}

TEST(ValueFormatTest, WritesRocAndWesternDates) {
    expectAll({{"format", "roc-date"}}, {
        {"2024-06-14", "113年06月14日"},
        {"20240614", "113年06月14日"},
        {"1912-01-01", "1年01月01日"},
        {"1911-12-31", "前1年12月31日"},
        {"2024-02-29", "113年02月29日"},
        {"2000-02-29", "89年02月29日"},
    });
    expectAll({{"format", "roc-date"}, {"pattern", "民國{y}年{m}月{d}日"}}, {{"1911-12-31", "民國前1年12月31日"}, {"1900-03-05", "民國前12年3月5日"}});
    expectAll({{"format", "roc-date"}, {"pattern", "{yyy}.{mm}.{dd}"}}, {{"2000-01-02", "089.01.02"}, {"1912-01-01", "001.01.01"}});
    expectAll({{"format", "date"}}, {{"20240614", "2024-06-14"}, {"0999-12-31", "0999-12-31"}});
    expectAll({{"format", "date"}, {"pattern", "{d}/{m}/{yyyy}"}}, {{"2024-06-04", "4/6/2024"}});
    // In Big5 "{" and "}" are the second bytes of 廾 (A4 7B) and 弓 (A4 7D): they stay literal text.
    expectAll({{"format", "date"}, {"pattern", "廾{yyyy}弓"}}, {{"2024-06-04", "廾2024弓"}});
}

TEST(ValueFormatTest, NamesTheKeyOfABadOption) {
    const struct {
        FormatKeys keys;
        const char* error;
    } cases[] = {
        {{{"format", "money"}}, "format 必須是 amount-tw、number、roc-date 或 date"},
        {{{"format", "number"}, {"decimals", "11"}}, "decimals 必須是 0 到 10 的整數"},
        {{{"format", "number"}, {"decimals", "-1"}}, "decimals 必須是 0 到 10 的整數"},
        {{{"format", "number"}, {"decimals", "2.0"}}, "decimals 必須是 0 到 10 的整數"},
        {{{"format", "number"}, {"grouping", "true"}}, "grouping 必須是 yes 或 no"},
        {{{"cells", "0"}}, "cells 必須是 1 到 100 的整數"},
        {{{"cells", "101"}}, "cells 必須是 1 到 100 的整數"},
        {{{"cells", ""}}, "cells 必須是 1 到 100 的整數"},
        {{{"format", "amount-tw"}, {"decimals", "2"}}, "decimals 只用於 format=number"},
        {{{"format", "number"}, {"prefix", "NT$"}}, "prefix 只用於 format=amount-tw"},
        {{{"prefix", "NT$"}}, "prefix 只用於 format=amount-tw"},
        {{{"format", "amount-tw"}, {"pattern", "{y}"}}, "pattern 只用於 format=roc-date 或 format=date"},
        {{{"format", "amount-tw"}, {"prefix", "😀"}}, "prefix 含有 Big5 無法表示的字"},
        {{{"format", "amount-tw"}, {"prefix", std::string(65, 'x')}}, "prefix 太長，最多 64 個位元組（32 個中文字）"},
        {{{"format", "roc-date"}, {"pattern", ""}}, "pattern 不可以是空的"},
        {{{"format", "roc-date"}, {"pattern", "{yyyy}年"}}, "pattern 的「{yyyy}」不是日期欄位，可用 {y} {yyy} {m} {d} {mm} {dd}"},
        {{{"format", "date"}, {"pattern", "{y}"}}, "pattern 的「{y}」不是日期欄位，可用 {yyyy} {m} {d} {mm} {dd}"},
        {{{"format", "date"}, {"pattern", "{mm"}}, "pattern 的「{」沒有對應的「}」"},
        {{{"format", "date"}, {"pattern", "今天"}}, "pattern 至少要有一個日期欄位，可用 {yyyy} {m} {d} {mm} {dd}"},
        {{{"format", "date"}, {"pattern", std::string(62, '-') + "{d}"}}, "pattern 太長，最多 64 個位元組（32 個中文字）"},
        {{{"format", "number"}, {"format", "date"}}, "format 設定了兩次"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        const ParsedValueFormat parsed = parseValueFormat(c.keys);
        EXPECT_EQ(parsed.error, c.error);
        EXPECT_EQ(parsed.format, ValueFormat{});
    }
}

TEST(ValueFormatTest, ReadsItsOwnKeysAndIgnoresOthers) {
    const ParsedValueFormat parsed = parseValueFormat({{"kind", "qr"}, {"module", "0.5"}, {"format", " number "},
                                                       {"decimals", "3"}, {"grouping", "yes"}, {"cells", " 12"},
                                                       {"ecc", "H"}, {"Format", "bogus"}, {"quiet", "4"}});
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    EXPECT_EQ(parsed.format.kind, FormatKind::Number);
    EXPECT_EQ(parsed.format.decimals, 3);
    EXPECT_TRUE(parsed.format.grouping);
    EXPECT_EQ(parsed.format.cells, 12);

    const ParsedValueFormat none = parseValueFormat({{"kind", "code128"}, {"text", "below"}});
    ASSERT_TRUE(none.ok());
    EXPECT_EQ(none.format, ValueFormat{});
    EXPECT_EQ(formatValue(none.format, "\xa4\xa4 text").text, "\xa4\xa4 text");
}

}  // namespace
}  // namespace zarvo
