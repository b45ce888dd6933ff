// libFuzzer entry point of the data_file target.

#include "fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zarvo::fuzz::fuzzDataFile(data, size);
    return 0;
}
