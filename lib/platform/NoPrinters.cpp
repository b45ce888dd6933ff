#include "platform/NoPrinters.h"

#include "report/ReportError.h"

namespace zarvo {

std::unique_ptr<PrintJob> NoPrinters::startJob(const std::string& printerName, const std::string&,
                                               const SheetPaper&) {
    throw ReportError("找不到印表機「" + printerName + "」, 無法列印");
}

}  // namespace zarvo
