#pragma once
// Passwords for databases, never kept in a form profile: from an
// environment variable, or from the user's credentials file
// ($XDG_CONFIG_HOME/zarvo/credentials, an INI file with a section per key
// holding password=, readable by its owner alone).

#include <optional>
#include <string>

namespace zarvo {

struct DatabaseSpec;

// The credentials file's path: $XDG_CONFIG_HOME/zarvo/credentials, or
// ~/.config/zarvo/credentials when XDG_CONFIG_HOME is not set.
std::string credentialsPath();

// The password spec asks for (UTF-8); nullopt when it asks for none.
// Throws ReportError (words without the password) when the variable is not
// set, the file is missing, others may read it, or it has no such key.
std::optional<std::string> databasePassword(const DatabaseSpec& spec);

}  // namespace zarvo
