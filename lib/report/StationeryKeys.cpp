#include "report/StationeryKeys.h"

#include <cmath>
#include <limits>
#include <type_traits>
#include <vector>

#include "report/DecimalText.h"
#include "report/ProfileNumbers.h"

namespace zarvo {

namespace {

constexpr std::string_view kGeneral = "General";
constexpr double kMaxShiftMm = 1000;
constexpr std::string_view kKeys[] = {"picture", "page", "dpi", "dx", "dy", "strength", "angle", "snapmargin"};
// A skew beyond this is no scan of the stationery laid on a scanner.
constexpr double kMaxAngleDegrees = 45;
// The skew is measured in steps of 0.002 degree and kept to 0.001.
constexpr int kAngleDecimals = 3;
constexpr double kMaxSnapMarginMm = 50;

bool isDpiSetting(double dpi) { return dpi == 0 || isPlausibleDpi(dpi); }
bool isShift(double mm) { return std::isfinite(mm) && std::abs(mm) <= kMaxShiftMm; }
bool isPage(double page) { return page >= 1 && page <= std::numeric_limits<int>::max(); }
bool isStrength(double percent) { return percent >= 0 && percent <= 100; }
bool isAngle(double degrees) { return std::abs(degrees) <= kMaxAngleDegrees; }
bool isSnapMargin(double mm) { return mm >= 0 && mm <= kMaxSnapMarginMm; }

// The keys of general; nullopt, with a fault for each key that cannot be
// used when faults is given.
std::optional<StationeryKeys> read(const ProfileSection& general, std::vector<ProfileFault>* faults) {
    StationeryKeys keys;
    bool ok = true;
    auto take = [&](std::string_view key, auto& field, bool integer, bool (*accepted)(double)) {
        const ProfileEntry* entry = general.find(key);
        if (!entry) return;
        const std::optional<double> value = entry->verbatim ? std::nullopt
                                            : integer      ? profileInteger(entry->value)
                                                           : profileNumber(entry->value);
        if (value && accepted(*value)) {
            field = static_cast<std::remove_reference_t<decltype(field)>>(*value);
            return;
        }
        ok = false;
        if (faults) faults->push_back({entry->line, std::string(key) + " 不正確", std::string(key)});
    };
    take("page", keys.page, true, isPage);
    take("dpi", keys.dpi, false, isDpiSetting);
    take("dx", keys.dx, false, isShift);
    take("dy", keys.dy, false, isShift);
    take("strength", keys.strength, true, isStrength);
    take("angle", keys.angle, false, isAngle);
    take("snapmargin", keys.snapmargin, false, isSnapMargin);
    if (const ProfileEntry* picture = general.find("picture")) {
        keys.picture = picture->value;
        if (picture->verbatim) {
            ok = false;
            if (faults) faults->push_back({picture->line, "picture 不正確", "picture"});
        }
    }
    if (!ok) return std::nullopt;
    return keys;
}

}  // namespace

bool isPlausibleDpi(double dpi) { return dpi >= 10 && dpi <= 10000; }

void checkStationeryKeys(ProfileSection& general) { read(general, &general.faults); }

std::optional<StationeryKeys> stationeryKeys(const FormProfile& profile) {
    const ProfileSection* general = profile.section(kGeneral);
    if (!general || !general->faults.empty()) return std::nullopt;
    std::optional<StationeryKeys> keys = read(*general, nullptr);
    if (!keys || keys->picture.empty()) return std::nullopt;
    return keys;
}

void setStationeryKeys(FormProfile& profile, const std::optional<StationeryKeys>& keys) {
    ProfileSection& general = profile.sectionFor(kGeneral);
    // New keys replace every stationery key, and with them what was wrong.
    general.faults.clear();
    if (!keys) {
        for (std::string_view key : kKeys) general.remove(key);
        return;
    }
    general.set("picture", keys->picture);
    general.set("page", std::to_string(keys->page));
    general.set("dpi", decimalText(keys->dpi));
    general.set("dx", decimalText(keys->dx));
    general.set("dy", decimalText(keys->dy));
    general.set("strength", std::to_string(keys->strength));
    // A straight picture and the usual margin need no key: profiles written
    // before either existed stay as they were.
    if (keys->angle != 0) {
        general.set("angle", decimalText(roundedToDecimals(keys->angle, kAngleDecimals)));
    } else {
        general.remove("angle");
    }
    if (keys->snapmargin != kDefaultSnapMarginMm) {
        general.set("snapmargin", decimalText(keys->snapmargin));
    } else {
        general.remove("snapmargin");
    }
}

}  // namespace zarvo
