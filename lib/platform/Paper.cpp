#include "platform/Paper.h"

#include <charconv>
#include <utility>

namespace zarvo {

namespace {
// Portrait width and height of each size, millimetres.
std::pair<double, double> portraitMm(const Paper& paper) {
    switch (paper.size) {
    case PaperSize::A4: return {210, 297};
    case PaperSize::JisB4: return {257, 364};
    case PaperSize::A3: return {297, 420};
    case PaperSize::Custom: return {paper.customWidthMm, paper.customHeightMm};
    }
    return {210, 297};
}
}  // namespace

double Paper::widthMm() const {
    auto [w, h] = portraitMm(*this);
    return landscape ? h : w;
}

double Paper::heightMm() const {
    auto [w, h] = portraitMm(*this);
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

const std::vector<NamedPaper>& commonPapers() {
    static const std::vector<NamedPaper> papers = {
        {"連續報表 9½ x 11 in", 241.3, 279.4},
        {"連續報表 9½ x 5½ in", 241.3, 139.7},
        {"連續報表 14⅞ x 11 in", 377.8, 279.4},
        {"Letter", 215.9, 279.4},
    };
    return papers;
}

std::optional<Paper> paperFor(const SheetPaper& paper) {
    if (std::optional<Paper> coded = paperForCode(paper.code)) return coded;
    if (!paper.custom) return std::nullopt;
    return Paper{PaperSize::Custom, false, paper.custom->widthMm, paper.custom->heightMm};
}

std::string paperSizeLabel(double widthMm, double heightMm) {
    // One decimal at most, as the continuous papers are named (241.3, 139.7).
    auto text = [](double mm) {
        char buffer[32];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, mm, std::chars_format::fixed, 1).ptr;
        std::string written(buffer, end);
        if (written.size() > 2 && written.ends_with(".0")) written.resize(written.size() - 2);
        return written;
    };
    return text(widthMm) + " x " + text(heightMm) + " mm";
}

}  // namespace zarvo
