#include "layoutmodel/PaperChoices.h"

#include <algorithm>
#include <cmath>

#include "report/ProfileNumbers.h"
#include "report/ProfilePaper.h"
#include "report/Units.h"

namespace zarvo {

namespace {

constexpr double kLineMm = kMmPerInch / 6;

std::vector<PaperChoice> makeChoices() {
    std::vector<PaperChoice> choices = {
        {"A4 直式", SheetPaper(0)}, {"A4 橫式", SheetPaper(1)}, {"B4 橫式", SheetPaper(2)},
        {"B4 直式", SheetPaper(3)}, {"A3 直式", SheetPaper(4)}, {"A3 橫式", SheetPaper(5)},
    };
    for (const NamedPaper& paper : commonPapers()) {
        choices.push_back({paper.label, SheetPaper(kCustomPaperCode, customPaper(paper.widthMm, paper.heightMm, paper.label))});
    }
    return choices;
}

}  // namespace

const std::vector<PaperChoice>& paperChoices() {
    static const std::vector<PaperChoice> choices = makeChoices();
    return choices;
}

std::optional<std::size_t> paperChoiceIndex(const SheetPaper& paper) {
    const std::vector<PaperChoice>& choices = paperChoices();
    const auto found = std::find_if(choices.begin(), choices.end(), [&](const PaperChoice& choice) {
        if (paperForCode(paper.code)) return choice.paper.code == paper.code;
        return choice.paper.custom && paper.custom && choice.paper.custom->widthMm == paper.custom->widthMm &&
               choice.paper.custom->heightMm == paper.custom->heightMm;
    });
    if (found == choices.end()) return std::nullopt;
    return static_cast<std::size_t>(found - choices.begin());
}

std::string otherPaperLabel(const SheetPaper& paper) {
    if (!paper.custom) return "代碼 " + std::to_string(paper.code) + ": 印表機的預設紙張";
    const std::string size = paperSizeLabel(paper.custom->widthMm, paper.custom->heightMm);
    return "自訂: " + (paper.custom->name.empty() ? size : paper.custom->name + " " + size);
}

CustomPaperInput customPaperFrom(const std::string& widthText, const std::string& heightText, const std::string& name) {
    const std::optional<double> width = profileNumber(widthText);
    const std::optional<double> height = profileNumber(heightText);
    auto inRange = [](const std::optional<double>& mm) { return mm && *mm >= kMinPaperMm && *mm <= kMaxPaperMm; };
    if (!inRange(width) || !inRange(height)) return {std::nullopt, "紙張的寬與高必須是 20 到 1000 mm 的數字"};
    // Tenths of a millimetre are as fine as a paper is given.
    auto tenths = [](double mm) { return std::round(mm * 10) / 10; };
    return {customPaper(tenths(*width), tenths(*height), name), {}};
}

bool isWholeLineHeight(double heightMm) {
    const double lines = heightMm / kLineMm;
    return std::abs(lines - std::round(lines)) * kLineMm <= 0.01;
}

RowText formRowWithPaper(const FormProfile& profile, const SheetPaper& paper) {
    FormProfile changed = profile;
    setProfilePaper(changed, paperForCode(paper.code) ? std::nullopt : paper.custom);
    return RowText{std::to_string(paper.code), {formProfileText(changed)}};
}

}  // namespace zarvo
