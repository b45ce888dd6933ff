#pragma once
// Writing files that other users must not read or replace.

#include <string>
#include <string_view>

namespace zarvo {

enum class WriteMode { Truncate, Append };

// Writes bytes to path: created with mode 0600 when missing, emptied first
// (Truncate) or added at its end (Append), never through a symlink. Throws
// ReportError, naming the path and the reason in Chinese, when it fails.
void writePrivateFile(const std::string& path, std::string_view bytes, WriteMode mode);

// A short Traditional Chinese reason for an errno value.
std::string errorReason(int error);

}  // namespace zarvo
