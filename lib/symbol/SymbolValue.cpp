#include "symbol/SymbolValue.h"

#include "report/Big5.h"
#include "symbol/SymbolError.h"

#include <cstdio>

namespace zarvo {
namespace {

constexpr std::size_t code39MaxLength = 85;

bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

bool code39Holds(unsigned char c)
{
    return isDigit(c) || (c >= 'A' && c <= 'Z') || std::string_view(" -.$/+%").find(static_cast<char>(c)) != std::string_view::npos;
}

// The character at index as the user sees it: a Big5 character is its two
// bytes decoded; a control byte is named by its code.
std::string characterAt(std::string_view value, std::size_t index)
{
    const auto byte = static_cast<unsigned char>(value[index]);
    if (byte < 0x20 || byte == 0x7F) {
        char code[24];
        std::snprintf(code, sizeof code, "控制字元 0x%02X", byte);
        return code;
    }
    const std::size_t length = byte >= 0x81 && index + 1 < value.size() ? 2 : 1;
    return "「" + big5ToUtf8(value.substr(index, length)) + "」";
}

[[noreturn]] void refuseCharacter(SymbolKind kind, std::string_view holds, std::string_view value,
                                  std::size_t index)
{
    throw SymbolError(symbolName(kind) + " 只能容納" + std::string(holds) + "，不能容納" +
                      characterAt(value, index));
}

template <typename Holds>
void checkCharacters(SymbolKind kind, std::string_view holdsText, std::string_view value, Holds holds)
{
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (!holds(static_cast<unsigned char>(value[i]))) refuseCharacter(kind, holdsText, value, i);
    }
}

std::string ean13Data(std::string_view value)
{
    checkCharacters(SymbolKind::Ean13, "數字", value, isDigit);
    if (value.size() != 12 && value.size() != 13) {
        throw SymbolError("EAN-13 要 12 位數字（自動加上檢查碼）或含檢查碼的 13 位數字，這筆資料有 " +
                          std::to_string(value.size()) + " 位");
    }
    const char check = ean13CheckDigit(value.substr(0, 12));
    if (value.size() == 13 && value[12] != check) {
        throw SymbolError(std::string("EAN-13 的檢查碼應為 ") + check + "，這筆資料是 " + value[12]);
    }
    return std::string(value.substr(0, 12)) + check;
}

}  // namespace

char ean13CheckDigit(std::string_view twelveDigits)
{
    int sum = 0;
    for (std::size_t i = 0; i < twelveDigits.size(); ++i) {
        sum += (twelveDigits[i] - '0') * (i % 2 == 0 ? 1 : 3);
    }
    return static_cast<char>('0' + (10 - sum % 10) % 10);
}

std::string symbolData(const SymbolSpec& spec, std::string_view value)
{
    switch (spec.kind) {
    case SymbolKind::Code39:
        // libzint would upper-case lower case letters silently; the form
        // shows the value as it is, so it must be refused instead.
        checkCharacters(spec.kind, "數字、大寫英文字母、空格與 - . $ / + %", value, code39Holds);
        if (value.size() > code39MaxLength) {
            throw SymbolError("Code 39 最多容納 85 個字元，這筆資料有 " + std::to_string(value.size()) +
                              " 個");
        }
        return std::string(value);
    case SymbolKind::Code128:
        checkCharacters(spec.kind, " ASCII 字元", value, [](unsigned char c) { return c < 0x80; });
        return std::string(value);
    case SymbolKind::Ean13:
        return ean13Data(value);
    case SymbolKind::Qr:
    case SymbolKind::DataMatrix:
    case SymbolKind::Pdf417:
        return spec.encoding == SymbolEncoding::Utf8 ? big5ToUtf8(value) : std::string(value);
    case SymbolKind::Text:
        break;
    }
    throw SymbolError("文字欄位不畫成條碼");
}

}  // namespace zarvo
