#pragma once
// Text files on disk in Big5 with CR LF line breaks: report files and test
// data files. In memory their text has LF line breaks.

#include <optional>
#include <string>
#include <variant>

#include <QString>

namespace zarvo {

// A character of a text that Big5 cannot hold, and its line (from 1).
struct UnencodableCharacter {
    char32_t character;
    int line;
};

// Decodes Big5 bytes losslessly; CR LF, a lone CR and a lone LF each become
// one LF.
QString decodeBig5Text(const std::string& bytes);
// The Big5 bytes of text with every LF written as CR LF, or the first
// character Big5 cannot hold.
std::variant<std::string, UnencodableCharacter> encodeBig5Text(const QString& text);

// Shows the warning that names bad and its line, the sentence ending with
// consequence (UTF-8, e.g. "所以沒有存檔").
void warnUnencodable(const UnencodableCharacter& bad, const char* consequence);

// The bytes of text as writeBig5TextFile writes them, or nullopt after the
// warning of warnUnencodable with consequence.
std::optional<std::string> big5FileBytes(const QString& text, const char* consequence);

// Reads the whole Big5 file at path as decodeBig5Text does. Throws
// ReportError naming the file when it cannot be read or is not a regular
// file of at most 64 MiB (a FIFO never holds the program).
QString readBig5TextFile(const QString& path);

// Writes text to path as encodeBig5Text does, through a temporary file beside
// it that is renamed into place. Returns false, having written nothing, after
// a warning naming a character Big5 cannot hold and its line. Throws
// ReportError (FileGroupError) naming the file and why when it cannot be
// written; the file that was there stays whole. Returns true when written.
bool writeBig5TextFile(const QString& path, const QString& text);

}  // namespace zarvo
