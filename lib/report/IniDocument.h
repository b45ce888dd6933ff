#pragma once
// An INI document: [sections] of key=value lines, read and written so that
// what the program does not know stays where it stood. Sections and keys
// keep their order, unknown ones included; comment lines (';' or '#') and
// blank lines stay before the entry or header they stood before. Values
// are read as QSettings writes strings (bare, or quoted with '\' escapes),
// so settings files written through it read the same. The form profile,
// printers.conf and zarvo.conf are such documents.

#include <string>
#include <string_view>
#include <vector>

namespace zarvo {

// A line of the document that cannot be read or used, and why (UTF-8, in
// the interface's language). Line 0 stands for the file as a whole.
struct IniFault {
    int line = 0;
    std::string reason;
    std::string key;  // the key whose value cannot be used; empty for a line that cannot be read
    bool operator==(const IniFault&) const = default;
};

// One "key=value" line, its value with quotes and escapes undone.
struct IniEntry {
    std::string key;
    std::string value;
    int line = 0;  // 0 for an entry made in memory
    // The value is not a string (a typed value, broken quotes) and holds
    // its text as written: kept on rewrite, never used.
    bool verbatim = false;
    // The value as the file wrote it, written again while it still reads as
    // value: a hand-written file stays as it was.
    std::string text;
    std::vector<std::string> before;  // the comment and blank lines above it, as written
    bool operator==(const IniEntry&) const = default;
};

struct IniSection {
    std::string name;  // as between the brackets ("Paper", "Block %5Dx"); "General" for keys before any
    int line = 0;      // its header's line; 0 when it has none
    std::vector<IniEntry> entries;
    std::vector<IniFault> faults;      // its lines that could not be read or used
    std::vector<std::string> before;   // the comment and blank lines above its header
    std::vector<std::string> trailing; // those after its last entry at the end of the file

    // The entry of key, nullptr when there is none.
    const IniEntry* find(std::string_view key) const;
    // The value of key when it is a string, nullptr otherwise.
    const std::string* value(std::string_view key) const;
    // Sets key to value, in place when the key exists, else at the end.
    void set(std::string_view key, std::string value);
    // Removes key's entry, if any; the lines above it go to what follows.
    void remove(std::string_view key);
    // Whether it holds the lines after a header that could not be read.
    bool stray() const;
    bool operator==(const IniSection&) const = default;
};

class IniDocument {
public:
    std::vector<IniSection> sections;  // in the file's order

    // Whether there is nothing to write: no section holds an entry.
    bool empty() const;
    // The section named name, nullptr when there is none.
    const IniSection* section(std::string_view name) const;
    // The section named name, made at the end when there is none.
    IniSection& sectionFor(std::string_view name);
    // Removes the section named name, if any; the lines above its header go
    // to the section that follows.
    void removeSection(std::string_view name);
    // The first fault of any section, nullptr when there is none.
    const IniFault* firstFault() const;

    bool operator==(const IniDocument&) const = default;
};

// Reads a document's UTF-8 text. Never throws: a line that is no comment,
// header or key=value, a second header or key of the same name, and a value
// that is no string yet holds a control byte are faults of their section
// (the last could not be written back the same); the lines after a header
// that cannot be read go to a stray section of their own.
IniDocument parseIni(std::string_view text);

// The document's text: each section with entries, its kept lines in place,
// a blank line before each header but the first unless one stands there,
// none at the start. A value is written as the file wrote it while that
// still reads as the value, else quoted unless a plain word, with '\\', '"'
// and control characters escaped; a verbatim value as it was. Sections
// without entries are left out. Reading the text gives the same sections,
// entries and values back, and writing those the same text.
std::string iniText(const IniDocument& document);

// text with its %XX escapes (hex digits of either case) undone, as section
// names written with them are read ("a%5Db" -> "a]b"); other bytes as they are.
std::string percentDecoded(std::string_view text);

}  // namespace zarvo
