#pragma once
// Which of a queue's papers a job on a custom paper asks for: the queue's
// own media of that size, else a custom size within the range the queue
// takes. No CUPS here, so that the choice can be tested by itself.

#include <optional>
#include <string>
#include <vector>

#include "platform/Spooler.h"

namespace zarvo {

// A paper as a queue offers it: the name a job asks for it by, its portrait
// size and its printable margins, millimetres.
struct QueueMedia {
    std::string name;
    double widthMm = 0;
    double heightMm = 0;
    SheetMargins margins;
    bool operator==(const QueueMedia&) const = default;
};

// The sizes a queue prints on paper of any size, and its margins there.
struct CustomSizeRange {
    double minWidthMm = 0;
    double minHeightMm = 0;
    double maxWidthMm = 0;
    double maxHeightMm = 0;
    SheetMargins margins;
};

// How far a queue's media may be from the paper asked for, in each direction.
inline constexpr double kMediaToleranceMm = 0.5;

// The media for a paper widthMm across the feed and heightMm along it: the
// nearest listed one within kMediaToleranceMm in both directions, else
// "Custom.WxHmm" of the exact size with the range's margins when the queue
// takes custom sizes and the paper lies within their range; nullopt when
// the queue has no such paper.
std::optional<QueueMedia> chooseMedia(double widthMm, double heightMm, const std::vector<QueueMedia>& listed,
                                      const std::optional<CustomSizeRange>& custom);

// "Custom.241.3x139.7mm": the name a job asks for a custom size by.
std::string customMediaName(double widthMm, double heightMm);

}  // namespace zarvo
