#include "report/FormProfile.h"

#include <algorithm>
#include <utility>

#include "report/Big5.h"
#include "report/ProfilePaper.h"
#include "report/StationeryKeys.h"

namespace zarvo {

namespace {

constexpr std::string_view kGeneral = "General";
constexpr std::string_view kBlockPrefix = "Block ";

bool needsEscape(unsigned char byte, std::size_t at, std::size_t size) {
    if (byte < 0x20 || byte == 0x7F || byte == '%' || byte == ']' || byte == ';' || byte == '=') return true;
    if (at == 0 && byte == '#') return true;
    return byte == ' ' && (at == 0 || at + 1 == size);
}

// Checks the keys of the sections this version knows.
void checkSection(ProfileSection& section) {
    if (section.name == kGeneral) checkStationeryKeys(section);
    if (section.name == kPaperSection) checkPaperKeys(section);
}

}  // namespace

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
        return s.stray() || (s.name != kGeneral && !s.faults.empty());
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
    const std::string utf8 = percentDecoded(sectionName.substr(kBlockPrefix.size()));
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
    static_cast<IniDocument&>(profile) = parseIni(bytes);
    for (ProfileSection& section : profile.sections) checkSection(section);
    return profile;
}

std::string formProfileText(const FormProfile& profile) { return iniText(profile); }

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
