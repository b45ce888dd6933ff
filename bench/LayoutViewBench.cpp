// The Layout page while a block is dragged across the delivery note with its
// test data over a 300 dpi A4 scan, at 100 %: each step moves the block one
// pointer step and paints the whole view afresh (target: within a 16 ms frame),
// also while the scan's lines are being found on a worker thread (target:
// within 50 ms).

#include <benchmark/benchmark.h>

#include <atomic>
#include <memory>
#include <thread>

#include <QPainter>
#include <QPlainTextEdit>
#include <QTabWidget>

#include "bench/DeliveryNote.h"
#include "bench/GuiApplication.h"
#include "bench/RuledScan.h"
#include "document/Big5TextFile.h"
#include "designer/SourceEditor.h"
#include "designer/MainWindow.h"
#include "layout/LayoutPage.h"
#include "layout/LayoutView.h"
#include "stationery/ScanLines.h"

namespace {

std::unique_ptr<zarvo::MainWindow> deliveryNoteOnLayoutPage() {
    ensureGuiApplication();
    auto window = std::make_unique<zarvo::MainWindow>(benchPrinters());
    window->resize(1100, 900);
    window->show();
    window->ME_text->setPlainText(zarvo::decodeBig5Text(readFile(kExamples + "delivery_note.txt")));
    window->ME_data->setPlainText(zarvo::decodeBig5Text(readFile(kExamples + "delivery_note_data.txt")));
    window->PageControl1->setCurrentWidget(window->TabSheet6);
    window->TabSheet6->layoutView->stationery().setPicture(ruledScan());
    window->TabSheet6->layoutView->stationery().setStrength(60);
    return window;
}

void dragAcrossTheForm(benchmark::State& state) {
    const auto window = deliveryNoteOnLayoutPage();
    zarvo::LayoutView& view = *window->TabSheet6->layoutView;
    zarvo::LayoutEditor& editor = view.editor();
    QImage frame(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    editor.press({30, 38}, {});
    double x = 30;
    for (auto _ : state) {
        x = x >= 150 ? 30 : x + 0.7;
        editor.drag({x, 38}, false);
        view.viewport()->render(&frame);
    }
    editor.release({x, 38}, false, 0);
}

void BM_LayoutDragRepaint(benchmark::State& state) { dragAcrossTheForm(state); }
BENCHMARK(BM_LayoutDragRepaint)->Unit(benchmark::kMillisecond);

// The same while a worker thread finds the lines of a 300 dpi A4 scan over
// and over, as when a picture has just been chosen.
void BM_LayoutDragRepaintWhileDetecting(benchmark::State& state) {
    const zarvo::StationeryPicture scan = ruledScan();
    std::atomic<bool> stop = false;
    std::atomic<int> searches = 0;
    std::thread worker([&] {
        while (!stop) {
            benchmark::DoNotOptimize(zarvo::detectScanLines(scan.image, 300));
            ++searches;
        }
    });
    dragAcrossTheForm(state);
    stop = true;
    worker.join();
    state.counters["searches"] = searches.load();
}
BENCHMARK(BM_LayoutDragRepaintWhileDetecting)->Unit(benchmark::kMillisecond)->MinTime(5);

void BM_LayoutRepaintOnly(benchmark::State& state) {
    const auto window = deliveryNoteOnLayoutPage();
    zarvo::LayoutView& view = *window->TabSheet6->layoutView;
    QImage frame(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) view.viewport()->render(&frame);
}
BENCHMARK(BM_LayoutRepaintOnly)->Unit(benchmark::kMillisecond);

}  // namespace
