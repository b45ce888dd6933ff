#include "report/FormProfile.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "report/Big5.h"
#include "report/ProfilePaper.h"
#include "report/StationeryKeys.h"

namespace zarvo {

namespace {

constexpr std::string_view kGeneral = "General";
constexpr std::string_view kBlockPrefix = "Block ";
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
// which is never ours.
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

// Whether text holds a control byte other than a tab: a value that is not
// ours is written as it stands, and such a byte (a carriage return before the
// line's end above all) would not read back the same.
bool holdsControlByte(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto code = static_cast<unsigned char>(c);
        return (code < 0x20 && c != '\t') || code == 0x7F;
    });
}

bool needsEscape(unsigned char byte, std::size_t at, std::size_t size) {
    if (byte < 0x20 || byte == 0x7F || byte == '%' || byte == ']' || byte == ';' || byte == '=') return true;
    if (at == 0 && byte == '#') return true;
    return byte == ' ' && (at == 0 || at + 1 == size);
}

class Reader {
public:
    explicit Reader(FormProfile& profile) : profile_(profile) {}

    void line(std::string_view text, int number) {
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        text = trimmed(text);
        if (text.empty() || text.front() == ';' || text.front() == '#') return;
        if (text.front() == '[') return header(text, number);
        const std::size_t equals = text.find('=');
        if (equals == std::string_view::npos || trimmed(text.substr(0, equals)).empty()) {
            return fault(number, "這一行不是「名稱=值」");
        }
        const std::string key(trimmed(text.substr(0, equals)));
        const std::string_view writtenValue = trimmed(text.substr(equals + 1));
        const std::optional<std::string> value = unwritten(writtenValue);
        ProfileSection& section = current();
        if (section.find(key)) return fault(number, key + " 重複", key);
        if (!value && holdsControlByte(writtenValue)) return fault(number, key + " 的值含有控制字元", key);
        section.entries.push_back({key, value.value_or(std::string(writtenValue)), number, !value});
    }

private:
    void header(std::string_view text, int number) {
        const std::string_view name = text.size() >= 2 && text.back() == ']'
                                          ? trimmed(text.substr(1, text.size() - 2)) : std::string_view();
        if (name.empty()) {
            // Its lines have no section to belong to: they are kept apart
            // and the fault counts as one that stops printing.
            current_ = &stray(number);
            return fault(number, "段落名稱不正確");
        }
        // Keys before any section are [General]'s, which may then follow.
        const ProfileSection* known = profile_.section(name);
        current_ = &profile_.sectionFor(name);
        if (known && known->line != 0) return fault(number, "段落 [" + std::string(name) + "] 重複");
        current_->line = number;
    }

    ProfileSection& stray(int number) {
        ProfileSection& section = profile_.sectionFor(kStrayPrefix + std::to_string(number));
        section.line = number;
        return section;
    }

    ProfileSection& current() {
        if (!current_) current_ = &profile_.sectionFor(kGeneral);
        return *current_;
    }

    void fault(int number, std::string reason, std::string key = {}) {
        current().faults.push_back({number, std::move(reason), std::move(key)});
    }

    FormProfile& profile_;
    ProfileSection* current_ = nullptr;
};

// Checks the keys of the sections this version knows.
void checkSection(ProfileSection& section) {
    if (section.name == kGeneral) checkStationeryKeys(section);
    if (section.name == kPaperSection) checkPaperKeys(section);
}

}  // namespace

const ProfileEntry* ProfileSection::find(std::string_view key) const {
    const auto found = std::find_if(entries.begin(), entries.end(), [&](const ProfileEntry& e) { return e.key == key; });
    return found == entries.end() ? nullptr : &*found;
}

const std::string* ProfileSection::value(std::string_view key) const {
    const ProfileEntry* entry = find(key);
    return entry && !entry->verbatim ? &entry->value : nullptr;
}

void ProfileSection::set(std::string_view key, std::string value) {
    const auto found = std::find_if(entries.begin(), entries.end(), [&](const ProfileEntry& e) { return e.key == key; });
    if (found != entries.end()) {
        found->value = std::move(value);
        found->verbatim = false;
        return;
    }
    entries.push_back({std::string(key), std::move(value), 0});
}

void ProfileSection::remove(std::string_view key) {
    std::erase_if(entries, [&](const ProfileEntry& e) { return e.key == key; });
}

bool FormProfile::empty() const {
    return std::all_of(sections.begin(), sections.end(), [](const ProfileSection& s) { return s.entries.empty(); });
}

const ProfileSection* FormProfile::section(std::string_view name) const {
    const auto found = std::find_if(sections.begin(), sections.end(), [&](const ProfileSection& s) { return s.name == name; });
    return found == sections.end() ? nullptr : &*found;
}

ProfileSection& FormProfile::sectionFor(std::string_view name) {
    const auto found = std::find_if(sections.begin(), sections.end(), [&](const ProfileSection& s) { return s.name == name; });
    if (found != sections.end()) return *found;
    ProfileSection& made = sections.emplace_back();
    made.name = std::string(name);
    return made;
}

void FormProfile::removeSection(std::string_view name) {
    std::erase_if(sections, [&](const ProfileSection& s) { return s.name == name; });
}

const ProfileSection* FormProfile::block(std::string_view big5Name) const {
    const auto found = std::find_if(sections.begin(), sections.end(), [&](const ProfileSection& s) {
        const std::optional<std::string> name = blockNameOf(s.name);
        return name && *name == big5Name;
    });
    return found == sections.end() ? nullptr : &*found;
}

void FormProfile::renameBlock(std::string_view big5Name, std::string_view newBig5Name) {
    if (const ProfileSection* found = block(big5Name)) {
        const_cast<ProfileSection*>(found)->name = blockSectionName(newBig5Name);
    }
}

std::optional<ProfileFault> FormProfile::stoppingFault() const {
    if (!fileFault.empty()) return ProfileFault{0, fileFault, {}};
    for (const ProfileSection& section : sections) {
        if (section.name != kGeneral && !section.faults.empty()) return section.faults.front();
    }
    return std::nullopt;
}

const ProfileFault* FormProfile::stationeryFault() const {
    const ProfileSection* general = section(kGeneral);
    return general && !general->faults.empty() ? &general->faults.front() : nullptr;
}

FormProfile FormProfile::withoutStoppingFaults() const {
    // A section with a fault goes as a whole: what is left of it could be
    // as wrong, and the damaged file is kept aside with all of it.
    FormProfile kept = *this;
    kept.fileFault.clear();
    std::erase_if(kept.sections, [](const ProfileSection& s) {
        return s.name.starts_with(kStrayPrefix) || (s.name != kGeneral && !s.faults.empty());
    });
    return kept;
}

std::string blockSectionName(std::string_view big5Name) {
    const std::string utf8 = big5ToUtf8(big5Name);
    std::string name(kBlockPrefix);
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (!needsEscape(byte, i, utf8.size())) {
            name += utf8[i];
            continue;
        }
        static constexpr char kHex[] = "0123456789ABCDEF";
        name += '%';
        name += kHex[byte / 16];
        name += kHex[byte % 16];
    }
    return name;
}

std::optional<std::string> blockNameOf(std::string_view sectionName) {
    if (!sectionName.starts_with(kBlockPrefix)) return std::nullopt;
    const std::string_view escaped = sectionName.substr(kBlockPrefix.size());
    std::string utf8;
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        if (escaped[i] == '%' && i + 2 < escaped.size() && hexValue(escaped[i + 1]) >= 0 &&
            hexValue(escaped[i + 2]) >= 0) {
            utf8 += static_cast<char>(hexValue(escaped[i + 1]) * 16 + hexValue(escaped[i + 2]));
            i += 2;
            continue;
        }
        utf8 += escaped[i];
    }
    return utf8ToBig5(utf8);
}

FormProfile parseFormProfile(std::string_view bytes) {
    FormProfile profile;
    if (bytes.size() > kMaxProfileBytes) {
        profile.fileFault = "檔案太大, 不是表單設定檔";
        return profile;
    }
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    if (!utf8Decode(bytes)) {
        profile.fileFault = "檔案不是 UTF-8 文字";
        return profile;
    }
    Reader reader(profile);
    int number = 0;
    std::size_t start = 0;
    while (start <= bytes.size()) {
        const std::size_t end = std::min(bytes.find('\n', start), bytes.size());
        reader.line(bytes.substr(start, end - start), ++number);
        start = end + 1;
    }
    for (ProfileSection& section : profile.sections) checkSection(section);
    return profile;
}

std::string formProfileText(const FormProfile& profile) {
    std::string text;
    for (const ProfileSection& section : profile.sections) {
        if (section.entries.empty()) continue;
        if (!text.empty()) text += '\n';
        text += "[" + section.name + "]\n";
        for (const ProfileEntry& entry : section.entries) {
            text += entry.key + "=" + (entry.verbatim ? entry.value : written(entry.value)) + "\n";
        }
    }
    return text;
}

std::string profileFaultMessage(const std::string& profilePath, const ProfileFault& fault) {
    if (fault.line == 0) return "表單設定檔 " + profilePath + ": " + fault.reason;
    return "表單設定檔 " + profilePath + " 第 " + std::to_string(fault.line) + " 行: " + fault.reason;
}

std::string formProfilePathFor(const std::string& reportPath) {
    const std::size_t slash = reportPath.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (nameStart == reportPath.size()) return {};
    // A leading dot belongs to the name (".note"), not to an extension.
    const std::size_t dot = reportPath.rfind('.');
    const std::string stem = dot != std::string::npos && dot > nameStart ? reportPath.substr(0, dot) : reportPath;
    const std::string path = stem + ".zarvo";
    return path == reportPath ? std::string() : path;
}

}  // namespace zarvo
