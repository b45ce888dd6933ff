#pragma once
// What every fuzz target uses: the check of an invariant and the input as text.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace zarvo::fuzz {

// An invariant that failed: the fuzzer records the input as a crash.
inline void check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
    std::abort();
}

// The input (not owned, size bytes) as a view of its bytes.
inline std::string_view asText(const std::uint8_t* data, std::size_t size) {
    return size == 0 ? std::string_view{} : std::string_view(reinterpret_cast<const char*>(data), size);
}

}  // namespace zarvo::fuzz
