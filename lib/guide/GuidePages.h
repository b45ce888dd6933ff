#pragma once
// The page of the user's guide that each window opens with F1, by the
// window's object name. The guide's pages are Markdown files of one folder.

#include <span>
#include <string>
#include <string_view>

namespace zarvo {

// A window and the guide page that describes it.
struct GuidePage {
    std::string_view window;  // object name: "zarvo2_Form", "TabSheet6", ...
    std::string_view page;    // file name inside the guide: "index.md", ...
};

// The guide's table of contents, the page every other one leads back to.
inline constexpr std::string_view kGuideContents = "index.md";

// Every window that has a page of its own.
std::span<const GuidePage> guidePages();

// The page for the first of windows (innermost first: a page of a window,
// then the window) that has one; the table of contents when none has.
std::string guidePageFor(std::span<const std::string_view> windows);

}  // namespace zarvo
