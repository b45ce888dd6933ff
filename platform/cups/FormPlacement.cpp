#include "platform/cups/FormPlacement.h"

#include <algorithm>
#include <cstdio>

namespace zarvo {

namespace {
double toDevice(double mm, int dpi) { return mm * dpi / 25.4; }
double toMillimetres(double pixels, int dpi) { return pixels * 25.4 / dpi; }
}  // namespace

FormPlacement placeForm(bool landscape, const SheetMargins& margins, double pageHeightMm, int dpi) {
    if (!landscape) return {toDevice(margins.left, dpi), toDevice(margins.top, dpi), false};
    return {toDevice(margins.left, dpi), toDevice(pageHeightMm - margins.bottom, dpi), true};
}

PageCorrection pageCorrection(const PrinterCorrection& correction, const SheetMargins& margins, int dpi) {
    const double left = toDevice(margins.left, dpi), top = toDevice(margins.top, dpi);
    const double xx = correction.sx / 100, yy = correction.sy / 100;
    return PageCorrection{xx, left + toDevice(correction.dx, dpi) - left * xx, yy,
                          top + toDevice(correction.dy, dpi) - top * yy};
}

Overrun overrun(double left, double top, double right, double bottom, const SheetMargins& margins,
                double pageWidthMm, double pageHeightMm, int dpi) {
    const auto beyond = [dpi](double pixelsBeyond) { return std::max(0.0, toMillimetres(pixelsBeyond, dpi)); };
    return Overrun{beyond(toDevice(margins.left, dpi) - left), beyond(toDevice(margins.top, dpi) - top),
                   beyond(right - toDevice(pageWidthMm - margins.right, dpi)),
                   beyond(bottom - toDevice(pageHeightMm - margins.bottom, dpi))};
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
