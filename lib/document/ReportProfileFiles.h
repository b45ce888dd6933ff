#pragma once
// The form profile beside a report, as the designer opens and saves it with
// the report: a damaged profile kept aside when it is opened, and whether a
// save writes the profile file at all.

#include <string>

#include "report/FormProfile.h"

namespace zarvo {

// A profile opened with its report, and what to tell the user about it
// (UTF-8, empty when there is nothing to tell).
struct OpenedProfile {
    FormProfile profile;
    std::string warning;
};

// The profile beside reportPath (UTF-8 or local bytes as the file system
// takes them); empty when there is none. A profile with a fault that stops
// printing is copied aside to PATH.damaged, before any save writes a new
// one, and is used without the faulty keys.
OpenedProfile openProfileBeside(const std::string& reportPath);

// Where a save of reportPath writes stored: the profile's path, or empty
// when nothing is written. An empty profile is written only over an
// existing file (so that the file no longer says what was removed). A
// report named like a profile cannot have one: warning says so when stored
// holds something.
struct ProfileSave {
    std::string path;
    std::string warning;
};
ProfileSave profileSaveFor(const std::string& reportPath, const FormProfile& stored);

}  // namespace zarvo
