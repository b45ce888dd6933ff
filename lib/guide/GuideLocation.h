#pragma once
// Where the user's guide is read from, offline: the folder installed with
// the program (share/zarvo/guide beside its bin folder), then, for a program
// run from a build, the source tree's docs/guide, then the folder under the
// prefix the build was configured for.

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zarvo {

// The folders that may hold the guide, in the order they are tried, for a
// program whose executable lies in programDir.
std::vector<std::filesystem::path> guideFolders(const std::filesystem::path& programDir);

// guideFolders for the program running now (its executable's folder, read
// from /proc/self/exe).
std::vector<std::filesystem::path> guideFoldersOfThisProgram();

// The first of folders that holds the table of contents (index.md) as an
// ordinary file; nullopt when none does.
std::optional<std::filesystem::path> findGuide(std::span<const std::filesystem::path> folders);

// The message shown when no folder holds the guide, naming every folder tried.
std::string guideMissingMessage(std::span<const std::filesystem::path> folders);

}  // namespace zarvo
