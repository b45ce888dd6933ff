#pragma once
// A form's database as the origin of its records: what the renderer, the
// designer's preview and the print service hand the page composition in
// place of a data file.

#include <string>
#include <string_view>

#include "database/DatabaseConnection.h"
#include "report/DataFile.h"

namespace zarvo {

class FormProfile;

// What the form at reportPath (its profile read) asks of the database of
// its section [Database NAME] ([Database] for an empty name), with params:
// the columns [Detail] needs (fields, group, the summed fields, last) and
// whether its items query is to be run. Throws ReportError when the
// profile has no such section (or it has a fault).
DatabaseRequest databaseRequest(const std::string& reportPath, const FormProfile& profile, std::string_view name,
                                const DatabaseParameters& params);

// The origin whose records the request's query gives, opened afresh each
// time it is read (each time a connection of its own).
DataOrigin databaseOrigin(const DatabaseRequest& request);

// The parameters of a text "k=v; k2=v2" (names without colons, blanks
// around each pair dropped); pairs without "=" or a name are left out.
DatabaseParameters parametersOf(std::string_view text);

// "k=v" as a parameter (name without a leading colon); nullopt without "=" or a name.
std::optional<std::pair<std::string, std::string>> parameterArgument(std::string_view text);

}  // namespace zarvo
