// Finding the stationery's ruled lines and boxes in a 300 dpi A4 scan
// (2480 x 3508): a form of 31 rules by 7, a dotted rule among them, turned
// 0.4 degrees, blurred and speckled; with the skew measured, and with it given.

#include <benchmark/benchmark.h>

#include "bench/GuiApplication.h"
#include "stationery/ScanLines.h"
#include "tests/lib/stationery/ScanDrawing.h"

namespace {

QImage wornA4Form() {
    ensureGuiApplication();  // the captions' font
    std::vector<zarvo::test::DrawnLine> lines;
    for (int r = 0; r <= 30; ++r) lines.push_back({15, 30.0 + 8 * r, 195, 30.0 + 8 * r, r % 10 == 0 ? 0.3 : 0.12, r == 15});
    for (double x : {15.0, 30.0, 90.0, 110.0, 125.0, 155.0, 195.0}) lines.push_back({x, 30, x, 270, 0.2, false});
    std::vector<zarvo::test::DrawnCaption> captions;
    for (int r = 0; r < 30; r += 3) captions.push_back({32, 32.0 + 8 * r, 4, QStringLiteral("品名規格")});
    const QImage clean = zarvo::test::drawForm(lines, captions, 300);
    return zarvo::test::damaged(clean, 300, {0.4, 0, 1.0, 20});
}

void detectOnA4(benchmark::State& state) {
    const QImage scan = wornA4Form();
    const bool given = state.range(0) != 0;
    std::size_t boxes = 0;
    for (auto _ : state) {
        const zarvo::ScanLines lines = given ? zarvo::detectScanLines(scan, 300, 0.4) : zarvo::detectScanLines(scan, 300);
        boxes = lines.boxes.size();
        benchmark::DoNotOptimize(boxes);
    }
    state.counters["boxes"] = static_cast<double>(boxes);
}

BENCHMARK(detectOnA4)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
