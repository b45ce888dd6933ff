#pragma once
// What the window that printed says once a print is handed over.

#include <string>

#include "engine/PrintReceipt.h"

namespace zarvo {

// "已送出 3 張到 office (工作 17, 18)": the sheets, the printer and every job
// of the print, in sheet order; without the parenthesis when the output made
// no jobs. UTF-8.
std::string printedText(const PrintReceipt& receipt);

}  // namespace zarvo
