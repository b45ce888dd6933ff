// Many forms from one data file: the delivery note filled from a CSV of
// 1,000 and 100,000 records, written to one PDF, each page's data file
// written when it is printed and removed after. Compare the page rate with
// PageBench's printToPdf and the peak memory of the two sizes (flat).

#include <filesystem>

#include "bench/DataFilePdf.h"

namespace {

std::string orders(std::int64_t count) {
    return writeOrdersCsv((std::filesystem::temp_directory_path() / "zarvo-bench-orders.csv").string(), count);
}

void dataFileToPdf(benchmark::State& state) { printDataFileToPdf(state, orders(state.range(0))); }

BENCHMARK(dataFileToPdf)->Arg(1000)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
