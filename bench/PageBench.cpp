// Whole pages: preview images of the delivery note per second, and print
// jobs of many sheets to PDF at 300 dpi with their peak memory, so that the
// cost per sheet can be followed as a job grows.

#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench/DeliveryNote.h"
#include "bench/GuiApplication.h"
#include "painting/PdfSpooler.h"
#include "painting/PreviewImage.h"
#include "compose/PageComposer.h"

namespace {

void previewPage(benchmark::State& state) {
    ensureGuiApplication();
    DeliveryNote note;
    zarvo::PreviewImage image;
    const zarvo::RenderContext screen =
        zarvo::screenContext([&image](int width, int height) -> zarvo::Surface& { return image.resize(width, height); });
    zarvo::CompositionProblems problems;
    for (auto _ : state) zarvo::showPage(screen, note.pageFile, problems);
    state.SetItemsProcessed(state.iterations());
}

void printToPdf(benchmark::State& state) {
    ensureGuiApplication();
    DeliveryNote note;
    std::string output = (std::filesystem::temp_directory_path() / "zarvo-bench.pdf").string();
    zarvo::PdfSpooler spooler(output);
    const zarvo::RenderContext paper = zarvo::paperContext(spooler, spooler.printers().front().name);
    std::vector<std::string> sheets(static_cast<std::size_t>(state.range(0)), note.pageFile);
    zarvo::CompositionProblems problems;
    for (auto _ : state) zarvo::printSheets(paper, sheets, problems);
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["peak_rss_kb"] = static_cast<double>(peakRssKb());
    state.counters["pdf_kb"] = static_cast<double>(std::filesystem::file_size(output) / 1024);
}

BENCHMARK(previewPage)->Unit(benchmark::kMillisecond);
BENCHMARK(printToPdf)->Arg(100)->Arg(1000)->Arg(10000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
