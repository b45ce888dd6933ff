#include "compose/PrintFeedback.h"

namespace zarvo {

std::string printedText(const PrintReceipt& receipt) {
    std::string text = "已送出 " + std::to_string(receipt.sheets) + " 張到 " + receipt.printer;
    if (receipt.jobIds.empty()) return text;
    std::string jobs;
    for (int id : receipt.jobIds) jobs += (jobs.empty() ? "" : ", ") + std::to_string(id);
    return text + " (工作 " + jobs + ")";
}

}  // namespace zarvo
