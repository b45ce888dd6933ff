#include "symbol/SymbolError.h"
#include "symbol/SymbolSpec.h"

#include <gtest/gtest.h>

namespace zarvo {
namespace {

struct DefaultsCase {
    std::string kind;
    SymbolKind expected;
    double moduleMm;
    int quiet;
};

TEST(SymbolSpecTest, KindSetsModuleAndQuietDefaults)
{
    const DefaultsCase cases[] = {
        {"text", SymbolKind::Text, 0.5, 10},      {"Code39", SymbolKind::Code39, 0.33, 10},
        {"code128", SymbolKind::Code128, 0.33, 10}, {"ean13", SymbolKind::Ean13, 0.33, 10},
        {"QR", SymbolKind::Qr, 0.5, 4},           {"datamatrix", SymbolKind::DataMatrix, 0.5, 1},
        {"pdf417", SymbolKind::Pdf417, 0.5, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        const SymbolSpec spec = parseSymbolSpec({{"kind", c.kind}});
        EXPECT_EQ(spec.kind, c.expected);
        EXPECT_DOUBLE_EQ(spec.moduleMm, c.moduleMm);
        EXPECT_EQ(spec.quietModules, c.quiet);
    }
    EXPECT_EQ(parseSymbolSpec({}).kind, SymbolKind::Text);
}

TEST(SymbolSpecTest, ReadsOptionsInAnyOrderAndIgnoresOtherKeys)
{
    const SymbolSpec spec = parseSymbolSpec({{"module", "0.25"}, {"format", "#,##0"}, {"Quiet", " 6 "},
                                             {"ecc", "h"}, {"height", "12.5"}, {"text", "NO"},
                                             {"encoding", "UTF-8"}, {"whatever", "x"}, {"kind", "qr"}});
    EXPECT_EQ(spec.kind, SymbolKind::Qr);
    EXPECT_DOUBLE_EQ(spec.moduleMm, 0.25);
    EXPECT_EQ(spec.quietModules, 6);
    EXPECT_EQ(spec.ecc, QrEcc::H);
    EXPECT_DOUBLE_EQ(spec.barHeightMm.value_or(0), 12.5);
    EXPECT_FALSE(spec.showText);
    EXPECT_EQ(spec.encoding, SymbolEncoding::Utf8);
}

TEST(SymbolSpecTest, BadValuesNameTheKeyAndTheReason)
{
    const std::pair<ProfileKeys, std::string> cases[] = {
        {{{"kind", "upc"}}, "選項 kind 的值「upc」不是可用的種類"},
        {{{"module", "0.3mm"}}, "選項 module 的值「0.3mm」不是 0.05 到 10 之間的毫米數"},
        {{{"module", "0.01"}}, "選項 module 的值「0.01」"},
        {{{"module", "nan"}}, "選項 module 的值「nan」"},
        {{{"height", "0"}}, "選項 height 的值「0」不是大於 0"},
        {{{"height", "-3"}}, "選項 height 的值「-3」"},
        {{{"ecc", "X"}}, "選項 ecc 的值「X」不是 L、M、Q 或 H"},
        {{{"text", "是"}}, "選項 text 的值「是」不是 yes 或 no"},
        {{{"encoding", "gbk"}}, "選項 encoding 的值「gbk」不是 big5 或 utf-8"},
        {{{"quiet", "2.5"}}, "選項 quiet 的值「2.5」不是 0 到 50 之間的整數"},
        {{{"quiet", "51"}}, "選項 quiet 的值「51」"},
        {{{"quiet", ""}}, "選項 quiet 的值「」"},
    };
    for (const auto& [keys, message] : cases) {
        SCOPED_TRACE(message);
        try {
            parseSymbolSpec(keys);
            ADD_FAILURE() << "accepted";
        } catch (const SymbolError& error) {
            EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << error.what();
        }
    }
}

}  // namespace
}  // namespace zarvo
