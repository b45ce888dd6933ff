// A form's database read as records, on real databases: an SQLite file made
// here, a private PostgreSQL server and a private MariaDB server.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "compose/DataPages.h"
#include "database/DatabaseOrigin.h"
#include "database/DatabaseRecords.h"
#include "engine/FormProfileFile.h"
#include "report/Big5.h"
#include "report/ReportError.h"
#include "tests/common/TempDir.h"
#include "tests/support/PrivateMariaDb.h"
#include "tests/support/PrivatePostgres.h"

namespace zarvo {
namespace {

using test::PrivateMariaDb;
using test::PrivatePostgres;
using test::TempDir;

// Each value's kind in every database; SQLite's NUMERIC keeps 12.50 as the
// number 12.5, PostgreSQL's numeric(14,2) and MariaDB's decimal(14,2) their
// digits. MariaDB's boolean is tinyint(1).
constexpr const char* kValuesTable =
    "CREATE TABLE v (k integer, amount numeric(14,2), ratio real, paid boolean, day date, stamp timestamp, "
    "blank text, words text);\n"
    "INSERT INTO v VALUES (1, 12.50, 0.1, true, '2024-06-14', '2024-06-14 08:05:09', NULL, '出貨 ''單'''),\n"
    "  (2, 0.10, 2.5, false, '2024-02-29', '1999-12-31 23:59:59', NULL, 'x');\n"
    "CREATE TABLE items (no text, amount numeric(14,2));\n"
    "INSERT INTO items VALUES ('A1', 0.10), ('A1', 0.20), ('A1', 1200.35), ('A2', 99999999999.99), ('A2', 0.01);\n";

class DatabaseRecordsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        SetUpMariaDb();
        if (!PrivatePostgres::available()) return;
        postgres = std::make_unique<PrivatePostgres>();
        postgres->run(kValuesTable);
    }
    static void SetUpMariaDb() {
        if (!PrivateMariaDb::available()) return;
        mariadb = std::make_unique<PrivateMariaDb>();
        mariadb->run(kValuesTable);
    }
    static void TearDownTestSuite() {
        postgres.reset();
        mariadb.reset();
    }

    DatabaseRecordsTest() {
        const std::string script = dir.write("v.sql", kValuesTable);
        EXPECT_EQ(std::system(("sqlite3 '" + (dir.path() / "v.db").string() + "' < '" + script + "'").c_str()), 0);
        std::filesystem::copy_file(std::string(ZARVO_SOURCE_DIR) + "/examples/delivery_note.txt",
                                   dir.path() / "note.txt");
    }

    // The sources to try: SQLite always, PostgreSQL and MariaDB when installed.
    std::vector<std::pair<std::string, std::string>> databases() const {
        std::vector<std::pair<std::string, std::string>> out = {{"sqlite", "driver=sqlite\ndatabase=v.db\n"}};
        if (postgres) {
            out.push_back({"postgresql", "driver=postgresql\nhost=" + postgres->socketDirectory() + "\nport=" +
                                             std::to_string(postgres->port()) + "\nuser=zarvo\ndatabase=zarvo\n"});
        }
        if (mariadb) out.push_back({"mariadb", mariadbKeys()});
        return out;
    }
    // As root on the server's socket: all rights, so only the connection
    // keeps the data unchanged.
    static std::string mariadbKeys() {
        return "driver=mysql\noptions=UNIX_SOCKET=" + mariadb->socketPath() + "\nuser=root\ndatabase=zarvo\n";
    }
    std::string report() const { return (dir.path() / "note.txt").string(); }
    DatabaseRequest request(const std::string& profileText, const DatabaseParameters& params = {}) {
        dir.write("note.zarvo", profileText);
        return databaseRequest(report(), *formProfileBeside(report()), "", params);
    }

    static std::unique_ptr<PrivatePostgres> postgres;
    static std::unique_ptr<PrivateMariaDb> mariadb;
    TempDir dir;
};

std::unique_ptr<PrivatePostgres> DatabaseRecordsTest::postgres;
std::unique_ptr<PrivateMariaDb> DatabaseRecordsTest::mariadb;

std::string valueOf(const DataRecord& record, const std::string& name) {
    for (const DataField& field : record.fields) {
        if (field.name == name) return big5ToUtf8(field.value);
    }
    return "(none)";
}

TEST_F(DatabaseRecordsTest, ValuesAreWrittenAsADataFileGivesThem) {
    for (const auto& [driver, keys] : databases()) {
        DatabaseRecords records(request("[Database]\n" + keys + "query=SELECT * FROM v ORDER BY k\n"));
        const std::optional<DataRecord> first = records.next();
        const std::optional<DataRecord> second = records.next();
        ASSERT_TRUE(first && second) << driver;
        EXPECT_FALSE(records.next());
        const bool sqlite = driver == "sqlite";
        const struct {
            std::string column;
            std::string first;
            std::string second;
        } expected[] = {
            {"k", "1", "2"},
            {"amount", sqlite ? "12.5" : "12.50", sqlite ? "0.1" : "0.10"},
            {"ratio", "0.1", "2.5"},
            {"paid", "1", "0"},
            {"day", "2024-06-14", "2024-02-29"},
            {"stamp", "2024-06-14 08:05:09", "1999-12-31 23:59:59"},
            {"blank", "(none)", "(none)"},
            {"words", "出貨 '單'", "x"},
        };
        for (const auto& e : expected) {
            EXPECT_EQ(valueOf(*first, e.column), e.first) << driver << " " << e.column;
            EXPECT_EQ(valueOf(*second, e.column), e.second) << driver << " " << e.column;
        }
        // Going back runs the query again and finds the same row.
        records.seek({1, 0, 2});
        EXPECT_EQ(valueOf(*records.next(), "k"), "2") << driver;
    }
}

// Amounts summed by [Detail] sum. over numeric(14,2) items give exact
// decimal sums, also beyond what a double holds.
TEST_F(DatabaseRecordsTest, SummedAmountsAreExact) {
    for (const auto& [driver, keys] : databases()) {
        const DatabaseRequest asked =
            request("[Detail]\nrows=10\nfields=item amount\nsum.amount=subtotal\n\n[Database]\n" + keys +
                    "query=SELECT DISTINCT no FROM items ORDER BY no\n"
                    "items=SELECT no AS item, amount FROM items WHERE no = :no ORDER BY amount\n");
        DataPages pages(report(), databaseOrigin(asked));
        ASSERT_EQ(pages.recordCount(), 2) << driver;
        const std::string expected[] = {"1200.65", "100000000000.00"};
        for (int sheet = 0; sheet < 2; ++sheet) {
            std::string subtotal;
            for (const DataField& field : pages.pageFields(sheet)) {
                if (field.name == "subtotal") subtotal = field.value;
            }
            EXPECT_EQ(subtotal, expected[sheet]) << driver << " sheet " << sheet;
        }
    }
}

TEST_F(DatabaseRecordsTest, InjectedValuesSelectNothingAndChangeNothing) {
    const std::string values[] = {"A1' OR '1'='1", "A1\\' OR 1=1 --", "$$ OR 1=1 $$", "A1'; DELETE FROM items; --",
                                  "A1\"; DELETE FROM items; --", ":no"};
    for (const auto& [driver, keys] : databases()) {
        const std::string profile = "[Database]\n" + keys + "query=SELECT * FROM items WHERE no = :no\n";
        for (const std::string& value : values) {
            DatabaseRecords records(request(profile, {{"no", value}}));
            EXPECT_FALSE(records.next()) << driver << " " << value;
        }
        try {
            DatabaseRecords records(request(profile, {{"no", std::string("A1\0' OR 1=1", 12)}}));
            ADD_FAILURE() << driver << ": a value with NUL was sent";
        } catch (const ReportError& error) {
            EXPECT_NE(std::string(error.what()).find("NUL"), std::string::npos) << error.what();
        }
        DatabaseRecords all(request("[Database]\n" + keys + "query=SELECT count(*) AS n FROM items\n"));
        EXPECT_EQ(valueOf(*all.next(), "n"), "5") << driver;
    }
}

// What MariaDB alone has: tinyint of every sign, zero dates (no date, so
// blank), long exact decimals, single floats, bits and 4-byte UTF-8 text.
TEST_F(DatabaseRecordsTest, MariaDbValuesAreWrittenAsADataFileGivesThem) {
    if (!mariadb) GTEST_SKIP() << "MariaDB is not installed";
    mariadb->run(
        "CREATE TABLE IF NOT EXISTS m (flag tinyint(1), small tinyint, neg tinyint, u tinyint unsigned, "
        "zero_day date, zero_stamp datetime, t time, big decimal(30,10), f float, dbl double, "
        "words varchar(20) CHARACTER SET utf8mb4, b bit(1));\n"
        "DELETE FROM m; INSERT INTO m VALUES (1, 7, -5, 200, '0000-00-00', '0000-00-00 00:00:00', '08:05:09', "
        "12345678901234567890.0123456789, 0.5, 0.1, '出貨單 \\\\ ''a''', 1);\n");
    DatabaseRecords records(request("[Database]\n" + mariadbKeys() + "query=SELECT * FROM m\n"));
    const DataRecord row = *records.next();
    const std::pair<std::string, std::string> expected[] = {
        {"flag", "1"}, {"small", "7"}, {"neg", "-5"}, {"u", "200"}, {"zero_day", "(none)"},
        {"zero_stamp", "(none)"}, {"t", "08:05:09"}, {"big", "12345678901234567890.0123456789"},
        {"f", "0.5"}, {"dbl", "0.1"}, {"words", "出貨單 \\ 'a'"}, {"b", "1"},
    };
    for (const auto& [column, value] : expected) EXPECT_EQ(valueOf(row, column), value) << column;
    // A 4-byte character arrives whole over utf8mb4 (a 3-byte utf8
    // connection would turn it into "?") and is named as no Big5 character.
    mariadb->run("UPDATE m SET words = '出貨😀';");
    try {
        DatabaseRecords emoji(request("[Database]\n" + mariadbKeys() + "query=SELECT words FROM m\n"));
        emoji.next();
        ADD_FAILURE() << "a character Big5 lacks was read";
    } catch (const ReportError& error) {
        EXPECT_NE(std::string(error.what()).find("Big5 無法表示的字元「😀」"), std::string::npos) << error.what();
    }
}

// The connection is read-only whatever the account may do: each write,
// as query or as items, is refused with the database's words and the
// table keeps its rows.
TEST_F(DatabaseRecordsTest, WritesAreRefused) {
    const std::string writes[] = {"DELETE FROM items", "UPDATE items SET amount = 0",
                                  "INSERT INTO items VALUES ('A3', 1)", "DROP TABLE items",
                                  "CREATE TABLE made (k integer)"};
    for (const auto& [driver, keys] : databases()) {
        for (const std::string& write : writes) {
            for (const std::string key : {"query", "items"}) {
                const std::string profile =
                    key == "query" ? "[Database]\n" + keys + "query=\"" + write + "\"\n"
                                   : "[Detail]\nrows=10\nfields=amount\n\n[Database]\n" + keys +
                                         "query=SELECT DISTINCT no FROM items\nitems=\"" + write + "\"\n";
                try {
                    DataPages pages(report(), databaseOrigin(request(profile)));
                    pages.recordCount();
                    ADD_FAILURE() << driver << " " << key << ": " << write << " was not refused";
                } catch (const ReportError& error) {
                    EXPECT_NE(std::string(error.what()).find("查詢"), std::string::npos)
                        << driver << " " << write << ": " << error.what();
                }
            }
        }
        DatabaseRecords all(request("[Database]\n" + keys +
                                    "query=SELECT count(*) AS n, sum(amount) AS total FROM items\n"));
        const DataRecord counted = *all.next();
        EXPECT_EQ(valueOf(counted, "n"), "5") << driver;
        EXPECT_NE(valueOf(counted, "total"), "0") << driver;
        EXPECT_THROW(DatabaseRecords(request("[Database]\n" + keys + "query=SELECT * FROM made\n")), ReportError)
            << driver;
    }
}

}  // namespace
}  // namespace zarvo
