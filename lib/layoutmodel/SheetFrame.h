#pragma once
// Where a report's sheet lies on the Layout page: its size as it lies, the
// printable area of the chosen printer and the printer origin, all in mm
// from the sheet's top-left corner.

#include <optional>

#include "layoutmodel/SceneTypes.h"
#include "platform/Spooler.h"

namespace zarvo {

struct SheetFrame {
    double widthMm = 0;
    double heightMm = 0;
    // Where a printer can put ink; the whole sheet without a printer.
    RectMm printable;
    // Where the form's (0, 0) lands: the printable area's top-left corner.
    PointMm origin() const { return {printable.left, printable.top}; }
};

// The sheet of paper (an A4 portrait sheet for a code outside 0..5 without a
// custom paper) with
// the printer margins of its portrait sheet; no margins: the sheet's corner
// is the origin. A landscape form lies turned on the portrait sheet, with
// the landscapeMargins of the sheet's.
SheetFrame sheetFrame(const SheetPaper& paper, const std::optional<SheetMargins>& portraitMargins);

}  // namespace zarvo
