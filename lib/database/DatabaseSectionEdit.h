#pragma once
// The [Database] section as the designer's database dialog edits it: its
// keys as texts, and the profile with the typed texts written back.

#include <string>
#include <vector>

#include "report/FormProfile.h"

namespace zarvo {

// The section's keys as typed (UTF-8); an empty text is a key left out.
struct DatabaseFields {
    std::string driver;
    std::string database;
    std::string host;
    std::string port;
    std::string user;
    std::string passwordEnv;
    std::string credentials;
    std::string query;
    std::string items;
};

// The texts of the profile's [Database] ("sqlite" for the driver when it has none).
DatabaseFields databaseFieldsOf(const FormProfile& profile);

// The profile with [Database] holding fields: each key set, or removed when
// its text is empty; the section's other keys (options, time-outs) kept.
// faults are what parseDatabaseSection finds in the result (in memory, so
// they name their keys, not lines); the profile is of no use while there
// are any.
struct EditedDatabase {
    FormProfile profile;
    std::vector<ProfileFault> faults;
};
EditedDatabase withDatabaseFields(const FormProfile& profile, const DatabaseFields& fields);

}  // namespace zarvo
