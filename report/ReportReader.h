#pragma once
// The engine's reader of report files: the header line split at TABs, then a
// stream of whitespace-separated fields read section by section. The file
// stays open and positioned between sections.

#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

namespace zarvo {

// The header line's five fields; pxoffset and pyoffset are 0 when absent.
struct ReportHeader {
    int size = 0;
    int xoffset = 0;
    int yoffset = 0;
    int pxoffset = 0;
    int pyoffset = 0;
};

// One LINE_INFO row: style and width codes, end points in millimetres.
struct LineRow {
    int style = 0;
    int width = 0;
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// One LABEL_STRING or BLOCK_INFO row (the same 13 fields), lengths in mm.
struct FrameRow {
    int style = 0;
    float left = 0, top = 0, width = 0, height = 0;
    float rowgap = 0, colgap = 0;
    int distributed = 0;
    int font = 0;
    float ychar = 0, xmargin = 0, ymargin = 0;
    std::string label;  // Big5 bytes, one whitespace-free token
};

// Strict integer conversion of one header field: optional leading blanks, an
// optional sign, decimal digits, nothing after them, within 32 bits.
// Throws ConversionError carrying the field's text otherwise.
int strictToInt(std::string_view field);

// Splits a header line (without its line end) at TABs into the five fields
// and converts them; throws ConversionError for the first bad field.
ReportHeader parseHeader(std::string_view line);

class ReportReader {
public:
    // Opens the report at path (Big5 text, CR LF or LF line ends).
    // Throws ReportError when the file cannot be opened.
    explicit ReportReader(const std::string& path);

    // Reads the first line and converts it; throws ConversionError.
    ReportHeader readHeader();

    // Reads a keyword line: the keyword token (not compared) and its count.
    // A count that is missing reads as 0. Returns nullopt when the line cannot
    // be read; problem() then says why.
    std::optional<int> readKeywordLine();

    // Reads one row; nullopt at the first field that cannot be read (problem()
    // then says why). Once a read has failed every later read fails too, so
    // nothing is ever drawn from values that were not read.
    std::optional<LineRow> readLineRow();
    std::optional<FrameRow> readFrameRow();

    // Empty while everything read so far was well-formed; otherwise a UTF-8
    // message in the interface's language that names the place of the fault.
    const std::string& problem() const { return problem_; }

private:
    // Implementation helpers are declared in ReportReader.cpp's needs.
    int peekChar();
    int getChar();
    void skipWhitespace();
    std::optional<int> readInt();
    std::optional<float> readDecimal();
    std::optional<std::string> readToken();
    void fail(std::string_view what);

    std::ifstream in_;
    std::string path_;
    int line_ = 1;  // line number of the next character, for messages
    std::string problem_;
};

}  // namespace zarvo
