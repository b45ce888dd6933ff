#pragma once
// What the data-file benchmarks share: the delivery note filled from a data
// file into one PDF, each page's data file written when it is printed and
// removed after, with the page count and the peak memory as counters.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "bench/DeliveryNote.h"
#include "bench/GuiApplication.h"
#include "painting/PdfSpooler.h"
#include "compose/DataPages.h"
#include "compose/PageComposer.h"

// A CSV file of count one-item orders at path (a long customer, a remark
// over two lines), the rows the data-file benchmarks print.
inline std::string writeOrdersCsv(const std::string& path, std::int64_t count) {
    std::ofstream out(path, std::ios::binary);
    out << "customer,date,no,item1,qty1,price1,amount1,remark\r\n";
    for (std::int64_t i = 1; i <= count; ++i) {
        out << "\"祥和國際貿易股份有限公司, 第" << i << "號\",113年06月14日,SH" << i
            << ",不鏽鋼六角螺栓M8x30,12,480,5760,\"請於週五上午送達\r\n卸貨前請先電話聯絡\"\r\n";
    }
    return path;
}

// report is the delivery note unless given (a copy beside its own profile).
inline void printDataFileToPdf(benchmark::State& state, const zarvo::DataOrigin& dataFile,
                               const std::string& report = kExamples + "delivery_note.txt") {
    ensureGuiApplication();
    DeliveryNote note;  // the data directory and the page sequence
    const std::string output = (std::filesystem::temp_directory_path() / "zarvo-bench-data.pdf").string();
    zarvo::PdfSpooler spooler(output);
    const zarvo::RenderContext paper = zarvo::paperContext(spooler, spooler.printers().front().name);
    zarvo::DataPages pages(report, dataFile);
    const std::string stem = note.pages.stem();
    zarvo::CompositionProblems problems;
    for (auto _ : state) {
        zarvo::printSheets(paper, pages.recordCount(),
                           [&](std::int64_t i) {
                               if (i > 0) std::filesystem::remove(zarvo::pageFileName(stem, 1));
                               pages.writePage(stem, 1, i);
                               return zarvo::pageFileName(stem, 1);
                           },
                           problems);
    }
    state.SetItemsProcessed(state.iterations() * pages.recordCount());
    state.counters["records"] = static_cast<double>(pages.orderCount());
    state.counters["pages"] = static_cast<double>(pages.recordCount());
    state.counters["peak_rss_kb"] = static_cast<double>(peakRssKb());
}
