#pragma once
// The printer list of the preview window and the printer selection dialog.

#include <string>
#include <vector>

#include "platform/Spooler.h"

namespace zarvo {

struct PrinterChoices {
    std::vector<std::string> names;  // UTF-8, in the system's order
    int selected = -1;               // index into names; -1 when names is empty
    std::string problem;             // why the spooler could not be asked; empty when it could
};

// The spooler's printers with the default selected, or the first when none
// is the default. A spooler that fails to answer (its service is down)
// gives an empty list and its message in problem; nothing is thrown.
PrinterChoices printerChoices(Spooler& spooler);

}  // namespace zarvo
