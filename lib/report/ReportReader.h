#pragma once
// The engine's reader of report files: the header line split at TABs, then a
// stream of whitespace-separated fields read section by section. The file
// stays open and positioned between sections.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "report/ByteStream.h"
#include "report/RowSchema.h"

namespace zarvo {

// The header line's five fields; pxoffset and pyoffset are 0 when absent.
struct ReportHeader {
    int size = 0;
    int xoffset = 0;
    int yoffset = 0;
    int pxoffset = 0;
    int pyoffset = 0;
};

// One LINE_INFO row (the columns of kLineColumns): style and width codes,
// end points in millimetres.
struct LineRow {
    int style = 0;
    int width = 0;
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// One LABEL_STRING or BLOCK_INFO row (the columns of kFrameColumns),
// lengths in mm.
struct FrameRow {
    int style = 0;
    float left = 0, top = 0, width = 0, height = 0;
    float rowgap = 0, colgap = 0;
    int distributed = 0;
    int font = 0;
    float ychar = 0, xmargin = 0, ymargin = 0;
    std::string label;  // Big5 bytes, one whitespace-free token
};

// Strict integer conversion of one header field: optional leading spaces, an
// optional sign, decimal digits, nothing after them, within 32 bits.
// Throws ConversionError carrying the field's text otherwise.
int strictToInt(std::string_view field);

// The report line that a message of this reader names ("報表檔第 N 行..."
// or "報表檔在第 N 行..."), found anywhere in text; nullopt when none.
std::optional<std::int64_t> reportLineOf(std::string_view text);

// Splits a header line (without its line end) at TABs into the five fields
// and converts them; throws ConversionError for the first bad field.
ReportHeader parseHeader(std::string_view line);

class ReportReader {
public:
    // Longest header line accepted, in bytes before its line end (CR LF or LF).
    static constexpr std::size_t kMaxHeaderBytes = 4096;
    // Longest text field (label) accepted, in bytes.
    static constexpr std::size_t kMaxTextBytes = 65536;

    // Opens the report at path (Big5 text, CR LF or LF line ends).
    // Throws ReportError when the file cannot be opened.
    explicit ReportReader(const std::string& path);
    // Reads a report held in memory (the same bytes a file would hold);
    // name stands for the file in messages.
    ReportReader(std::string bytes, std::string name);

    // Whether field (Big5 bytes), written as one field of a row, reads whole
    // as the number this reader takes there: an integer when integer is set,
    // else a decimal. Blanks around it are allowed; anything else is not.
    static bool readsAsNumber(std::string_view field, bool integer);

    // Reads the first line (call once, first) and converts it; throws
    // ConversionError for a bad field, ReportError when the line is longer
    // than kMaxHeaderBytes or the file cannot be read.
    ReportHeader readHeader();

    // Reads a keyword line: the keyword token (not compared) and its count.
    // A count that is missing (the next field does not start with a sign or
    // digit) reads as 0, as does a keyword line missing at the end of the
    // file. Returns nullopt when the count is malformed or negative;
    // problem() then says why.
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
    // The next byte (0..255) without consuming it, or -1 at the end.
    int peekChar();
    // Consumes and returns the next byte (-1 at the end), counting lines.
    int getChar();
    void skipWhitespace();
    void skipToken();
    // Read one field after skipping whitespace; false (with problem() set)
    // when the field is missing or malformed, or the reader has failed before.
    bool readField(int& value);
    bool readField(float& value);
    bool readField(std::string& value);
    // Reads the numbers of columns in order into numbers (as many), each
    // as a whole number or a decimal as its column says; false at the
    // first that cannot be read.
    bool readNumbers(std::span<const RowColumn> columns, double* numbers);
    // Starts a field: false at the end of the input or once failed.
    bool beginField();
    bool failed() const { return !problem_.empty(); }
    // Keeps the first problem only.
    void fail(std::string message);

    ByteStream in_;
    std::string path_;
    std::int64_t line_ = 1;         // line number of the next byte, for messages
    std::int64_t contentLine_ = 1;  // line of the last non-blank byte read
    std::string problem_;
};

}  // namespace zarvo
