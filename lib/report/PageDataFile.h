#pragma once
// Page data files: one per page. Line 1 is the report path; every further
// line is a field record "name TAB x-shift TAB y-shift TAB text".

#include <optional>
#include <string>
#include <string_view>

#include "report/ByteStream.h"

namespace zarvo {

// One field record: block name and text (Big5 bytes), shifts in mm.
struct FieldRecord {
    std::string name;
    float dx = 0;
    float dy = 0;
    std::string text;
};

// The text as a record stores it: an empty text becomes the full-width
// space, a leading blank the byte 0x01, each CR LF pair (and a lone LF) the
// break marker "~~"; a line break that ends the text is dropped.
std::string encodeFieldText(std::string_view text);

// Line 1 of a page file: the report path and a line end.
std::string formatPageHeader(std::string_view reportPath);

// One record line by the format "%s\t%f\t%f\t%s" and a line end; the text
// is encoded first.
std::string formatFieldRecord(std::string_view name, float dx, float dy, std::string_view text);

// Reads a page data file: the report path, then the records in order.
class PageDataReader {
public:
    // Opens path and reads line 1. Throws ReportError when it cannot be
    // opened or read.
    explicit PageDataReader(const std::string& path);

    // The report path from line 1, whole.
    const std::string& reportPath() const { return reportPath_; }

    // The next record, nullopt at the end of the file. A shift that does not
    // parse counts as 0 and the rest of its line is the text, so a record is
    // never drawn with a value that was not read.
    std::optional<FieldRecord> next();

private:
    void skipWhitespace();
    std::string readToken(std::size_t limit);
    std::optional<float> readShift();
    std::string readRestOfLine(std::size_t limit);

    ByteStream in_;
    std::string reportPath_;
};

}  // namespace zarvo
