#pragma once
// What a finished print handed over: on which printer, how many sheets, the
// print service's jobs and what the printer will leave out.

#include <cstdint>
#include <string>
#include <vector>

namespace zarvo {

struct PrintReceipt {
    std::string printer;                     // UTF-8, as the spooler names it
    std::int64_t sheets = 0;                 // sheets sent, copies included
    std::vector<int> jobIds;                 // in sheet order; empty when the output makes no jobs
    std::vector<std::string> sheetWarnings;  // UTF-8, one per sheet that reaches beyond the printable area
};

}  // namespace zarvo
