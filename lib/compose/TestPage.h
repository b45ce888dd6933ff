#pragma once
// Writing the one page of a designer's preview from its test data.

#include <string>
#include <vector>

#include "engine/PageSequence.h"

namespace zarvo {

// Constructs an engine on reportPath, starts the next page of pages (its
// data file holds the report path) and appends one field record
// per test data line (Big5), name and value by the test data line rule,
// shifts 0. Throws ConversionError for a bad report header (nothing is then
// written) and ReportError when the report or a data file fails.
void writeTestPage(PageSequence& pages, const std::string& reportPath,
                   const std::vector<std::string>& testDataLines);

}  // namespace zarvo
