#include "report/TestDataLine.h"

namespace zarvo {

namespace {

bool isControlOrBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string_view trimmed(std::string_view line) {
    while (!line.empty() && isControlOrBlank(line.front())) line.remove_prefix(1);
    while (!line.empty() && isControlOrBlank(line.back())) line.remove_suffix(1);
    return line;
}

}  // namespace

TestDataField readTestDataLine(std::string_view line) {
    TestDataField field;
    std::string word;
    // No byte of a two-byte Big5 character is a TAB, blank or comma, so the
    // bytes can be walked one by one.
    for (char c : trimmed(line)) {
        if (c == '\t' || c == ' ' || c == ',') {
            if (!word.empty()) field.name = word;
            word.clear();
        } else {
            word += c;
        }
    }
    field.value = word;
    return field;
}

}  // namespace zarvo

namespace zarvo {

std::vector<std::string> splitTestDataLines(std::string_view text) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

}  // namespace zarvo
