// The Layout page's hit test: which of 2,000 rows (lines, captions and data
// frames spread over an A4 sheet) lies under the pointer, at many pointer
// positions across the sheet. The page asks this at every pointer move.

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "layoutmodel/LayoutScene.h"
#include "layoutmodel/Millimetres.h"

namespace {

constexpr double kSheetWidthMm = 210;
constexpr double kSheetHeightMm = 297;
constexpr int kRowsPerKind = 2000 / 3;

// Small frames and ruled lines of a crowded form, the same every run.
zarvo::LayoutScene crowdedSheet() {
    std::mt19937 random(20240);
    std::uniform_real_distribution<double> x(0, kSheetWidthMm), y(0, kSheetHeightMm), size(1, 30);
    auto mm = [](double value) { return zarvo::formatTenths(value); };
    std::vector<zarvo::RowText> lines, labels, blocks;
    for (int i = 0; i < kRowsPerKind + 2; ++i) {
        double x1 = x(random), y1 = y(random);
        bool across = i % 2 == 0;
        lines.push_back(
            {"0", {"0.3", mm(x1), mm(y1), mm(across ? x1 + size(random) : x1), mm(across ? y1 : y1 + size(random))}});
    }
    for (auto* frames : {&labels, &blocks})
        for (int i = 0; i < kRowsPerKind; ++i)
            frames->push_back({"f",
                               {"0", mm(x(random)), mm(y(random)), mm(size(random)), mm(size(random) / 4), "0", "0",
                                "7", "0", "4", "2.5", "0"}});
    zarvo::LayoutScene scene;
    scene.setRows(zarvo::RowKind::Line, std::move(lines));
    scene.setRows(zarvo::RowKind::Label, std::move(labels));
    scene.setRows(zarvo::RowKind::Block, std::move(blocks));
    return scene;
}

void rowAtOn2000Rows(benchmark::State& state) {
    const zarvo::LayoutScene scene = crowdedSheet();
    std::mt19937 random(7);
    std::uniform_real_distribution<double> x(0, kSheetWidthMm), y(0, kSheetHeightMm);
    std::vector<zarvo::PointMm> pointer(4096);
    for (zarvo::PointMm& p : pointer) p = {x(random), y(random)};
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(scene.rowAt(pointer[next], 1.0));
        next = (next + 1) % pointer.size();
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(rowAtOn2000Rows)->Unit(benchmark::kMicrosecond);

}  // namespace
