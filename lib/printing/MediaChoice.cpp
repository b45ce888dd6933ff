#include "printing/MediaChoice.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace zarvo {

namespace {

// Millimetres to at most two decimals, without trailing zeros.
std::string millimetres(double mm) {
    char buffer[32];
    char* end = std::to_chars(buffer, buffer + sizeof buffer, mm, std::chars_format::fixed, 2).ptr;
    std::string text(buffer, end);
    while (text.ends_with('0')) text.pop_back();
    if (text.ends_with('.')) text.pop_back();
    return text;
}

// How far a listed media is from the paper: its larger difference.
double distance(const QueueMedia& media, double widthMm, double heightMm) {
    return std::max(std::abs(media.widthMm - widthMm), std::abs(media.heightMm - heightMm));
}

// Sizes in hundredths of a millimetre may be a rounding off a limit.
constexpr double kRoundingMm = 1e-6;

bool inRange(const CustomSizeRange& range, double widthMm, double heightMm) {
    return widthMm >= range.minWidthMm - kRoundingMm && widthMm <= range.maxWidthMm + kRoundingMm &&
           heightMm >= range.minHeightMm - kRoundingMm && heightMm <= range.maxHeightMm + kRoundingMm;
}

}  // namespace

std::optional<QueueMedia> chooseMedia(double widthMm, double heightMm, const std::vector<QueueMedia>& listed,
                                      const std::optional<CustomSizeRange>& custom) {
    const QueueMedia* nearest = nullptr;
    for (const QueueMedia& media : listed) {
        if (distance(media, widthMm, heightMm) > kMediaToleranceMm + kRoundingMm) continue;
        if (!nearest || distance(media, widthMm, heightMm) < distance(*nearest, widthMm, heightMm)) {
            nearest = &media;
        }
    }
    if (nearest) return *nearest;
    if (custom && inRange(*custom, widthMm, heightMm)) {
        return QueueMedia{customMediaName(widthMm, heightMm), widthMm, heightMm, custom->margins};
    }
    return std::nullopt;
}

std::string customMediaName(double widthMm, double heightMm) {
    return "Custom." + millimetres(widthMm) + "x" + millimetres(heightMm) + "mm";
}

}  // namespace zarvo
