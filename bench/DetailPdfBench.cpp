// Orders longer than one form: the delivery note filled from a CSV of 100
// and 100,000 orders of 1 to 60 items each (grouped by order number), every
// order's sheets written to one PDF. The checking pass keeps each order's
// place and item count; the items are read again as their sheets are drawn.
// Compare the peak memory of the two sizes (flat) and the sheet rate with
// DataPdfBench.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "bench/DeliveryNote.h"
#include "bench/GuiApplication.h"
#include "platform/qt/PdfSpooler.h"
#include "preview/DataPages.h"
#include "preview/PageComposer.h"

namespace {

// Order i has 1 + (i * 37) % 60 items.
std::string orders(std::int64_t count) {
    const std::string path = (std::filesystem::temp_directory_path() / "zarvo-bench-detail.csv").string();
    std::ofstream out(path, std::ios::binary);
    out << "no,customer,date,item,qty,unit,price,amount,tax,total\r\n";
    for (std::int64_t i = 1; i <= count; ++i) {
        const std::int64_t items = 1 + (i * 37) % 60;
        for (std::int64_t n = 1; n <= items; ++n) {
            out << "SH" << i << ',' << (n == 1 ? "祥和國際貿易股份有限公司,113年06月14日," : ",,")
                << "不鏽鋼六角螺栓M8x" << n << ",12,盒,48.5,582.0" << (n == 1 ? ",29.1,611.1" : ",,") << "\r\n";
        }
    }
    return path;
}

void ordersToPdf(benchmark::State& state) {
    ensureGuiApplication();
    DeliveryNote note;  // the data directory and the preview state
    note.preview.setPreviewMode(0);
    const std::string output = (std::filesystem::temp_directory_path() / "zarvo-bench-detail.pdf").string();
    zarvo::PdfSpooler spooler(output);
    note.preview.setPrinter(&spooler, spooler.printers().front().name);
    zarvo::DataPages pages(kExamples + "delivery_note.txt", orders(state.range(0)));
    const std::string stem = note.preview.dataFileStem();
    zarvo::CompositionProblems problems;
    for (auto _ : state) {
        zarvo::printSheets(pages.recordCount(),
                           [&](std::int64_t i) {
                               if (i > 0) std::filesystem::remove(zarvo::pageFileName(stem, 1));
                               pages.writePage(stem, 1, i);
                               return zarvo::pageFileName(stem, 1);
                           },
                           problems);
    }
    state.SetItemsProcessed(state.iterations() * pages.recordCount());
    state.counters["orders"] = static_cast<double>(pages.orderCount());
    state.counters["sheets"] = static_cast<double>(pages.recordCount());
    state.counters["peak_rss_kb"] = static_cast<double>(peakRssKb());
}

BENCHMARK(ordersToPdf)->Arg(100)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
