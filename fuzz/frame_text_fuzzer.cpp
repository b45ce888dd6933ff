// libFuzzer entry point of the frame_text target.

#include "fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zarvo::fuzz::fuzzFrameText(data, size);
    return 0;
}
