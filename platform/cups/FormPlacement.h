#pragma once
// Where a form lies on a portrait page sent to a printer: device (0, 0) at
// the printable corner, a landscape form turned +90 degrees (counter-
// clockwise) so that its top runs along the sheet's left edge.

#include "platform/Spooler.h"

namespace zarvo {

// Device (0, 0) in device pixels from the page's top-left corner; turned:
// the form's x axis runs up the page and its y axis to the right.
struct FormPlacement {
    double x = 0;
    double y = 0;
    bool turned = false;
};

// The placement of a form (landscape or not) on a portrait page pageHeightMm
// tall with margins, at dpi dots per inch. A portrait form starts at the
// top-left printable corner; a landscape one at the bottom-left, so its left
// margin is the sheet's bottom margin and its top margin the sheet's left.
FormPlacement placeForm(bool landscape, const SheetMargins& margins, double pageHeightMm, int dpi);

}  // namespace zarvo
