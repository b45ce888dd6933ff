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

// Replaces the file at path with bytes as one: a temporary file (0600)
// beside it written and synced, renamed into place and its folder synced,
// so the file holds either its old bytes or all the new ones. Throws
// ReportError ("無法寫入" + what + " " + path + ": why) when it cannot;
// no temporary file remains then.
void replacePrivateFile(const std::string& path, std::string_view bytes, const std::string& what);

// A short Traditional Chinese reason for an errno value.
std::string errorReason(int error);

}  // namespace zarvo
