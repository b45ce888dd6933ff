#pragma once
// The form profile's [Database] and [Database NAME] sections: which
// database fills the form and with what query. Standard C++ only, so the
// engine checks these sections as it checks the others.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "report/FormProfile.h"

namespace zarvo {

inline constexpr std::string_view kDatabaseSection = "Database";

enum class DatabaseDriver { Sqlite, Postgresql, Mysql, Odbc };

// One named parameter of a query (":no"): its name without the colon.
// A query as the driver takes it: each ":name" replaced by "?", the names
// in the order of their places (a name used twice is there twice).
struct PositionalSql {
    std::string sql;
    std::vector<std::string> names;
};

// The keys of one [Database] section; texts UTF-8 as the profile writes them.
struct DatabaseSpec {
    std::string section;  // "Database" or "Database NAME"
    int line = 0;         // the section header's line
    DatabaseDriver driver = DatabaseDriver::Sqlite;
    std::string database;
    std::string host;
    int port = 0;  // 0: the driver's own
    std::string user;
    std::string options;      // the driver's connect options, "KEY=VALUE;..."
    std::string passwordEnv;  // the environment variable holding the password
    std::string credentials;  // the section of the credentials file holding it
    int connectTimeout = 10;  // seconds
    int timeout = 60;         // seconds, for each query
    std::string query;
    int queryLine = 0;
    std::string items;  // the items query run for each order; may be empty
    int itemsLine = 0;
    bool operator==(const DatabaseSpec&) const = default;
};

struct ParsedDatabase {
    std::optional<DatabaseSpec> spec;
    std::vector<ProfileFault> faults;
};
// Reads one [Database ...] section; a key that cannot be used is a fault on its line.
ParsedDatabase parseDatabaseSection(const ProfileSection& section);

// Adds the faults of every [Database ...] section to it, so that they stop
// printing like the profile's other faults.
void checkDatabaseSections(FormProfile& profile);

// "Database" for an empty name, else "Database NAME".
std::string databaseSectionName(std::string_view name);

// Whether sectionName is a [Database] or [Database NAME] section.
bool isDatabaseSection(std::string_view sectionName);

// The settings of the [Database] section named for name; nullopt when there is none or it
// has a fault (checkDatabaseSections says which).
std::optional<DatabaseSpec> databaseSpecOf(const FormProfile& profile, std::string_view name);

// The driver's profile word ("sqlite", ...) and Qt SQL's driver name ("QSQLITE", ...).
std::string_view driverWord(DatabaseDriver driver);
std::string_view qtDriverName(DatabaseDriver driver);

// sql with its named parameters as positional ones. A colon inside a quoted
// string, a quoted name, a comment, a dollar-quoted string or a "::" cast is
// no parameter.
PositionalSql positionalSql(std::string_view sql);

// Whether sql holds one statement: nothing but blanks after a ";" that is
// not quoted or in a comment.
bool singleStatement(std::string_view sql);

// The distinct parameter names of sql, in order of first use.
std::vector<std::string> parameterNames(std::string_view sql);

}  // namespace zarvo
