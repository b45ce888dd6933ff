#pragma once
// One line of test data: a block name, a comma and the value.

#include <string>
#include <string_view>
#include <vector>

namespace zarvo {

struct TestDataField {
    std::string name;   // Big5 bytes; empty for a line of one word
    std::string value;  // Big5 bytes; holds no blank, TAB or comma
};

// Reads a test data line (without its line end): trims bytes 0..32 at both
// ends; TAB, blank and comma separate words; the name is the last word
// followed by a separator, the value the word after the last separator.
TestDataField readTestDataLine(std::string_view line);

}  // namespace zarvo

namespace zarvo {

// The lines of a test data text (Big5 bytes), line ends (CR LF, LF or CR)
// removed. A final empty line after the last line break is not a line.
std::vector<std::string> splitTestDataLines(std::string_view text);

}  // namespace zarvo
