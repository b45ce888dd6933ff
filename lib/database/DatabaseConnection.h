#pragma once
// One read-only connection to a form's database and the query it runs:
// connect and query time-outs, one statement only, parameters bound by the
// driver, rows read forward only. Every fault is a ReportError naming the
// database section, the profile's line and the database's own words, never
// the password.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include <QSqlDatabase>
#include <QSqlQuery>

#include "database/DatabaseSpec.h"

class QSqlError;

namespace zarvo {

// Query parameters by name without the colon ("no" for ":no"), values UTF-8.
using DatabaseParameters = std::map<std::string, std::string>;

// What a form needs of its database besides its section's settings: where the profile is
// (for messages), the report's folder (a relative SQLite path lies there),
// the parameters and the columns the form cannot do without (UTF-8).
struct DatabaseRequest {
    DatabaseSpec spec;
    std::string profilePath;
    std::string reportFolder;
    DatabaseParameters params;
    std::vector<std::string> orderColumns;  // of query
    std::vector<std::string> itemColumns;   // of items, when its items are read
    bool readItems = false;                 // run items for each order
};

// "資料庫 [SECTION] (表單設定檔 PATH 第 LINE 行): WHAT: WORDS", without WORDS when empty.
std::string databaseMessage(const DatabaseRequest& request, int line, std::string_view what, std::string_view words = {});

class DatabaseConnection {
public:
    // Connects as request's spec says; throws ReportError when the driver
    // is missing, the password cannot be had or the database refuses.
    explicit DatabaseConnection(const DatabaseRequest& request);
    ~DatabaseConnection();
    DatabaseConnection(const DatabaseConnection&) = delete;
    DatabaseConnection& operator=(const DatabaseConnection&) = delete;

    // Runs sql (the profile's line) with its parameters taken from values,
    // forward only; the query stays valid until the next run. Throws
    // ReportError for a parameter values lacks or a query the database rejects.
    QSqlQuery& run(const std::string& sql, int line, const DatabaseParameters& values);
    // Runs the last query again from its first row.
    QSqlQuery& rerun(int line);

    // The error for error, said at line: what the database said, the password left out.
    [[noreturn]] void fail(int line, std::string_view what, const QSqlError& error) const;

private:
    void begin();

    DatabaseRequest request_;
    QString name_;
    QSqlDatabase db_;
    std::optional<std::string> password_;
    std::unique_ptr<QSqlQuery> query_;
    std::string prepared_;  // the sql query_ holds
};

}  // namespace zarvo
