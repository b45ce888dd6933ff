#pragma once
// The spooler the program prints with: the desktop program installs the
// system's, tests install a recording one. Until one is installed the
// program sees no printers.

#include "platform/Spooler.h"

namespace zarvo {

// The installed spooler, or one with no printers (whose jobs are refused
// with a ReportError) when none is installed.
Spooler& programSpooler();

// Installs spooler (not owned; must outlive its use); nullptr uninstalls.
void setProgramSpooler(Spooler* spooler);

}  // namespace zarvo
