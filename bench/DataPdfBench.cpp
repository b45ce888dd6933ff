// Many forms from one data file: the delivery note filled from a CSV of
// 1,000 and 100,000 records, written to one PDF, each page's data file
// written when it is printed and removed after. Compare the page rate with
// PageBench's printToPdf and the peak memory of the two sizes (flat).

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "bench/DeliveryNote.h"
#include "bench/GuiApplication.h"
#include "platform/qt/PdfSpooler.h"
#include "preview/DataPages.h"
#include "preview/PageComposer.h"

namespace {

std::string orders(std::int64_t count) {
    const std::string path = (std::filesystem::temp_directory_path() / "zarvo-bench-orders.csv").string();
    std::ofstream out(path, std::ios::binary);
    out << "customer,date,no,item1,qty1,price1,amount1,remark\r\n";
    for (std::int64_t i = 1; i <= count; ++i) {
        out << "\"祥和國際貿易股份有限公司, 第" << i << "號\",113年06月14日,SH" << i
            << ",不鏽鋼六角螺栓M8x30,12,480,5760,\"請於週五上午送達\r\n卸貨前請先電話聯絡\"\r\n";
    }
    return path;
}

void dataFileToPdf(benchmark::State& state) {
    ensureGuiApplication();
    DeliveryNote note;  // the data directory and the preview state
    note.preview.setPreviewMode(0);
    const std::string output = (std::filesystem::temp_directory_path() / "zarvo-bench-orders.pdf").string();
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
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["peak_rss_kb"] = static_cast<double>(peakRssKb());
}

BENCHMARK(dataFileToPdf)->Arg(1000)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
