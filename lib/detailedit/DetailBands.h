#pragma once
// Where the Layout page marks the detail rows: for each row of the
// profile's [Detail], the rectangle that spans that row's blocks. No widgets.

#include <vector>

#include "layoutmodel/LayoutScene.h"
#include "report/FormProfile.h"

namespace zarvo {

// One rectangle (mm, row coordinates) per detail row of profile that has a
// block in scene, in row order; none when the profile has no usable
// [Detail]. A block whose frame cannot be read adds nothing.
std::vector<RectMm> detailBands(const FormProfile& profile, const LayoutScene& scene);

}  // namespace zarvo
