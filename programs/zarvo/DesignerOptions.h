#pragma once
// The designer's command line: zarvo [REPORT], zarvo --help, zarvo --version,
// zarvo --guide.
// Read before the application starts, so that help needs no display.

#include <optional>
#include <string>
#include <vector>

namespace zarvo {

extern const char* const kDesignerUsage;
extern const char* const kDesignerVersion;

struct DesignerOptions {
    bool help = false;
    bool version = false;
    bool guide = false;  // print where the user's guide is
    std::optional<std::string> report;  // the report to open, as given
};

// The options of args (without the program's name); nullopt with error set
// for an unknown option or a second report. "--" ends the options, so a
// report whose name starts with "-" can be given after it.
std::optional<DesignerOptions> parseDesignerOptions(const std::vector<std::string>& args, std::string& error);

}  // namespace zarvo
