// libFuzzer entry point of the test_data_line target.

#include "fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zarvo::fuzz::fuzzTestDataLine(data, size);
    return 0;
}
