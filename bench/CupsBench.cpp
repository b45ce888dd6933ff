// Print jobs of the delivery note handed to a queue of a private cupsd, until
// CUPS has accepted the last job (the queue holds its jobs unprinted), next
// to the same job written to a PDF file; with the peak memory of each.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

#include "bench/DeliveryNote.h"
#include "bench/GuiApplication.h"
#include "printing/CupsSpooler.h"
#include "painting/PdfSpooler.h"
#include "compose/PageComposer.h"
#include "tests/support/PrivateCups.h"

namespace {

constexpr const char* kQueue = "bench";

// One private print service for the whole run, with one held queue.
zarvo::test::PrivateCups& printService() {
    static std::unique_ptr<zarvo::test::PrivateCups> cups;
    if (!cups) {
        cups = std::make_unique<zarvo::test::PrivateCups>();
        cups->addQueue(kQueue);
        cups->holdPrinting(kQueue);
    }
    return *cups;
}

void printSheets(benchmark::State& state, zarvo::Spooler& spooler, const std::string& printer) {
    DeliveryNote note;
    const zarvo::RenderContext paper = zarvo::paperContext(spooler, printer);
    std::vector<std::string> sheets(static_cast<std::size_t>(state.range(0)), note.pageFile);
    zarvo::CompositionProblems problems;
    for (auto _ : state) zarvo::printSheets(paper, sheets, problems);
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["peak_rss_kb"] = static_cast<double>(peakRssKb());
}

void printToPdfFile(benchmark::State& state) {
    ensureGuiApplication();
    zarvo::PdfSpooler spooler((std::filesystem::temp_directory_path() / "zarvo-bench.pdf").string());
    printSheets(state, spooler, spooler.printers().front().name);
}

void printToCupsQueue(benchmark::State& state) {
    ensureGuiApplication();
    printService();
    zarvo::CupsSpooler spooler;
    printSheets(state, spooler, kQueue);
}

// Smaller jobs first, so that the peak memory of each size shows its growth.
BENCHMARK(printToCupsQueue)->Arg(100)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(printToPdfFile)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
