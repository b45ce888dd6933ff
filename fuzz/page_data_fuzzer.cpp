// libFuzzer entry point of the page_data target.

#include "fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zarvo::fuzz::fuzzPageData(data, size);
    return 0;
}
