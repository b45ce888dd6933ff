// The value_format fuzz target: block format keys and raw values through
// parseValueFormat and formatValue, decimals and digit cells.

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "format/Decimal.h"
#include "format/DigitCells.h"
#include "format/ValueFormat.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzTargets.h"
#include "report/Big5.h"

namespace zarvo::fuzz {

namespace {

// The longest error message: a reason around a value quoted to 32 bytes.
constexpr std::size_t kMaxFormatErrorBytes = 512;

// "key=value" lines up to the first empty line (a line without "=" is a key
// with an empty value); the rest of the input is the value.
std::pair<FormatKeys, std::string_view> keysAndValue(std::string_view input) {
    FormatKeys keys;
    const std::size_t blank = input.find("\n\n");
    if (blank == std::string_view::npos) return {keys, input};
    std::string_view lines = input.substr(0, blank);
    while (!lines.empty()) {
        const std::size_t end = lines.find('\n');
        const std::string_view line = lines.substr(0, end);
        const std::size_t equals = line.find('=');
        keys.emplace_back(std::string(line.substr(0, equals)),
                          equals == std::string_view::npos ? std::string() : std::string(line.substr(equals + 1)));
        lines = end == std::string_view::npos ? std::string_view{} : lines.substr(end + 1);
    }
    return {keys, input.substr(blank + 2)};
}

void checkFormatted(const ValueFormat& format, std::string_view value) {
    const FormattedValue formatted = formatValue(format, value);
    if (!formatted.ok()) {
        check(formatted.text.empty(), "a refused value gives no text");
        check(formatted.error.size() <= kMaxFormatErrorBytes, "an error message is short");
        check(bool(utf8Decode(formatted.error)), "an error message is UTF-8");
        return;
    }
    check(value.empty() == formatted.text.empty(), "only an empty value formats to nothing");
    if (format.kind == FormatKind::None && format.cells == 0) {
        check(formatted.text == value, "a value without format is kept as it is");
        return;
    }
    check(formatted.text.size() <= kMaxFormattedBytes, "a formatted value is within its bound");
    if (format.cells > 0) {
        check(bool(digitCells(0, 1000, format.cells, formatted.text)), "a value formatted for cells fits them");
    }
}

// A number prints and parses back to itself and rounds to the decimals asked.
void checkDecimal(std::string_view value) {
    const std::optional<Decimal> number = Decimal::parse(value);
    if (!number) return;
    for (bool grouping : {false, true}) {
        check(Decimal::parse(number->toString(grouping)) == number, "a number reads back as printed");
    }
    for (int decimals : {0, 2, 10}) {
        check(number->rounded(decimals).fractionDigits().size() == static_cast<std::size_t>(decimals),
              "a rounded number has the decimals asked");
    }
    const std::string text = number->toString();
    const std::optional<Decimal> negated = Decimal::parse(number->isNegative() ? text.substr(1) : "-" + text);
    check(negated && (negated->isNegative() != number->isNegative() || number->isZero()), "a number negates");
    check(*number + *number + *negated == *number, "a sum less one of its terms is the other");
}

void checkCells(std::string_view value) {
    const int cells = value.empty() ? 1 : static_cast<unsigned char>(value[0]) % kMaxCells + 1;
    const int left = -static_cast<int>(value.size());
    const int right = static_cast<int>(value.size() % 7) * 100;
    const auto characters = digitCells(left, right, cells, value);
    if (!characters) return;
    int previous = left;
    std::size_t bytes = 0;
    for (const CellCharacter& character : *characters) {
        check(character.offset == bytes && character.length >= 1 && character.length <= 2, "characters follow each other");
        check(previous <= character.left && character.left <= character.right && character.right <= std::max(left, right),
              "cells lie in order within the frame");
        previous = character.right;
        bytes += character.length;
    }
    check(bytes == value.size(), "every byte is in a cell");
    check(characters->empty() || characters->back().right == std::max(left, right), "the last cell ends at the frame");
}

}  // namespace

void fuzzValueFormat(const std::uint8_t* data, std::size_t size) {
    const auto [keys, value] = keysAndValue(asText(data, size));
    const ParsedValueFormat parsed = parseValueFormat(keys);
    check(parsed.ok() || parsed.format == ValueFormat{}, "a refused section gives no format");
    checkFormatted(parsed.format, value);
    for (const char* name : {"amount-tw", "number", "roc-date", "date"}) {
        const ParsedValueFormat defaults = parseValueFormat({{"format", name}});
        check(defaults.ok(), "every format has defaults");
        checkFormatted(defaults.format, value);
    }
    checkDecimal(value);
    checkCells(value);
}

}  // namespace zarvo::fuzz
