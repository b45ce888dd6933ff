#pragma once
// The folders the print service watches, from service.conf: one section
// for each, named for what it is used for, printing every data file put
// into the folder on the folder's printer:
//
//   [Watch 出貨單]
//   folder=/home/me/出貨單
//   printer=Office
//
// No such section: no folder is watched.

#include <string>
#include <vector>

#include "report/IniDocument.h"

namespace zarvo {

struct WatchedFolder {
    std::string name;     // the section's name after "Watch ", UTF-8
    std::string folder;   // absolute path, without a trailing '/'
    std::string printer;  // UTF-8; empty: the default printer
};

// The [Watch NAME] sections of document, in the file's order. Throws
// ReportError naming path and the line for a section without a name or
// without folder=, a folder that is not an absolute path, a key other than
// folder= and printer=, and a folder that an earlier section watches.
std::vector<WatchedFolder> parseWatchedFolders(const IniDocument& document, const std::string& path);

}  // namespace zarvo
