// libFuzzer entry point of the report_page target.

#include "fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zarvo::fuzz::fuzzReportPage(data, size);
    return 0;
}
