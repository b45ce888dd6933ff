#pragma once
// A spooler with no printers: what a window sees when it is given no
// printing at all. Every job is refused.

#include "platform/Spooler.h"

namespace zarvo {

class NoPrinters : public Spooler {
public:
    // None.
    std::vector<PrinterInfo> printers() override { return {}; }
    // Throws ReportError "找不到印表機「NAME」, 無法列印".
    std::unique_ptr<PrintJob> startJob(const std::string& printerName, const std::string& documentName,
                                       const SheetPaper& paper) override;
};

}  // namespace zarvo
