#pragma once
// Where a form lies on a portrait page sent to a printer: device (0, 0) at
// the printable corner, a landscape form turned +90 degrees (counter-
// clockwise) so that its top runs along the sheet's left edge.

#include <string>

#include "platform/Spooler.h"
#include "printing/PrinterCorrections.h"

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
// top-left printable corner; a landscape one at the bottom-left, within its
// landscapeMargins.
FormPlacement placeForm(bool landscape, const SheetMargins& margins, double pageHeightMm, int dpi);

// A printer's correction on the portrait page, in device pixels from the
// sheet's corner: x' = xx * x + x0 and y' = yy * y + y0, which is
// x' = L + dx + (x - L) * sx / 100 (likewise y) with (L, T) the
// printable corner of margins.
struct PageCorrection {
    double xx = 1;
    double x0 = 0;
    double yy = 1;
    double y0 = 0;
};
PageCorrection pageCorrection(const PrinterCorrection& correction, const SheetMargins& margins, int dpi);

// How far, in mm, what was drawn (device pixels on the portrait page,
// left..right x top..bottom, after the correction) reaches beyond each edge
// of the printable area of a pageWidthMm x pageHeightMm page; 0 within it.
struct Overrun {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
    bool any() const { return left > 0 || top > 0 || right > 0 || bottom > 0; }
};
Overrun overrun(double left, double top, double right, double bottom, const SheetMargins& margins,
                double pageWidthMm, double pageHeightMm, int dpi);

// "第 N 頁超出印表機可列印範圍: 右 2.9 mm" (sides that overrun by at least
// 0.05 mm, each to 0.1 mm), for sheet N from 1; empty when none does.
std::string overrunMessage(long long sheet, const Overrun& beyond);

}  // namespace zarvo
