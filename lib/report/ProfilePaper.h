#pragma once
// The form profile's [Paper]: a paper of the form's own size (width and
// height in mm, 20 to 1000, and an optional name), used when the report
// header's paper code lies outside 0..5.

#include <optional>
#include <string>
#include <string_view>

#include "report/CustomPaper.h"
#include "report/FormProfile.h"

namespace zarvo {

inline constexpr std::string_view kPaperSection = "Paper";

// Adds a fault to paper for a missing or unusable width or height.
void checkPaperKeys(ProfileSection& paper);

// The paper [Paper] gives, nullopt when there is none or it has a fault.
std::optional<CustomPaper> profilePaper(const FormProfile& profile);

// Writes paper into [Paper] (width, height, and name when it has one),
// keeping the section's other keys; nullopt removes the section.
void setProfilePaper(FormProfile& profile, const std::optional<CustomPaper>& paper);

// A custom paper of widthMm x heightMm named name, its size text as the
// profile writes it.
CustomPaper customPaper(double widthMm, double heightMm, std::string name = {});

}  // namespace zarvo
