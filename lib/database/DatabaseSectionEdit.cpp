#include "database/DatabaseSectionEdit.h"

#include <utility>

#include "database/DatabaseSpec.h"

namespace zarvo {

namespace {

struct KeyField {
    const char* key;
    std::string DatabaseFields::*field;
};

constexpr KeyField kKeys[] = {
    {"driver", &DatabaseFields::driver},
    {"database", &DatabaseFields::database},
    {"host", &DatabaseFields::host},
    {"port", &DatabaseFields::port},
    {"user", &DatabaseFields::user},
    {"password-env", &DatabaseFields::passwordEnv},
    {"credentials", &DatabaseFields::credentials},
    {"query", &DatabaseFields::query},
    {"items", &DatabaseFields::items},
};

}  // namespace

DatabaseFields databaseFieldsOf(const FormProfile& profile) {
    DatabaseFields fields;
    if (const ProfileSection* section = profile.section(kDatabaseSection)) {
        for (const KeyField& k : kKeys) {
            if (const std::string* value = section->value(k.key)) fields.*k.field = *value;
        }
    }
    if (fields.driver.empty()) fields.driver = "sqlite";
    return fields;
}

EditedDatabase withDatabaseFields(const FormProfile& profile, const DatabaseFields& fields) {
    EditedDatabase edited{profile, {}};
    ProfileSection& section = edited.profile.sectionFor(kDatabaseSection);
    for (const KeyField& k : kKeys) {
        const std::string& value = fields.*k.field;
        if (value.empty()) {
            section.remove(k.key);
        } else {
            section.set(k.key, value);
        }
    }
    section.faults.clear();
    edited.faults = parseDatabaseSection(section).faults;
    return edited;
}

}  // namespace zarvo
