#pragma once
// A skewed scan of the stationery turned straight for drawing under the form.

#include "stationery/StationeryPicture.h"

namespace zarvo {

// picture turned back by skewDegrees (how far its horizontals fall from left
// to right, clockwise on screen) about its centre, at the same size and
// resolution, the corners turned in filled with white. A picture kept
// without an image, or a skew of 0, is returned as it is.
StationeryPicture straightenedPicture(const StationeryPicture& picture, double skewDegrees);

}  // namespace zarvo
