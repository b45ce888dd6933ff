#include "printing/JobOptions.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace zarvo {

namespace {

// Options that change where or how often a page lands on the sheet, or on
// which paper: the job sets its own or none.
constexpr std::array<std::string_view, 20> kPlacementOptions = {
    "media", "media-col", "media-size", "PageSize", "PageRegion", "orientation-requested",
    "landscape", "fit-to-page", "fitplot", "scaling", "natural-scaling", "ppi", "position",
    "print-scaling", "number-up", "number-up-layout", "copies", "page-ranges", "page-set",
    "mirror"};

bool placesPages(const std::string& name) {
    return std::find(kPlacementOptions.begin(), kPlacementOptions.end(), name) !=
           kPlacementOptions.end();
}

}  // namespace

const char* mediaName(PaperSize size) {
    switch (size) {
    case PaperSize::A4: return "iso_a4_210x297mm";
    case PaperSize::JisB4: return "jis_b4_257x364mm";
    case PaperSize::A3: return "iso_a3_297x420mm";
    case PaperSize::Custom: break;
    }
    return "iso_a4_210x297mm";
}

std::vector<JobOption> jobOptions(const std::vector<JobOption>& destinationOptions,
                                  const std::optional<std::string>& media) {
    std::vector<JobOption> options;
    for (const JobOption& option : destinationOptions) {
        if (!placesPages(option.first)) options.push_back(option);
    }
    if (media) options.emplace_back("media", *media);
    options.emplace_back("print-scaling", "none");
    options.emplace_back("copies", "1");
    options.emplace_back("number-up", "1");
    return options;
}

}  // namespace zarvo
