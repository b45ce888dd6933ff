#pragma once
// The margin left inside a stationery box when a frame is fitted to it: the
// form profile's [General] snapmargin, in mm.

#include "report/FormProfile.h"

namespace zarvo {

// The margin when the profile has none, or one that cannot be used.
inline constexpr double kDefaultSnapMarginMm = 0.5;
// The largest margin taken; a larger one leaves no frame in most boxes.
inline constexpr double kMaxSnapMarginMm = 10.0;

// The profile's snapmargin when it is a decimal number from 0 to
// kMaxSnapMarginMm, else kDefaultSnapMarginMm.
double snapMargin(const FormProfile& profile);

}  // namespace zarvo
