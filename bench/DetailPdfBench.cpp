// Orders longer than one form: the delivery note filled from a CSV of 100
// and 100,000 orders of 1 to 60 items each (grouped by order number), every
// order's sheets written to one PDF. The checking pass keeps each order's
// place and item count; the items are read again as their sheets are drawn.
// Compare the peak memory of the two sizes (within 1.5 times: the PDF
// writer keeps about 35 bytes a sheet) and the sheet rate with
// DataPdfBench.

#include <filesystem>
#include <fstream>

#include "bench/DataFilePdf.h"

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

void ordersToPdf(benchmark::State& state) { printDataFileToPdf(state, orders(state.range(0))); }

BENCHMARK(ordersToPdf)->Arg(100)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
