#include "platform/cups/FormPlacement.h"

namespace zarvo {

namespace {
double toDevice(double mm, int dpi) { return mm * dpi / 25.4; }
}  // namespace

FormPlacement placeForm(bool landscape, const SheetMargins& margins, double pageHeightMm, int dpi) {
    if (!landscape) return {toDevice(margins.left, dpi), toDevice(margins.top, dpi), false};
    return {toDevice(margins.left, dpi), toDevice(pageHeightMm - margins.bottom, dpi), true};
}

}  // namespace zarvo
