// A picture's header read before anything is decoded, and the SVG files
// that are refused unread. Runs without a GUI application, as a service's
// checks may.

#include <gtest/gtest.h>

#include <string>

#include "picture/PictureDecoder.h"

namespace zarvo {
namespace {

TEST(PictureDecoderTest, HeadersAreReadOrRefusedWithTheReason) {
    const std::string svg = R"(<svg xmlns="http://www.w3.org/2000/svg" width="40" height="20">)";
    struct Case {
        std::string bytes;
        std::string error;
        int width = 0, height = 0;
    };
    const Case cases[] = {
        {svg + R"(<rect width="40" height="20" fill="red"/></svg>)", "", 40, 20},
        {svg + R"(<image href="data:image/png;base64,AAAA" width="4" height="4"/></svg>)", "", 40, 20},
        {svg + R"(<image xlink:href="/etc/passwd" width="4" height="4"/></svg>)",
         "SVG 圖片「p」引用了外部檔案「/etc/passwd」"},
        {svg + R"(<use href = 'other.svg#mark'/></svg>)", "SVG 圖片「p」引用了外部檔案「other.svg#mark」"},
        {"<!DOCTYPE svg [<!ENTITY a \"x\">]>" + svg + "</svg>", "SVG 圖片「p」含有實體宣告, 不能使用"},
        {svg + "<text>印</text></svg>", "SVG 圖片「p」含有文字, 這裡沒有字型可以畫它, 請把文字轉成外框"},
        {"P6\n20000 5001\n255\n", "圖片「p」有 20000 x 5001 像素, 超過 1 億像素"},
        {"P6\n10000 10000\n255\n", "", 10000, 10000},
        {"GIF? no", "「p」不是可用的圖片 (PNG、JPEG、TIFF 或 SVG)"},
        {"", "「p」不是可用的圖片 (PNG、JPEG、TIFF 或 SVG)"},
    };
    for (const Case& each : cases) {
        const PictureHeader header = readPictureHeader(each.bytes, "p");
        EXPECT_EQ(header.error, each.error) << each.bytes.substr(0, 80);
        if (!each.error.empty()) continue;
        EXPECT_EQ(header.width, each.width) << each.bytes.substr(0, 80);
        EXPECT_EQ(header.height, each.height) << each.bytes.substr(0, 80);
    }
}

}  // namespace
}  // namespace zarvo
