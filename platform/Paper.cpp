#include "platform/Paper.h"

#include <utility>

namespace zarvo {

namespace {
// Portrait width and height of each size, millimetres.
std::pair<double, double> portraitMm(PaperSize size) {
    switch (size) {
    case PaperSize::A4: return {210, 297};
    case PaperSize::JisB4: return {257, 364};
    case PaperSize::A3: return {297, 420};
    }
    return {210, 297};
}
}  // namespace

double Paper::widthMm() const {
    auto [w, h] = portraitMm(size);
    return landscape ? h : w;
}

double Paper::heightMm() const {
    auto [w, h] = portraitMm(size);
    return landscape ? w : h;
}

std::optional<Paper> paperForCode(int code) {
    switch (code) {
    case 0: return Paper{PaperSize::A4, false};
    case 1: return Paper{PaperSize::A4, true};
    case 2: return Paper{PaperSize::JisB4, true};  // B4: landscape has the lower code
    case 3: return Paper{PaperSize::JisB4, false};
    case 4: return Paper{PaperSize::A3, false};
    case 5: return Paper{PaperSize::A3, true};
    default: return std::nullopt;
    }
}

}  // namespace zarvo
