#pragma once
// A recording spooler whose printers have known margins, for the tests of
// what depends on a printer's printable area: each named printer has its
// margins on every paper, the others have none.

#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/recording/RecordingSpooler.h"

namespace zarvo::test {

class MarginSpooler : public RecordingSpooler {
public:
    // printers in order, the default marked; margins by printer name. Jobs
    // print at 300 dpi into trace.
    MarginSpooler(std::vector<PrinterInfo> printers = {}, std::map<std::string, SheetMargins> margins = {})
        : RecordingSpooler(trace, 300, {}) {
        use(std::move(printers), std::move(margins));
    }

    // From now on, printers and their margins in place of the ones before.
    void use(std::vector<PrinterInfo> printers, std::map<std::string, SheetMargins> margins) {
        setPrinters(std::move(printers));
        margins_ = std::move(margins);
    }
    std::optional<SheetMargins> sheetMargins(const std::string& printer, const SheetPaper&) override {
        const auto found = margins_.find(printer);
        if (found == margins_.end()) return std::nullopt;
        return found->second;
    }

    std::ostringstream trace;

private:
    std::map<std::string, SheetMargins> margins_;
};

}  // namespace zarvo::test
