#pragma once
// The papers the Layout page offers (CB_paper), the custom paper a user
// types, and the form's row that a choice makes.

#include <optional>
#include <string>
#include <vector>

#include "layoutmodel/SceneTypes.h"
#include "platform/Paper.h"
#include "report/FormProfile.h"

namespace zarvo {

// The code written into the header for a paper the profile gives.
inline constexpr int kCustomPaperCode = 9;

struct PaperChoice {
    std::string label;  // UTF-8
    SheetPaper paper;
};

// The six papers of the header codes, the three continuous papers and
// Letter, in the order offered.
const std::vector<PaperChoice>& paperChoices();

// The index of paper among paperChoices(), nullopt when none is it (a
// custom paper of the user's own, or a code outside 0..5 without one).
std::optional<std::size_t> paperChoiceIndex(const SheetPaper& paper);

// What to show for a paper that no choice is: "自訂: NAME 100 x 50 mm", or
// "代碼 7: 印表機的預設紙張".
std::string otherPaperLabel(const SheetPaper& paper);

// What the custom paper dialog makes of its three texts: a paper, or why not.
struct CustomPaperInput {
    std::optional<CustomPaper> paper;
    std::string error;  // UTF-8, for a message; empty with a paper
};
CustomPaperInput customPaperFrom(const std::string& widthText, const std::string& heightText, const std::string& name);

// Whether a continuous form of heightMm is a whole number of the 1/6 inch
// lines that dot-matrix drivers set the page length in (within 0.01 mm).
bool isWholeLineHeight(double heightMm);

// The form's row (RowKind::Form) with paper put in: the header's code, and
// the profile's [Paper] set for a custom paper, removed for a code 0..5.
RowText formRowWithPaper(const FormProfile& profile, const SheetPaper& paper);

}  // namespace zarvo
