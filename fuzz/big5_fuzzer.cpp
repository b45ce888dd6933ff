// libFuzzer entry point of the big5 target.

#include "fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zarvo::fuzz::fuzzBig5(data, size);
    return 0;
}
