#pragma once
// Reading the form profile that lies beside a report file.

#include <memory>
#include <string>
#include <string_view>

#include "report/FormProfile.h"

namespace zarvo {

// The profile at profilePath, read without waiting on it: an empty profile
// when there is no file; one whose fileFault says why when it is no regular
// file, is larger than a profile can be, or cannot be read.
FormProfile readFormProfileFile(const std::string& profilePath);

// A profile's text read as parseFormProfile does, its [Block NAME] sections
// (value format and symbol keys), [Detail] and [Database ...] checked as the engine uses
// them: a key that cannot be used is a fault of its section, on its line.
// What the file reader and the designer (for the profile it holds in
// memory) both call.
FormProfile profileFromText(std::string_view text);

// The profile beside the report at reportPath (formProfilePathFor). Throws
// ReportError with the file, line and reason when it has a fault that stops
// printing; a fault in its stationery keys is left for the Layout page.
std::shared_ptr<const FormProfile> formProfileBeside(const std::string& reportPath);

}  // namespace zarvo
