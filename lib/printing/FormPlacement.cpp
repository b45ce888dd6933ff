#include "printing/FormPlacement.h"

#include <algorithm>
#include <cstdio>

#include "report/Units.h"

namespace zarvo {

FormPlacement placeForm(bool landscape, const SheetMargins& margins, double pageHeightMm, int dpi) {
    if (!landscape) return {mmToDots(margins.left, dpi), mmToDots(margins.top, dpi), false};
    // Turned, the form's left margin runs up from the page's bottom edge and
    // its top margin across from the page's left one.
    const SheetMargins form = landscapeMargins(margins);
    return {mmToDots(form.top, dpi), mmToDots(pageHeightMm - form.left, dpi), true};
}

PageCorrection pageCorrection(const PrinterCorrection& correction, const SheetMargins& margins, int dpi) {
    const double left = mmToDots(margins.left, dpi), top = mmToDots(margins.top, dpi);
    const double xx = correction.sx / 100, yy = correction.sy / 100;
    return PageCorrection{xx, left + mmToDots(correction.dx, dpi) - left * xx, yy,
                          top + mmToDots(correction.dy, dpi) - top * yy};
}

Overrun overrun(double left, double top, double right, double bottom, const SheetMargins& margins,
                double pageWidthMm, double pageHeightMm, int dpi) {
    const auto beyond = [dpi](double pixelsBeyond) { return std::max(0.0, dotsToMm(pixelsBeyond, dpi)); };
    return Overrun{beyond(mmToDots(margins.left, dpi) - left), beyond(mmToDots(margins.top, dpi) - top),
                   beyond(right - mmToDots(pageWidthMm - margins.right, dpi)),
                   beyond(bottom - mmToDots(pageHeightMm - margins.bottom, dpi))};
}

std::string overrunMessage(long long sheet, const Overrun& beyond) {
    std::string sides;
    const std::pair<const char*, double> edges[] = {
        {"左", beyond.left}, {"上", beyond.top}, {"右", beyond.right}, {"下", beyond.bottom}};
    for (const auto& [side, mm] : edges) {
        if (mm < 0.05) continue;
        char text[48];
        std::snprintf(text, sizeof text, "%s%s %.1f mm", sides.empty() ? "" : ", ", side, mm);
        sides += text;
    }
    if (sides.empty()) return {};
    return "第 " + std::to_string(sheet) + " 頁超出印表機可列印範圍: " + sides;
}

}  // namespace zarvo
