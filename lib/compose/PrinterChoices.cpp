#include "compose/PrinterChoices.h"

#include <exception>

namespace zarvo {

PrinterChoices printerChoices(Spooler& spooler) {
    PrinterChoices choices;
    std::vector<PrinterInfo> printers;
    try {
        printers = spooler.printers();
    } catch (const std::exception& error) {
        choices.problem = error.what();
        return choices;
    }
    for (const PrinterInfo& printer : printers) {
        if (printer.isDefault && choices.selected < 0) {
            choices.selected = static_cast<int>(choices.names.size());
        }
        choices.names.push_back(printer.name);
    }
    if (choices.selected < 0 && !choices.names.empty()) choices.selected = 0;
    return choices;
}

}  // namespace zarvo
