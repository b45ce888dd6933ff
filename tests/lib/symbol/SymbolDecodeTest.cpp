// Symbols drawn from the rectangles into a bitmap and read back by the
// decoders of zbar-tools, dmtx-utils and zxing-cpp-tools.
#include "symbol/SymbolDrawing.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace zarvo {
namespace {

const std::string big5Value = "\xA4\xA4\xA4\xE5 Zarvo \xB4\xFA\xB8\xD5 123";  // 中文 Zarvo 測試 123
const std::string utf8Value = "\xE4\xB8\xAD\xE6\x96\x87 Zarvo \xE6\xB8\xAC\xE8\xA9\xA6 123";

bool haveTool(const std::string& tool)
{
    return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// A white page with the rectangles filled black, written as a binary PGM.
void writePgm(const std::string& path, const SymbolDrawing& drawing, const SymbolPlacement& placement)
{
    const SymbolGeometry& g = drawing.geometry;
    const int width = static_cast<int>(std::ceil(placement.frameLeft * 2 + g.totalWidth));
    const int height = static_cast<int>(std::ceil(placement.frameTop * 2 + g.totalHeight));
    std::string pixels(static_cast<std::size_t>(width) * height, '\xFF');
    for (const DeviceRect& rect : drawing.rects) {
        for (int y = static_cast<int>(rect.y); y < static_cast<int>(rect.y + rect.height); ++y) {
            for (int x = static_cast<int>(rect.x); x < static_cast<int>(rect.x + rect.width); ++x) {
                pixels.at(static_cast<std::size_t>(y) * width + x) = '\0';
            }
        }
    }
    std::ofstream out(path, std::ios::binary);
    out << "P5\n" << width << ' ' << height << "\n255\n" << pixels;
}

// The tool's standard output.
std::string run(const std::string& command)
{
    std::string output;
    FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe) return output;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    pclose(pipe);
    return output;
}

std::string withoutTrailingNewline(std::string text)
{
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

struct DecodeCase {
    std::string kinds;  // the kind key as in the profile
    std::string value;  // Big5, as the engine holds it
    std::string encoding;
    std::string expected;  // the bytes the symbol must hold
    std::string tool;
    std::string command;  // the decoder; the image path goes last
};

void PrintTo(const DecodeCase& c, std::ostream* out) { *out << c.kinds << " in " << c.encoding; }

class SymbolDecodeTest : public testing::TestWithParam<DecodeCase> {};

TEST_P(SymbolDecodeTest, DecodesToTheValuesBytes)
{
    const DecodeCase& c = GetParam();
    if (!haveTool(c.tool)) GTEST_SKIP() << c.tool << " is not installed";
    const SymbolSpec spec = parseSymbolSpec({{"kind", c.kinds}, {"encoding", c.encoding}});
    for (int dpi : {300, 600}) {
        SCOPED_TRACE(c.kinds + " at " + std::to_string(dpi));
        SymbolPlacement placement;
        placement.frameLeft = 40;
        placement.frameTop = 40;
        placement.frameHeight = dpi * 0.6;
        placement.textLineHeight = dpi * 0.1;
        placement.dpi = dpi;
        const std::string path = testing::TempDir() + "symbol-" + c.kinds + "-" + c.encoding + "-" +
                                 std::to_string(dpi) + "-" + std::to_string(getpid()) + ".pgm";
        writePgm(path, drawSymbol(spec, c.value, placement).value(), placement);
        EXPECT_EQ(withoutTrailingNewline(run(c.command + " '" + path + "'")), c.expected);
        std::remove(path.c_str());
    }
}

const std::string zbar = "zbarimg --quiet --raw -Sbinary";

INSTANTIATE_TEST_SUITE_P(
    Decoders, SymbolDecodeTest,
    testing::Values(
        DecodeCase{"code39", "ZARVO-39 $1.5", "big5", "ZARVO-39 $1.5", "zbarimg", zbar},
        DecodeCase{"code128", "Zarvo-128 a@b", "big5", "Zarvo-128 a@b", "zbarimg", zbar},
        DecodeCase{"ean13", "400638133393", "big5", "4006381333931", "zbarimg", zbar},
        DecodeCase{"qr", big5Value, "big5", big5Value, "zbarimg", zbar},
        DecodeCase{"qr", big5Value, "utf-8", utf8Value, "zbarimg", zbar},
        DecodeCase{"datamatrix", big5Value, "big5", big5Value, "dmtxread", "dmtxread"},
        DecodeCase{"datamatrix", big5Value, "utf-8", utf8Value, "dmtxread", "dmtxread"},
        DecodeCase{"pdf417", big5Value, "big5", big5Value, "ZXingReader", "ZXingReader -bytes"},
        DecodeCase{"pdf417", big5Value, "utf-8", utf8Value, "ZXingReader", "ZXingReader -bytes"}),
    [](const testing::TestParamInfo<DecodeCase>& info) {
        std::string name = info.param.kinds + "_" + info.param.encoding;
        std::erase(name, '-');
        return name;
    });

}  // namespace
}  // namespace zarvo
