#include "symbol/SymbolDrawing.h"

#include "report/Units.h"
#include "symbol/SymbolError.h"
#include "symbol/SymbolValue.h"

#include <algorithm>
#include <cmath>

namespace zarvo {
namespace {

// A length on the device: whole pixels on paper.
double onDevice(double length, bool wholePixels) { return wholePixels ? std::round(length) : length; }

double mmOnDevice(double mm, const SymbolPlacement& placement)
{
    return onDevice(mm * placement.dpi / kMmPerInch, placement.wholePixels);
}

// The line printed under the bars: control characters show as spaces.
std::string readableText(std::string_view data)
{
    std::string text(data);
    std::replace_if(text.begin(), text.end(), [](unsigned char c) { return c < 0x20 || c == 0x7F; }, ' ');
    return text;
}

double barHeight(const SymbolSpec& spec, const SymbolPlacement& placement)
{
    if (spec.barHeightMm) return mmOnDevice(*spec.barHeightMm, placement);
    const double textLine = spec.showText ? placement.textLineHeight : 0;
    const double height = onDevice(placement.frameHeight - textLine, placement.wholePixels);
    if (height <= 0) {
        throw SymbolError("框的高度放不下 " + symbolName(spec.kind) + " 的條碼" +
                          (spec.showText ? "與其下的文字" : ""));
    }
    return height;
}

// Runs of dark modules in each row, one rectangle a run; a row is
// rowHeight device units high.
std::vector<DeviceRect> darkRuns(const SymbolMatrix& matrix, const SymbolGeometry& geometry, double rowHeight)
{
    std::vector<DeviceRect> rects;
    for (int row = 0; row < matrix.rows; ++row) {
        for (int column = 0; column < matrix.columns;) {
            if (!matrix.isDark(row, column)) {
                ++column;
                continue;
            }
            const int start = column;
            while (column < matrix.columns && matrix.isDark(row, column)) ++column;
            rects.push_back({geometry.symbolLeft + start * geometry.module, geometry.symbolTop + row * rowHeight,
                             (column - start) * geometry.module, rowHeight});
        }
    }
    return rects;
}

}  // namespace

double moduleOnDevice(double moduleMm, int dpi, bool wholePixels)
{
    const double exact = moduleMm * dpi / kMmPerInch;
    return wholePixels ? std::max(1.0, std::round(exact)) : exact;
}

SymbolDrawing layoutSymbol(const SymbolSpec& spec, const SymbolMatrix& matrix, std::string_view text,
                           const SymbolPlacement& placement)
{
    const bool linear = isLinear(spec.kind);
    SymbolDrawing drawing;
    SymbolGeometry& geometry = drawing.geometry;
    geometry.module = moduleOnDevice(spec.moduleMm, placement.dpi, placement.wholePixels);
    geometry.quiet = spec.quietModules * geometry.module;
    geometry.symbolLeft = onDevice(placement.frameLeft, placement.wholePixels) + geometry.quiet;
    geometry.symbolTop = onDevice(placement.frameTop, placement.wholePixels) + (linear ? 0 : geometry.quiet);
    const double symbolWidth = matrix.columns * geometry.module;
    geometry.totalWidth = symbolWidth + 2 * geometry.quiet;

    if (!linear) {
        const double rowHeight = matrix.rowHeightModules * geometry.module;
        geometry.totalHeight = matrix.rows * rowHeight + 2 * geometry.quiet;
        drawing.rects = darkRuns(matrix, geometry, rowHeight);
        return drawing;
    }
    const double bars = barHeight(spec, placement);
    drawing.rects = darkRuns(matrix, geometry, bars);
    geometry.totalHeight = bars;
    if (spec.showText) {
        const double textLine = onDevice(placement.textLineHeight, placement.wholePixels);
        drawing.text = readableText(text);
        drawing.textBox = {geometry.symbolLeft, geometry.symbolTop + bars, symbolWidth, textLine};
        geometry.totalHeight += textLine;
    }
    return drawing;
}

std::optional<SymbolDrawing> drawSymbol(const SymbolSpec& spec, std::string_view value,
                                        const SymbolPlacement& placement)
{
    if (value.empty()) return std::nullopt;
    const std::string data = symbolData(spec, value);
    return layoutSymbol(spec, encodeSymbol(spec, data), data, placement);
}

}  // namespace zarvo
