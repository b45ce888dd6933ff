#include "report/ProfilePaper.h"

#include "report/DecimalText.h"
#include "report/ProfileNumbers.h"
#include "report/StationeryKeys.h"

namespace zarvo {

namespace {

// The length of key in mm, nullopt when missing or out of range; a fault
// is added for it when faults is given.
std::optional<double> length(const ProfileSection& paper, std::string_view key, std::vector<ProfileFault>* faults) {
    const ProfileEntry* entry = paper.find(key);
    const std::optional<double> mm = entry && !entry->verbatim ? profileNumber(entry->value) : std::nullopt;
    if (mm && *mm >= kMinPaperMm && *mm <= kMaxPaperMm) return mm;
    if (faults) {
        const std::string name(key);
        faults->push_back(entry ? ProfileFault{entry->line, name + " 必須是 20 到 1000 (mm) 的數字", name}
                                : ProfileFault{paper.line, "[Paper] 沒有 " + name, name});
    }
    return std::nullopt;
}

std::optional<CustomPaper> read(const ProfileSection& paper, std::vector<ProfileFault>* faults) {
    const std::optional<double> width = length(paper, "width", faults);
    const std::optional<double> height = length(paper, "height", faults);
    if (!width || !height) return std::nullopt;
    const ProfileEntry* name = paper.find("name");
    if (name && name->verbatim) {
        if (faults) faults->push_back({name->line, "name 的引號或跳脫字元不正確", "name"});
        return std::nullopt;
    }
    return CustomPaper{*width, *height, name ? name->value : std::string(),
                       paper.find("width")->value + "x" + paper.find("height")->value};
}

}  // namespace

void checkPaperKeys(ProfileSection& paper) { read(paper, &paper.faults); }

std::optional<CustomPaper> profilePaper(const FormProfile& profile) {
    const ProfileSection* paper = profile.section(kPaperSection);
    if (!paper || !paper->faults.empty()) return std::nullopt;
    return read(*paper, nullptr);
}

void setProfilePaper(FormProfile& profile, const std::optional<CustomPaper>& paper) {
    if (!paper) {
        profile.removeSection(kPaperSection);
        return;
    }
    ProfileSection& section = profile.sectionFor(kPaperSection);
    section.faults.clear();
    section.set("width", decimalText(paper->widthMm));
    section.set("height", decimalText(paper->heightMm));
    if (paper->name.empty()) {
        section.remove("name");
    } else {
        section.set("name", paper->name);
    }
}

CustomPaper customPaper(double widthMm, double heightMm, std::string name) {
    return CustomPaper{widthMm, heightMm, std::move(name), decimalText(widthMm) + "x" + decimalText(heightMm)};
}

}  // namespace zarvo
