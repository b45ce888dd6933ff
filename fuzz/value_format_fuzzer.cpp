// libFuzzer entry point of the value_format target.

#include "fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zarvo::fuzz::fuzzValueFormat(data, size);
    return 0;
}
