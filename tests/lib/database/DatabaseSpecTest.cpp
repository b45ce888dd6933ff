// The [Database] sections of a form profile, and the named parameters of a query.

#include <gtest/gtest.h>

#include "database/DatabaseSpec.h"

namespace zarvo {
namespace {

TEST(DatabaseSpecTest, AKeyThatCannotBeUsedIsAFaultOnItsLine) {
    const struct {
        std::string keys;  // after the header on line 1
        int line;          // 0: no fault
        std::string reason;
    } cases[] = {
        {"driver=sqlite\ndatabase=a.db\nquery=SELECT 1\n", 0, ""},
        {"driver=PostgreSQL\nquery=SELECT 1\nport=5432\nconnect_timeout=3\ntimeout=9\n", 0, ""},
        {"driver=oracle\nquery=SELECT 1\n", 2, "driver 必須是"},
        {"query=SELECT 1\n", 1, "缺少 driver"},
        {"driver=odbc\n", 1, "缺少 query"},
        {"driver=sqlite\nquery=SELECT 1\n", 1, "缺少 database"},
        {"driver=mysql\nquery=SELECT 1\nport=70000\n", 4, "port 必須是 1 到 65535 的整數"},
        {"driver=mysql\nquery=SELECT 1\ntimeout=0\n", 4, "timeout 必須是 1 到 86400"},
        {"driver=mysql\nquery=SELECT 1\npassword=x\n", 4, "密碼不可以寫在表單設定檔中"},
        {"driver=mysql\nquery=SELECT 1\noptions=PWD=x\n", 4, "options 不可以含有密碼"},
        {"driver=odbc\nquery=SELECT 1\ndatabase=DSN=erp;Pwd=x\n", 4, "database 不可以含有密碼"},
        {"driver=mysql\nquery=SELECT 1\npassword-env=A\ncredentials=b\n", 5, "只能用一個"},
        {"driver=mysql\nquery=SELECT 1; DROP TABLE t\n", 3, "query 只能是一個 SQL 敘述"},
        {"driver=mysql\nquery=SELECT ';' AS x;\nitems=SELECT 1 -- ;x\n", 0, ""},
        {"driver=mysql\nquery=SELECT 1\ncolour=red\n", 4, "[Database] 沒有 colour 這個設定"},
    };
    for (const auto& c : cases) {
        FormProfile profile = parseFormProfile("[Database]\n" + c.keys);
        checkDatabaseSections(profile);
        const std::optional<ProfileFault> fault = profile.stoppingFault();
        if (c.line == 0) {
            EXPECT_FALSE(fault) << c.keys << fault->reason;
            EXPECT_TRUE(databaseSpecOf(profile, ""));
            continue;
        }
        ASSERT_TRUE(fault) << c.keys;
        EXPECT_EQ(fault->line, c.line) << c.keys;
        EXPECT_NE(fault->reason.find(c.reason), std::string::npos) << c.keys << fault->reason;
        EXPECT_FALSE(databaseSpecOf(profile, ""));
    }
}

TEST(DatabaseSpecTest, NamedSectionsAreFoundByName) {
    FormProfile profile = parseFormProfile(
        "[Database]\ndriver=sqlite\ndatabase=a\nquery=SELECT 1\n[Database shop]\ndriver=postgresql\nquery=SELECT 2\n"
        "[Databases]\nx=1\n");
    checkDatabaseSections(profile);
    EXPECT_FALSE(profile.stoppingFault());
    EXPECT_EQ(databaseSpecOf(profile, "shop")->query, "SELECT 2");
    EXPECT_EQ(databaseSpecOf(profile, "shop")->driver, DatabaseDriver::Postgresql);
    EXPECT_EQ(databaseSpecOf(profile, "")->query, "SELECT 1");
    EXPECT_FALSE(databaseSpecOf(profile, "other"));
}

TEST(DatabaseSpecTest, OnlyColonsOutsideQuotesCommentsAndCastsAreParameters) {
    const struct {
        std::string sql;
        std::string positional;
        std::vector<std::string> names;
    } cases[] = {
        {"SELECT * FROM t WHERE a = :no AND b >= :from", "SELECT * FROM t WHERE a = ? AND b >= ?", {"no", "from"}},
        {"SELECT :a, :a", "SELECT ?, ?", {"a", "a"}},
        {"SELECT ':x', \":y\", `:z` -- :c\n", "SELECT ':x', \":y\", `:z` -- :c\n", {}},
        {"SELECT 'it''s :x', :v::date /* :w */", "SELECT 'it''s :x', ?::date /* :w */", {"v"}},
        {"SELECT $$ :x $$, $t$ :y $t$, :z", "SELECT $$ :x $$, $t$ :y $t$, ?", {"z"}},
        {"SELECT 'a\\':x'", "SELECT 'a\\':x'", {}},
        {"SELECT 10:30, :", "SELECT 10:30, :", {}},
    };
    for (const auto& c : cases) {
        const PositionalSql got = positionalSql(c.sql);
        EXPECT_EQ(got.sql, c.positional) << c.sql;
        EXPECT_EQ(got.names, c.names) << c.sql;
    }
    EXPECT_EQ(parameterNames("SELECT :b, :a, :b"), (std::vector<std::string>{"b", "a"}));
}

}  // namespace
}  // namespace zarvo
