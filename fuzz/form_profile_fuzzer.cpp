// libFuzzer entry point of the form_profile target.

#include "fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zarvo::fuzz::fuzzFormProfile(data, size);
    return 0;
}
