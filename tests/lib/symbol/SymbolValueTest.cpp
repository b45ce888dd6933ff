#include "symbol/SymbolError.h"
#include "symbol/SymbolMatrix.h"
#include "symbol/SymbolValue.h"

#include <gtest/gtest.h>

namespace zarvo {
namespace {

const std::string big5Zhong = "\xA4\xA4";  // 中

SymbolSpec specOf(SymbolKind kind, QrEcc ecc = QrEcc::M)
{
    SymbolSpec spec;
    spec.kind = kind;
    spec.ecc = ecc;
    return spec;
}

struct ValueCase {
    SymbolKind kind;
    std::string value;
    std::string expected;  // the symbol's bytes, or the start of the error message
    bool refused;
};

TEST(SymbolValueTest, ChecksCharactersLengthAndCheckDigit)
{
    const ValueCase cases[] = {
        {SymbolKind::Code39, "AB-12 $/+%.", "AB-12 $/+%.", false},
        {SymbolKind::Code39, "ABc", "Code 39 只能容納數字、大寫英文字母、空格與 - . $ / + %，不能容納「c」", true},
        {SymbolKind::Code39, "A@B", "Code 39 只能容納數字、大寫英文字母、空格與 - . $ / + %，不能容納「@」", true},
        {SymbolKind::Code39, "A*", "Code 39 只能容納數字、大寫英文字母、空格與 - . $ / + %，不能容納「*」", true},
        {SymbolKind::Code39, "A" + big5Zhong, "Code 39 只能容納數字、大寫英文字母、空格與 - . $ / + %，不能容納「中」", true},
        {SymbolKind::Code39, std::string(85, 'A'), std::string(85, 'A'), false},
        {SymbolKind::Code39, std::string(86, 'A'), "Code 39 最多容納 85 個字元，這筆資料有 86 個", true},
        {SymbolKind::Code128, "Ab@1\t", "Ab@1\t", false},
        {SymbolKind::Code128, "A" + big5Zhong, "Code 128 只能容納 ASCII 字元，不能容納「中」", true},
        {SymbolKind::Code128, "A\x80", "Code 128 只能容納 ASCII 字元，不能容納「", true},
        {SymbolKind::Ean13, "590123412345", "5901234123457", false},
        {SymbolKind::Ean13, "5901234123457", "5901234123457", false},
        {SymbolKind::Ean13, "400638133393", "4006381333931", false},
        {SymbolKind::Ean13, "5901234123458", "EAN-13 的檢查碼應為 7，這筆資料是 8", true},
        {SymbolKind::Ean13, "59012341234", "EAN-13 要 12 位數字（自動加上檢查碼）或含檢查碼的 13 位數字，這筆資料有 11 位", true},
        {SymbolKind::Ean13, "59012341234570", "EAN-13 要 12 位數字", true},
        {SymbolKind::Ean13, "5901234I2345", "EAN-13 只能容納數字，不能容納「I」", true},
        {SymbolKind::Ean13, "59012" + big5Zhong + "12345", "EAN-13 只能容納數字，不能容納「中」", true},
        {SymbolKind::Qr, "A" + big5Zhong, "A" + big5Zhong, false},
        {SymbolKind::DataMatrix, big5Zhong, big5Zhong, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        try {
            const std::string data = symbolData(specOf(c.kind), c.value);
            EXPECT_FALSE(c.refused) << "accepted as " << data;
            EXPECT_EQ(data, c.expected);
        } catch (const SymbolError& error) {
            EXPECT_TRUE(c.refused) << error.what();
            EXPECT_EQ(std::string(error.what()).rfind(c.expected, 0), 0u) << error.what();
        }
    }
}

TEST(SymbolValueTest, Utf8EncodingTurnsBig5IntoUtf8)
{
    SymbolSpec spec = specOf(SymbolKind::Pdf417);
    spec.encoding = SymbolEncoding::Utf8;
    EXPECT_EQ(symbolData(spec, "A" + big5Zhong), "A\xE4\xB8\xAD");
}

struct CapacityCase {
    SymbolKind kind;
    QrEcc ecc;
    std::size_t fits;  // arbitrary bytes that still fit; one more is refused
    std::string message;
};

TEST(SymbolValueTest, DataTooLongForTheKindAndEccIsRefused)
{
    const CapacityCase cases[] = {
        {SymbolKind::Qr, QrEcc::H, 1273, "QR Code 在糾錯等級 H 下最多容納 1273 位元組，這筆資料有 1274 位元組"},
        {SymbolKind::Qr, QrEcc::L, 2953, "QR Code 在糾錯等級 L 下最多容納 2953 位元組，這筆資料有 2954 位元組"},
        {SymbolKind::DataMatrix, QrEcc::M, 1556, "Data Matrix 最多容納 1556 位元組，這筆資料有 1557"},
        {SymbolKind::Pdf417, QrEcc::M, 1034, "PDF417 最多容納 1034 位元組，這筆資料有 1035"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const SymbolSpec spec = specOf(c.kind, c.ecc);
        std::string data(c.fits, '\xA4');
        EXPECT_NO_THROW(encodeSymbol(spec, data));
        data += '\xA4';
        try {
            encodeSymbol(spec, data);
            ADD_FAILURE() << "accepted";
        } catch (const SymbolError& error) {
            EXPECT_EQ(std::string(error.what()).rfind(c.message, 0), 0u) << error.what();
        }
    }
    EXPECT_NO_THROW(encodeSymbol(specOf(SymbolKind::Code128), std::string(120, '1')));
    try {
        encodeSymbol(specOf(SymbolKind::Code128), std::string(121, '1'));
        ADD_FAILURE() << "accepted";
    } catch (const SymbolError& error) {
        EXPECT_STREQ(error.what(), "Code 128 最多容納 60 個符號字元（兩位數字合為一個），這筆資料有 121 個字元，太長");
    }
}

}  // namespace
}  // namespace zarvo
