#pragma once
// The stationery keys of a form profile's [General] section: which picture
// of the pre-printed form lies under the sheet on the Layout page, and how.

#include <optional>
#include <string>

#include "report/FormProfile.h"

namespace zarvo {

// A frame fitted to a box of the stationery keeps this far inside its lines, mm.
inline constexpr double kDefaultSnapMarginMm = 0.5;

struct StationeryKeys {
    std::string picture;  // UTF-8, as stored: relative to the report's folder ('/'), or absolute
    int page = 1;         // the page of a PDF picture, from 1
    double dpi = 0;       // the resolution typed for a scan that stores none; 0: the file's own
    double dx = 0;        // the picture's shift to the right, mm
    double dy = 0;        // the picture's shift down, mm
    int strength = 50;    // 0..100 percent: how strongly the picture shows
    double angle = 0;     // the scan's skew, degrees clockwise, which the picture is drawn turned back by
    double snapmargin = kDefaultSnapMarginMm;  // how far a frame fitted to a box stays inside its lines, mm
    bool operator==(const StationeryKeys&) const = default;
};

// Whether dpi (dots per inch) is a resolution a scan can have: 10..10000.
bool isPlausibleDpi(double dpi);

// Adds a fault to general for each stationery key whose value cannot be
// used (the fault's key names it).
void checkStationeryKeys(ProfileSection& general);

// The stationery keys of profile: nullopt when [General] has no picture or
// a fault (stationeryFault() says which).
std::optional<StationeryKeys> stationeryKeys(const FormProfile& profile);

// Writes keys into profile's [General], keeping its other keys; nullopt
// removes the stationery keys.
void setStationeryKeys(FormProfile& profile, const std::optional<StationeryKeys>& keys);

}  // namespace zarvo
