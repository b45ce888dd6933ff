#include "preview/ProgramSpooler.h"

#include "report/ReportError.h"

namespace zarvo {

namespace {

class NoPrinters : public Spooler {
public:
    std::vector<PrinterInfo> printers() override { return {}; }
    std::unique_ptr<PrintJob> startJob(const std::string& printerName, const std::string&,
                                       const SheetPaper&) override {
        throw ReportError("找不到印表機「" + printerName + "」, 無法列印");
    }
};

Spooler* installed = nullptr;

}  // namespace

Spooler& programSpooler() {
    static NoPrinters none;
    return installed ? *installed : none;
}

void setProgramSpooler(Spooler* spooler) { installed = spooler; }

}  // namespace zarvo
