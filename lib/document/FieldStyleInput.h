#pragma once
// What the field properties dialog is given and what it keeps, without
// widgets: a block row's frame as its list shows it, the test data's value
// for the block, and the profile with the block's section as chosen.

#include <string>

#include <QStringList>

#include "report/FormProfile.h"
#include "report/ReportReader.h"

namespace zarvo {

// The frame of a block row named big5Name whose values (style, left, top,
// width, height, rowgap, colgap, distribution, font, ychar, xmargin,
// ymargin) are as its list shows them; a value that is no number counts as 0.
FrameRow frameRowOf(const std::string& big5Name, const QStringList& values);

// The value the test data lines (as the test data page holds them) give
// the block named big5Name: the last line of that name; empty when none.
std::string testDataValue(const QStringList& lines, const std::string& big5Name);

// profile with the section named sectionName replaced by chosen, or left
// out when chosen has no entry.
FormProfile withBlockSection(FormProfile profile, const std::string& sectionName, const ProfileSection& chosen);

}  // namespace zarvo
