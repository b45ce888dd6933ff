#include "guide/GuidePages.h"

namespace zarvo {

namespace {

constexpr GuidePage kPages[] = {
    {"zarvo2_Form", "index.md"},
    {"TabSheet6", "align-old-report.md"},
    {"TFieldForm", "formats.md"},
    {"CalibrationForm", "calibration.md"},
};

}  // namespace

std::span<const GuidePage> guidePages() { return kPages; }

std::string guidePageFor(std::span<const std::string_view> windows) {
    for (std::string_view window : windows)
        for (const GuidePage& page : kPages)
            if (page.window == window) return std::string(page.page);
    return std::string(kGuideContents);
}

}  // namespace zarvo
