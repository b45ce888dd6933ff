#pragma once
// A paper of the form's own size, as the form profile's [Paper] gives it for
// a report header code outside 0..5.

#include <string>

namespace zarvo {

// Its width lies across the feed and its height along it; nothing is turned.
struct CustomPaper {
    double widthMm = 0;
    double heightMm = 0;
    std::string name;      // the user's name for it (UTF-8), may be empty
    std::string sizeText;  // "WxH", the two numbers as the profile writes them
    bool operator==(const CustomPaper&) const = default;
};

// The smallest and largest width or height of a custom paper, millimetres.
inline constexpr double kMinPaperMm = 20;
inline constexpr double kMaxPaperMm = 1000;

}  // namespace zarvo
