#include "report/IniDocument.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <utility>

#include "report/Big5.h"

namespace zarvo {

namespace {

constexpr std::string_view kGeneral = "General";
// Names the lines after a header that cannot be read; no line holds it.
const std::string kStrayPrefix = "\nstray ";

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower >= 'a' && lower <= 'f') return lower - 'a' + 10;
    return -1;
}

// The inside of a quoted value with its \\, \" and \x escapes (hex digits up
// to the next character that is not one, a UTF-16 code unit as QSettings
// writes them) undone; nullopt when malformed.
std::optional<std::string> unescaped(std::string_view quoted) {
    std::u32string text;
    const std::optional<std::u32string> points = utf8Decode(quoted);
    if (!points) return std::nullopt;
    for (std::size_t i = 0; i < points->size(); ++i) {
        const char32_t c = (*points)[i];
        if (c == U'"') return std::nullopt;
        if (c != U'\\') {
            text += c;
            continue;
        }
        if (++i == points->size()) return std::nullopt;
        const char32_t escaped = (*points)[i];
        if (escaped == U'\\' || escaped == U'"') {
            text += escaped;
            continue;
        }
        auto hexAt = [&](std::size_t at) {
            return at < points->size() && (*points)[at] < 0x80 ? hexValue(static_cast<char>((*points)[at])) : -1;
        };
        if (escaped != U'x' || hexAt(i + 1) < 0) return std::nullopt;
        char32_t code = 0;
        for (; hexAt(i + 1) >= 0; ++i) code = (code * 16 + static_cast<char32_t>(hexAt(i + 1))) & 0xFFFF;
        text += code;
    }
    return utf8Encode(text);
}

// The text of a value as written, "quoted" or bare; nullopt when malformed.
// A leading "@@" stands for '@'; any other leading '@' marks a typed value,
// which is no string.
std::optional<std::string> unwritten(std::string_view written) {
    const bool quoted = written.size() >= 2 && written.front() == '"' && written.back() == '"';
    if (!quoted && !written.empty() && written.front() == '"') return std::nullopt;
    std::optional<std::string> text =
        quoted ? unescaped(written.substr(1, written.size() - 2)) : std::optional<std::string>(written);
    if (!text) return std::nullopt;
    if (text->starts_with("@@")) return text->substr(1);
    if (text->starts_with('@')) return std::nullopt;
    return text;
}

// Whether value can be written bare and read back the same.
bool isPlainWord(std::string_view value) {
    return !value.empty() && std::all_of(value.begin(), value.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' || c == '_';
    });
}

// value as an INI string (QSettings too reads it back the same): quoted
// (commas, semicolons and edge blanks stay), '\' and '"' escaped, control
// characters as \x escapes, and a leading '@' doubled so that it is not
// taken for a type tag.
std::string written(std::string_view value) {
    if (isPlainWord(value)) return std::string(value);
    std::string out = value.starts_with('@') ? "\"@" : "\"";
    bool afterHexEscape = false;  // a hex digit here would extend that escape
    for (const char byte : value) {
        const auto code = static_cast<unsigned char>(byte);
        if (code < 0x20 || (afterHexEscape && std::isxdigit(code))) {
            static constexpr char kHex[] = "0123456789abcdef";
            out += "\\x";
            if (code >= 16) out += kHex[code / 16];
            out += kHex[code % 16];
            afterHexEscape = true;
            continue;
        }
        if (byte == '\\' || byte == '"') out += '\\';
        out += byte;
        afterHexEscape = false;
    }
    return out + '"';
}

// Whether text holds a control byte other than a tab: a value that is no
// string is written as it stands, and such a byte (a carriage return before
// the line's end above all) would not read back the same.
bool holdsControlByte(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto code = static_cast<unsigned char>(c);
        return (code < 0x20 && c != '\t') || code == 0x7F;
    });
}

// The entry's value as written: a verbatim value as it stands, else the
// file's own text while it still reads as the value and holds no control
// byte (a carriage return at its end would not survive), else written anew.
std::string writtenValue(const IniEntry& entry) {
    if (entry.verbatim) return entry.value;
    if (!holdsControlByte(entry.text) && unwritten(entry.text) == entry.value) return entry.text;
    return written(entry.value);
}

// A comment or blank line as kept: without the blanks and carriage returns
// at its end, which a rewrite could not keep.
std::string keptLine(std::string_view text) {
    while (!text.empty() && (isBlank(text.back()) || text.back() == '\r')) text.remove_suffix(1);
    return std::string(trimmed(text).empty() ? std::string_view() : text);
}

class Reader {
public:
    explicit Reader(IniDocument& document) : document_(document) {}

    void line(std::string_view text, int number) {
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        const std::string_view content = trimmed(text);
        if (content.empty() || content.front() == ';' || content.front() == '#') {
            pending_.push_back(keptLine(text));
            return;
        }
        if (content.front() == '[') return header(content, number);
        const std::size_t equals = content.find('=');
        if (equals == std::string_view::npos || trimmed(content.substr(0, equals)).empty()) {
            return fault(number, "這一行不是「名稱=值」");
        }
        const std::string key(trimmed(content.substr(0, equals)));
        const std::string_view writtenValue = trimmed(content.substr(equals + 1));
        const std::optional<std::string> value = unwritten(writtenValue);
        IniSection& section = current();
        if (section.find(key)) return fault(number, key + " 重複", key);
        if (!value && holdsControlByte(writtenValue)) return fault(number, key + " 的值含有控制字元", key);
        section.entries.push_back(
            {key, value.value_or(std::string(writtenValue)), number, !value, std::string(writtenValue), take()});
    }

    // Keeps the lines after the last entry or header at the end of its section.
    void end() {
        if (current_) current_->trailing = take();
    }

private:
    void header(std::string_view text, int number) {
        const std::string_view name = text.size() >= 2 && text.back() == ']'
                                          ? trimmed(text.substr(1, text.size() - 2)) : std::string_view();
        if (name.empty()) {
            // Its lines have no section to belong to: they are kept apart.
            current_ = &stray(number);
            return fault(number, "段落名稱不正確");
        }
        // Keys before any section are [General]'s, which may then follow.
        const IniSection* known = document_.section(name);
        current_ = &document_.sectionFor(name);
        if (known && known->line != 0) return fault(number, "段落 [" + std::string(name) + "] 重複");
        current_->line = number;
        // The header of [General] after its keys is written at its start:
        // the lines above it stay with the entry that follows.
        if (!known) current_->before = take();
    }

    IniSection& stray(int number) {
        IniSection& section = document_.sectionFor(kStrayPrefix + std::to_string(number));
        section.line = number;
        section.before = take();
        return section;
    }

    IniSection& current() {
        if (!current_) current_ = &document_.sectionFor(kGeneral);
        return *current_;
    }

    void fault(int number, std::string reason, std::string key = {}) {
        current().faults.push_back({number, std::move(reason), std::move(key)});
    }

    std::vector<std::string> take() { return std::exchange(pending_, {}); }

    IniDocument& document_;
    IniSection* current_ = nullptr;
    std::vector<std::string> pending_;  // comment and blank lines not yet placed
};

// Appends lines to text, noting whether the last one was blank; the text
// starts with no blank line.
void appendLines(std::string& text, const std::vector<std::string>& lines, bool& lastBlank) {
    for (const std::string& line : lines) {
        if (line.empty() && text.empty()) continue;
        text += line + '\n';
        lastBlank = line.empty();
    }
}

}  // namespace

const IniEntry* IniSection::find(std::string_view key) const {
    const auto found = std::find_if(entries.begin(), entries.end(), [&](const IniEntry& e) { return e.key == key; });
    return found == entries.end() ? nullptr : &*found;
}

const std::string* IniSection::value(std::string_view key) const {
    const IniEntry* entry = find(key);
    return entry && !entry->verbatim ? &entry->value : nullptr;
}

void IniSection::set(std::string_view key, std::string value) {
    const auto found = std::find_if(entries.begin(), entries.end(), [&](const IniEntry& e) { return e.key == key; });
    if (found != entries.end()) {
        found->value = std::move(value);
        found->verbatim = false;
        return;
    }
    entries.push_back({std::string(key), std::move(value), 0, false, {}, {}});
}

void IniSection::remove(std::string_view key) {
    const auto found = std::find_if(entries.begin(), entries.end(), [&](const IniEntry& e) { return e.key == key; });
    if (found == entries.end()) return;
    std::vector<std::string>& next = found + 1 == entries.end() ? trailing : (found + 1)->before;
    next.insert(next.begin(), found->before.begin(), found->before.end());
    entries.erase(found);
}

bool IniSection::stray() const { return name.starts_with(kStrayPrefix); }

bool IniDocument::empty() const {
    return std::all_of(sections.begin(), sections.end(), [](const IniSection& s) { return s.entries.empty(); });
}

const IniSection* IniDocument::section(std::string_view name) const {
    const auto found = std::find_if(sections.begin(), sections.end(), [&](const IniSection& s) { return s.name == name; });
    return found == sections.end() ? nullptr : &*found;
}

IniSection& IniDocument::sectionFor(std::string_view name) {
    const auto found = std::find_if(sections.begin(), sections.end(), [&](const IniSection& s) { return s.name == name; });
    if (found != sections.end()) return *found;
    IniSection& made = sections.emplace_back();
    made.name = std::string(name);
    return made;
}

void IniDocument::removeSection(std::string_view name) {
    const auto found = std::find_if(sections.begin(), sections.end(), [&](const IniSection& s) { return s.name == name; });
    if (found == sections.end()) return;
    if (found + 1 != sections.end()) {
        std::vector<std::string>& next = (found + 1)->before;
        next.insert(next.begin(), found->before.begin(), found->before.end());
    }
    sections.erase(found);
}

const IniFault* IniDocument::firstFault() const {
    for (const IniSection& section : sections) {
        if (!section.faults.empty()) return &section.faults.front();
    }
    return nullptr;
}

IniDocument parseIni(std::string_view text) {
    IniDocument document;
    Reader reader(document);
    int number = 0;
    std::size_t start = 0;
    // A final line break ends the last line; it opens no blank line.
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        reader.line(text.substr(start, end - start), ++number);
        start = end + 1;
    }
    reader.end();
    return document;
}

std::string percentDecoded(std::string_view text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            decoded += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
            continue;
        }
        decoded += text[i];
    }
    return decoded;
}

std::string iniText(const IniDocument& document) {
    std::string text;
    bool lastBlank = false;
    for (const IniSection& section : document.sections) {
        if (section.entries.empty()) continue;
        const bool blankAbove = !section.before.empty() && section.before.front().empty();
        if (!text.empty() && !lastBlank && !blankAbove) text += '\n';
        appendLines(text, section.before, lastBlank);
        text += "[" + section.name + "]\n";
        for (const IniEntry& entry : section.entries) {
            appendLines(text, entry.before, lastBlank);
            text += entry.key + "=" + writtenValue(entry) + "\n";
            lastBlank = false;
        }
        appendLines(text, section.trailing, lastBlank);
    }
    return text;
}

}  // namespace zarvo
