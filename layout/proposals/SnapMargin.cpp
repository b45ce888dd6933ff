#include "layout/proposals/SnapMargin.h"

#include "report/ProfileNumbers.h"

namespace zarvo {

double snapMargin(const FormProfile& profile) {
    const ProfileSection* general = profile.section("General");
    const std::string* text = general ? general->value("snapmargin") : nullptr;
    const std::optional<double> margin = text ? profileNumber(*text) : std::nullopt;
    return margin && *margin >= 0 && *margin <= kMaxSnapMarginMm ? *margin : kDefaultSnapMarginMm;
}

}  // namespace zarvo
