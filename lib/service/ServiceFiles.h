#pragma once
// Where the print service keeps its settings, its token, its forms and its
// jobs, and reading its settings file (service.conf, an INI file):
//
//   port=8631
//   [Forms]
//   folder=/srv/forms
//   folder2=/home/me/forms
//   [Origins]
//   origin=https://erp.example.com
//
// The forms folders are the values of the [Forms] keys named "folder" and
// "folder" followed by a number, in the file's order; the web pages allowed
// to print are those of the [Origins] keys "origin", "origin2", ...

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "report/ReportError.h"
#include "service/WatchConfig.h"

namespace zarvo {

inline constexpr int kDefaultServicePort = 8631;

struct ServiceConfig {
    std::optional<int> port;               // none: the default
    std::vector<std::string> formFolders;  // none: the default folder
    std::vector<std::string> origins;      // canonical, as canonicalOrigin makes them
    std::vector<WatchedFolder> watchedFolders;  // the [Watch NAME] sections
};

// Reads service.conf's text; throws ReportError naming path and the line
// for a line that cannot be read, a port outside 1..65535 or a folder that
// is not an absolute path.
ServiceConfig parseServiceConfig(std::string_view text, const std::string& path);

// The error for a fault of service.conf at path, line: "設定檔 PATH 第 N 行: reason".
ReportError serviceConfigError(const std::string& path, int line, const std::string& reason);

// $XDG_CONFIG_HOME/zarvo/service.conf read; an empty config when there is
// no such file. Throws ReportError as parseServiceConfig does, or when the
// file exists but cannot be read.
ServiceConfig readServiceConfig();

// A port number written as decimal digits, 1..65535; nullopt otherwise.
std::optional<int> parsePort(std::string_view text);

// $XDG_DATA_HOME/zarvo/forms (~/.local/share/zarvo/forms without it).
std::string defaultFormsFolder();
// $XDG_STATE_HOME/zarvo/jobs (~/.local/state/zarvo/jobs without it).
std::string defaultSpoolFolder();

// The token callers must present: read from path, or made (32 random
// bytes as 64 hex digits, one line, mode 0600) when there is no such file
// or renew is set. Throws ReportError when the file can be read by group
// or others, is no regular file, holds no token, or cannot be written.
std::string loadServiceToken(const std::string& path, bool renew);

// The text of the file at path, nullopt when there is none. Throws
// ReportError, calling the file what ("權杖檔"), when it is no regular file,
// the group or others can read it, it holds more than maxBytes or it
// cannot be read.
std::optional<std::string> readPrivateText(const std::string& path, std::size_t maxBytes, const std::string& what);

// Whether a and b are equal, taking the same time for every a of b's
// length wherever they differ.
bool sameSecret(std::string_view a, std::string_view b);

// n random bytes as 2n lower-case hex digits, from the kernel's generator.
std::string randomHex(std::size_t n);

}  // namespace zarvo
