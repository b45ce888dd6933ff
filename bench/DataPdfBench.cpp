// Many forms from one data file: the delivery note filled from a CSV of
// 1,000 and 100,000 records, written to one PDF, each page's data file
// written when it is printed and removed after. Compare the page rate with
// PageBench's printToPdf and the peak memory of the two sizes (flat).

#include <filesystem>
#include <fstream>

#include "bench/DataFilePdf.h"

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

void dataFileToPdf(benchmark::State& state) { printDataFileToPdf(state, orders(state.range(0))); }

BENCHMARK(dataFileToPdf)->Arg(1000)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
