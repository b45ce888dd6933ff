#include "database/DatabaseSpec.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <utility>

namespace zarvo {

bool singleStatement(std::string_view sql);

namespace {

constexpr std::array<std::pair<std::string_view, DatabaseDriver>, 4> kDrivers = {{
    {"sqlite", DatabaseDriver::Sqlite},
    {"postgresql", DatabaseDriver::Postgresql},
    {"mysql", DatabaseDriver::Mysql},
    {"odbc", DatabaseDriver::Odbc},
}};

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Whether a connect option or connection string names a password.
bool holdsPassword(std::string_view text) {
    const std::string lowered = lower(text);
    return lowered.find("password") != std::string::npos || lowered.find("pwd") != std::string::npos;
}

bool isNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool isNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Reads the keys of one section into a spec, collecting faults.
class DatabaseReader {
public:
    explicit DatabaseReader(const ProfileSection& section) : section_(section) {
        spec_.section = section.name;
        spec_.line = section.line;
    }

    ParsedDatabase read() {
        for (const ProfileEntry& entry : section_.entries) readEntry(entry);
        const std::string where = "[" + section_.name + "] ";
        if (!section_.find("driver")) fault(section_.line, "driver", where + "缺少 driver (sqlite、postgresql、mysql 或 odbc)");
        if (!section_.find("query")) fault(section_.line, "query", where + "缺少 query (取得資料的 SELECT)");
        if (spec_.driver == DatabaseDriver::Sqlite && section_.find("driver") && spec_.database.empty()) {
            fault(section_.line, "database", where + "缺少 database (SQLite 資料庫檔)");
        }
        if (!spec_.passwordEnv.empty() && !spec_.credentials.empty()) {
            fault(section_.find("credentials")->line, "credentials", "password-env 與 credentials 只能用一個");
        }
        ParsedDatabase parsed;
        parsed.faults = std::move(faults_);
        if (parsed.faults.empty()) parsed.spec = std::move(spec_);
        return parsed;
    }

private:
    void readEntry(const ProfileEntry& entry) {
        const std::string& key = entry.key;
        if (entry.verbatim) return fault(entry.line, key, key + " 的值無法讀取");
        const std::string& value = entry.value;
        if (key == "driver") return readDriver(entry);
        if (key == "database") {
            // An ODBC connection string may carry one; a profile must not.
            if (holdsPassword(entry.value)) {
                return fault(entry.line, key, "database 不可以含有密碼, 請用 password-env 或 credentials");
            }
            return text(entry, spec_.database, true);
        }
        if (key == "host") return text(entry, spec_.host, false);
        if (key == "user") return text(entry, spec_.user, false);
        if (key == "port") return number(entry, spec_.port, 1, 65535);
        if (key == "connect_timeout") return number(entry, spec_.connectTimeout, 1, 3600);
        if (key == "timeout") return number(entry, spec_.timeout, 1, 86400);
        if (key == "password-env") return text(entry, spec_.passwordEnv, true);
        if (key == "credentials") return text(entry, spec_.credentials, true);
        if (key == "options") return readOptions(entry);
        if (key == "query") {
            spec_.queryLine = entry.line;
            return statement(entry, spec_.query);
        }
        if (key == "items") {
            spec_.itemsLine = entry.line;
            return statement(entry, spec_.items);
        }
        if (key == "password" || key == "pwd") {
            return fault(entry.line, key, "密碼不可以寫在表單設定檔中, 請用 password-env 或 credentials");
        }
        (void)value;
        fault(entry.line, key, "[" + section_.name + "] 沒有 " + key + " 這個設定");
    }

    void readDriver(const ProfileEntry& entry) {
        const std::string word = lower(entry.value);
        for (const auto& [name, driver] : kDrivers) {
            if (word == name) {
                spec_.driver = driver;
                return;
            }
        }
        fault(entry.line, entry.key, "driver 必須是 sqlite、postgresql、mysql 或 odbc");
    }

    void readOptions(const ProfileEntry& entry) {
        // A password in the options would be written with the profile and
        // shown wherever the options are.
        if (holdsPassword(entry.value)) {
            return fault(entry.line, entry.key, "options 不可以含有密碼, 請用 password-env 或 credentials");
        }
        spec_.options = entry.value;
    }

    // One statement only: some drivers would run what follows a ";".
    void statement(const ProfileEntry& entry, std::string& into) {
        if (!singleStatement(entry.value)) return fault(entry.line, entry.key, entry.key + " 只能是一個 SQL 敘述");
        text(entry, into, true);
    }

    void text(const ProfileEntry& entry, std::string& into, bool required) {
        if (required && entry.value.empty()) return fault(entry.line, entry.key, entry.key + " 不可以是空的");
        into = entry.value;
    }

    void number(const ProfileEntry& entry, int& into, int low, int high) {
        int value = 0;
        const std::string& text = entry.value;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
            return fault(entry.line, entry.key,
                         entry.key + " 必須是 " + std::to_string(low) + " 到 " + std::to_string(high) + " 的整數");
        }
        into = value;
    }

    void fault(int line, const std::string& key, std::string reason) {
        faults_.push_back({line, std::move(reason), key});
    }

    const ProfileSection& section_;
    DatabaseSpec spec_;
    std::vector<ProfileFault> faults_;
};

// The end of a quoted run that opens at at with quote (a doubled quote
// stays inside); sql.size() when it never closes.
std::size_t quotedEnd(std::string_view sql, std::size_t at, char quote) {
    for (std::size_t i = at + 1; i < sql.size(); ++i) {
        if (sql[i] == '\\' && quote != '"') {
            ++i;
        } else if (sql[i] == quote) {
            if (i + 1 < sql.size() && sql[i + 1] == quote) {
                ++i;
            } else {
                return i + 1;
            }
        }
    }
    return sql.size();
}

// The end of a dollar-quoted string ($$...$$ or $tag$...$tag$) opening at
// at, or at itself when no such string opens there.
std::size_t dollarEnd(std::string_view sql, std::size_t at) {
    std::size_t i = at + 1;
    while (i < sql.size() && isNameChar(sql[i])) ++i;
    if (i >= sql.size() || sql[i] != '$' || (i > at + 1 && std::isdigit(static_cast<unsigned char>(sql[at + 1])))) return at;
    const std::string_view tag = sql.substr(at, i - at + 1);
    const std::size_t close = sql.find(tag, i + 1);
    return close == std::string_view::npos ? sql.size() : close + tag.size();
}

// The end of the run of sql at at that can hold no parameter (a quoted
// text or name, a comment), or at when none opens there.
std::size_t skipped(std::string_view sql, std::size_t at) {
    const char c = sql[at];
    if (c == '\'' || c == '"' || c == '`') return quotedEnd(sql, at, c);
    if (c == '$') return dollarEnd(sql, at);
    if (sql.substr(at, 2) == "--") {
        const std::size_t end = sql.find('\n', at);
        return end == std::string_view::npos ? sql.size() : end + 1;
    }
    if (sql.substr(at, 2) == "/*") {
        const std::size_t end = sql.find("*/", at + 2);
        return end == std::string_view::npos ? sql.size() : end + 2;
    }
    return at;
}

}  // namespace

bool singleStatement(std::string_view sql) {
    std::size_t i = 0;
    while (i < sql.size()) {
        const std::size_t end = skipped(sql, i);
        if (end != i) {
            i = end;
            continue;
        }
        if (sql[i] == ';') return sql.find_first_not_of(" \t\r\n;", i) == std::string_view::npos;
        ++i;
    }
    return true;
}

ParsedDatabase parseDatabaseSection(const ProfileSection& section) { return DatabaseReader(section).read(); }

void checkDatabaseSections(FormProfile& profile) {
    for (ProfileSection& section : profile.sections) {
        if (!isDatabaseSection(section.name)) continue;
        for (ProfileFault& fault : parseDatabaseSection(section).faults) section.faults.push_back(std::move(fault));
    }
}

std::string databaseSectionName(std::string_view name) {
    return name.empty() ? std::string(kDatabaseSection) : std::string(kDatabaseSection) + " " + std::string(name);
}

bool isDatabaseSection(std::string_view sectionName) {
    return sectionName == kDatabaseSection ||
           (sectionName.starts_with(kDatabaseSection) && sectionName.size() > kDatabaseSection.size() + 1 &&
            sectionName[kDatabaseSection.size()] == ' ');
}

std::optional<DatabaseSpec> databaseSpecOf(const FormProfile& profile, std::string_view name) {
    const ProfileSection* section = profile.section(databaseSectionName(name));
    if (!section || !section->faults.empty()) return std::nullopt;
    return parseDatabaseSection(*section).spec;
}

std::string_view driverWord(DatabaseDriver driver) {
    for (const auto& [word, d] : kDrivers) {
        if (d == driver) return word;
    }
    return {};
}

std::string_view qtDriverName(DatabaseDriver driver) {
    switch (driver) {
    case DatabaseDriver::Sqlite: return "QSQLITE";
    case DatabaseDriver::Postgresql: return "QPSQL";
    case DatabaseDriver::Mysql: return "QMYSQL";
    case DatabaseDriver::Odbc: return "QODBC";
    }
    return {};
}

PositionalSql positionalSql(std::string_view sql) {
    PositionalSql out;
    std::size_t i = 0;
    while (i < sql.size()) {
        const std::size_t end = skipped(sql, i);
        if (end != i) {
            out.sql += sql.substr(i, end - i);
            i = end;
            continue;
        }
        if (sql[i] == ':' && i + 1 < sql.size() && sql[i + 1] == ':') {
            out.sql += "::";
            i += 2;
            continue;
        }
        if (sql[i] == ':' && i + 1 < sql.size() && isNameStart(sql[i + 1])) {
            std::size_t name = i + 1;
            while (name < sql.size() && isNameChar(sql[name])) ++name;
            out.names.emplace_back(sql.substr(i + 1, name - i - 1));
            out.sql += '?';
            i = name;
            continue;
        }
        out.sql += sql[i++];
    }
    return out;
}

std::vector<std::string> parameterNames(std::string_view sql) {
    std::vector<std::string> names;
    for (std::string& name : positionalSql(sql).names) {
        if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(std::move(name));
    }
    return names;
}

}  // namespace zarvo
