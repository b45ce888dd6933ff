#pragma once
// A print job whose records come from its form's database: the rows are
// fetched once, when the job is accepted, and kept in the spool as the
// job's data file, so that the job prints what was asked for even when the
// database changes or is away while it waits.

#include <string>

#include "database/DatabaseConnection.h"

namespace zarvo {

// A data file's bytes and its extension ("csv" or "json").
struct JobData {
    std::string bytes;
    std::string extension;
};

// The rows of the [Database] of the form at reportPath queried with params,
// as a data file: CSV (UTF-8) of the rows when they are read as a data
// file's, JSON orders holding their items under [Detail] source when the
// database's items query gives them. Throws ReportError as the database
// does (its message naming the section, the profile's line and the
// database's words) or when the form has no [Database].
JobData databaseJobData(const std::string& reportPath, const DatabaseParameters& params);

}  // namespace zarvo
