#pragma once
// The bytes of a recovery copy file: one header line, then the report text,
// the test data, the file name and the form profile's text exactly as they
// are (any bytes, NUL, CR and LF included):
//
//   ZARVO-RECOVERY 2 <savedAtMs> <text bytes> <test data bytes> <file name bytes> <profile bytes> <check>\n
//
// <check> is the FNV-1a 64-bit hash, in 16 lower-case hex digits, of the
// line before its last blank followed by the texts, so that a truncated or
// damaged file is told apart from a whole one. Copies of version 1, without
// the profile's size and text, are still read.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "recovery/RecoveryCopy.h"

namespace zarvo {

// The most bytes each text of one copy may hold: 256 MiB.
inline constexpr std::size_t maxRecoveryTextBytes = std::size_t{256} << 20;

// The most bytes a header line may take, its line break included.
inline constexpr std::size_t maxRecoveryHeaderBytes = 160;

// The header line for copy; its texts follow it in the file. Each text must
// hold at most maxRecoveryTextBytes.
std::string recoveryHeader(const RecoveryCopy& copy);

// The copy held by the whole content of a copy file (path left empty), or
// nothing when the content is truncated, damaged or not a copy at all.
std::optional<RecoveryCopy> parseRecoveryCopy(std::string_view file);

}  // namespace zarvo
