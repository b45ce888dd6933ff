// zarvo-render --database: the delivery note's orders read from SQLite,
// PostgreSQL, PostgreSQL through ODBC and MariaDB draw the same sheets as
// from the CSV file, and every fault of the database stops before anything is drawn,
// with one message.

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tests/common/Command.h"
#include "tests/common/TempDir.h"
#include "tests/support/DeliveryNoteTables.h"
#include "tests/support/PrivateMariaDb.h"
#include "tests/support/PrivatePostgres.h"

namespace zarvo {
namespace {

using test::CommandResult;
using test::PrivateMariaDb;
using test::PrivatePostgres;
using test::TempDir;

std::string sourceFile(const std::string& name) {
    std::ifstream in(std::string(ZARVO_SOURCE_DIR) + "/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::size_t occurrences(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
    return count;
}

// One server of each kind for every test here: starting one takes seconds.
class DatabaseRenderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (PrivateMariaDb::available()) {
            mariadb = std::make_unique<PrivateMariaDb>();
            mariadb->run(test::deliveryNoteTables(ZARVO_SOURCE_DIR));
        }
        if (!PrivatePostgres::available()) return;
        postgres = std::make_unique<PrivatePostgres>();
        postgres->run(test::deliveryNoteTables(ZARVO_SOURCE_DIR));
        postgres->run(std::string("CREATE ROLE reader LOGIN PASSWORD '") + PrivatePostgres::kReaderPassword +
                      "'; GRANT SELECT ON orders, items TO reader;");
    }
    static void TearDownTestSuite() {
        postgres.reset();
        mariadb.reset();
    }

    DatabaseRenderTest() {
        std::filesystem::copy_file(std::string(ZARVO_SOURCE_DIR) + "/examples/delivery_note.txt",
                                   dir.path() / "note.txt");
        std::filesystem::copy_file(std::string(ZARVO_SOURCE_DIR) + "/examples/delivery_note.zarvo",
                                   dir.path() / "note.zarvo");
        std::filesystem::copy_file(std::string(ZARVO_SOURCE_DIR) + "/examples/delivery_note_seal.svg",
                                   dir.path() / "delivery_note_seal.svg");
        const std::string script = dir.write("tables.sql", test::deliveryNoteTables(ZARVO_SOURCE_DIR));
        EXPECT_EQ(std::system(("sqlite3 '" + (dir.path() / "orders.db").string() + "' < '" + script + "'").c_str()), 0);
    }

    // The delivery note's profile with section added after it, the order
    // date (a date column) written as an ROC date.
    void useDatabase(const std::string& section) {
        dir.write("note.zarvo", sourceFile("examples/delivery_note.zarvo") +
                                    "\n[Block date]\nformat=roc-date\n\n" + section);
    }
    std::string postgresKeys() const {
        return "driver=postgresql\nhost=" + postgres->socketDirectory() + "\nport=" +
               std::to_string(postgres->port()) + "\nuser=zarvo\ndatabase=zarvo\n";
    }
    // As root on the socket; five lines, as postgresKeys() gives.
    std::string mariadbKeys() const {
        return "driver=mysql\nhost=localhost\noptions=UNIX_SOCKET=" + mariadb->socketPath() +
               "\nuser=root\ndatabase=zarvo\n";
    }
    CommandResult render(const std::string& args, const std::string& environment = "") {
        return test::runCommand(environment + " " + std::string(ZARVO_RENDER) + " --data-dir '" +
                                    (dir.path() / "data").string() + "' " + args + " '" +
                                    (dir.path() / "note.txt").string() + "'",
                                dir);
    }

    static std::unique_ptr<PrivatePostgres> postgres;
    static std::unique_ptr<PrivateMariaDb> mariadb;
    TempDir dir;
};

std::unique_ptr<PrivatePostgres> DatabaseRenderTest::postgres;
std::unique_ptr<PrivateMariaDb> DatabaseRenderTest::mariadb;

TEST_F(DatabaseRenderTest, OrdersFromSqlitePostgresqlOdbcAndMariaDbDrawAsTheCsvFileDoes) {
    const CommandResult csv = render("--trace --data '" + std::string(ZARVO_SOURCE_DIR) +
                                     "/examples/delivery_note_orders.csv'");
    ASSERT_EQ(csv.status, 0) << csv.err;
    ASSERT_EQ(occurrences(csv.out, "image "), 4u);
    const CommandResult csvPrint = render("--print --trace --data '" + std::string(ZARVO_SOURCE_DIR) +
                                          "/examples/delivery_note_orders.csv'");
    const std::string items = "query=\"" + test::deliveryNoteOrdersQuery() + "\"\nitems=\"" +
                              test::deliveryNoteItemsQuery() + "\"\n";
    const std::string grouped = "query=\"" + test::deliveryNoteGroupedQuery() + "\"\n";
    struct Source {
        std::string what;
        std::string section;
        std::string environment = "";
    };
    std::vector<Source> sources = {
        {"SQLite, items=", "[Database]\ndriver=sqlite\ndatabase=orders.db\n" + items},
        {"SQLite, grouped", "[Database]\ndriver=sqlite\ndatabase=orders.db\n" + grouped},
    };
    if (postgres) {
        sources.push_back({"PostgreSQL, items=", "[Database]\n" + postgresKeys() + items});
        sources.push_back({"PostgreSQL, grouped", "[Database shop]\n" + postgresKeys() + grouped});
    }
    if (postgres && std::filesystem::exists("/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so")) {
        sources.push_back({"ODBC, items=",
                           "[Database]\ndriver=odbc\nuser=reader\npassword-env=PGPW\ndatabase=\"DRIVER={PostgreSQL "
                           "Unicode};SERVER=127.0.0.1;PORT=" + std::to_string(postgres->port()) +
                               ";DATABASE=zarvo\"\n" + items,
                           std::string("PGPW=") + PrivatePostgres::kReaderPassword});
    }
    if (mariadb) {
        // The reader over TCP with its password, and root on the socket.
        sources.push_back({"MariaDB, items=",
                           "[Database]\ndriver=mysql\nhost=127.0.0.1\nport=" + std::to_string(mariadb->port()) +
                               "\nuser=reader\npassword-env=MYPW\ndatabase=zarvo\n" + items,
                           std::string("MYPW=") + PrivateMariaDb::kReaderPassword});
        sources.push_back({"MariaDB, grouped", "[Database shop]\n" + mariadbKeys() + grouped});
    }
    for (const auto& [what, section, environment] : sources) {
        useDatabase(section);
        const std::string name = section.starts_with("[Database shop]") ? " --database-name shop" : "";
        const CommandResult preview = render("--trace --database" + name, environment);
        EXPECT_EQ(preview.status, 0) << what << preview.err;
        EXPECT_EQ(preview.out, csv.out) << what;
        const CommandResult print = render("--print --trace --database" + name, environment);
        EXPECT_EQ(print.out, csvPrint.out) << what;
        // --records counts orders: the second is one sheet.
        const CommandResult second = render("--trace --records 2 --database" + name, environment);
        EXPECT_EQ(occurrences(second.out, "image "), 1u) << what << second.err;
    }
    if (!postgres) GTEST_SKIP() << "PostgreSQL 15 is not installed";
}

TEST_F(DatabaseRenderTest, ParametersSelectTheOrder) {
    useDatabase("[Database]\ndriver=sqlite\ndatabase=orders.db\nquery=\"" + test::deliveryNoteGroupedQuery() +
                "\"\n");
    std::string query = test::deliveryNoteGroupedQuery();
    query.replace(query.find(" ORDER BY"), 0, " WHERE o.no = :no");
    useDatabase("[Database]\ndriver=sqlite\ndatabase=orders.db\nquery=\"" + query + "\"\n");
    const CommandResult first = render("--trace --database --param no=SH1130614027");
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(occurrences(first.out, "image "), 3u);
    const CommandResult none = render("--trace --database --param \"no=SH1130614027' OR '1'='1\"");
    EXPECT_EQ(none.status, 0) << none.err;
    EXPECT_EQ(none.out, "");
}

// A listening socket that never answers: a server that has stopped
// responding, for the connect time-out.
class SilentServer {
public:
    SilentServer() : socket_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(socket_, 8);
        ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    ~SilentServer() { ::close(socket_); }
    int port() const { return port_; }

private:
    int socket_;
    int port_ = 0;
};

TEST_F(DatabaseRenderTest, EveryFaultStopsBeforeAnythingIsDrawnWithOneMessage) {
    if (!postgres) GTEST_SKIP() << "PostgreSQL 15 is not installed";
    struct Case {
        std::string what;
        std::string section;  // [Database] follows the profile's 17 lines and the 3 of [Block date]
        std::string args;
        std::string environment;
        std::vector<std::string> said;
    };
    const SilentServer silent;
    const std::string port = std::to_string(postgres->port());
    const std::string ordersQuery = "query=\"" + test::deliveryNoteOrdersQuery() + "\"\n";
    const std::string tcp = "driver=postgresql\nhost=127.0.0.1\nport=" + port + "\nuser=reader\ndatabase=zarvo\n";
    std::filesystem::create_directories(dir.path() / "config/zarvo");
    const std::string credentials = dir.write("config/zarvo/credentials",
                                              std::string("[shop]\npassword=") + PrivatePostgres::kReaderPassword + "\n");
    const std::string config = "XDG_CONFIG_HOME='" + (dir.path() / "config").string() + "'";
    ::chmod(credentials.c_str(), 0600);
    // A line of the section, counted after the example profile's own lines,
    // [Block date] and [Database]: line(-2) holds the section's first key.
    const std::string example = sourceFile("examples/delivery_note.zarvo");
    const auto lines = std::count(example.begin(), example.end(), '\n');
    const auto line = [&](int n) { return "第 " + std::to_string(lines + 7 + n) + " 行"; };
    std::vector<Case> cases = {
        {"refused", "driver=postgresql\nhost=127.0.0.1\nport=1\ndatabase=zarvo\n" + ordersQuery, "", "",
         {"無法連線", "Connection refused"}},
        {"timed out", "driver=postgresql\nhost=127.0.0.1\nport=" + std::to_string(silent.port()) +
                          "\nconnect_timeout=1\ndatabase=zarvo\n" + ordersQuery,
         "", "", {"無法連線", "timeout"}},
        {"wrong password", tcp + "password-env=PGPW\n" + ordersQuery, "", "PGPW=not-the-password",
         {"無法連線", "password authentication failed"}},
        {"right password", tcp + "credentials=shop\n" + ordersQuery + "timeout=bad\n", "", config,
         {line(6) + ": timeout 必須是 1 到 86400 的整數"}},
        {"rejected query", postgresKeys() + "query=\"SELECT nosuch FROM orders\"\n", "", "",
         {line(4), "nosuch"}},
        {"query timed out", postgresKeys() + "query=\"SELECT pg_sleep(5)::text AS no\"\ntimeout=1\n", "", "",
         {line(4), "statement timeout"}},
        {"second statement", postgresKeys() + "query=\"SELECT no FROM orders; DELETE FROM items\"\n", "", "",
         {line(4) + ": query 只能是一個 SQL 敘述"}},
        {"parameter missing", postgresKeys() + "query=\"SELECT * FROM orders WHERE no = :no\"\n", "", "",
         {line(4), "參數 :no 沒有給值"}},
        {"column missing", postgresKeys() + "query=\"SELECT o.no, item, qty FROM orders o JOIN items i USING (no)\"\n",
         "", "", {line(4), "查詢結果沒有表單需要的欄位: unit, price, amount, tax, total, total_words"}},
        {"items parameter", postgresKeys() + ordersQuery + "items=\"SELECT * FROM items WHERE no = :order\"\n", "",
         "", {line(5), "items 用到的參數 :order 不是 query 的欄位"}},
        {"bad key", postgresKeys() + ordersQuery + "colour=red\n", "", "", {line(5) + ": [Database] 沒有 colour 這個設定"}},
        {"password in profile", postgresKeys() + ordersQuery + "password=x\n", "", "", {line(5) + ": 密碼不可以寫在表單設定檔中"}},
    };
    if (mariadb) {
        const std::string reader = "driver=mysql\nhost=127.0.0.1\nport=" + std::to_string(mariadb->port()) +
                                   "\nuser=reader\ndatabase=zarvo\npassword-env=MYPW\n";
        const std::vector<Case> more = {
            {"MariaDB refused", "driver=mysql\nhost=127.0.0.1\nport=1\ndatabase=zarvo\n" + ordersQuery, "", "",
             {line(-2), "無法連線", "Can't connect"}},
            {"MariaDB timed out", "driver=mysql\nhost=127.0.0.1\nport=" + std::to_string(silent.port()) +
                                      "\nconnect_timeout=1\ndatabase=zarvo\n" + ordersQuery,
             "", "", {line(-2), "無法連線"}},
            {"MariaDB wrong password", reader + ordersQuery, "", "MYPW=not-the-password",
             {line(-2), "無法連線", "Access denied for user 'reader'"}},
            {"MariaDB no password", reader + ordersQuery, "", "", {line(-2), "MYPW"}},
            {"MariaDB unknown option", "driver=mysql\nhost=localhost\noptions=UNIX_SOCKET=" + mariadb->socketPath() +
                                           ";MYSQL_OPT_NO_SUCH=1\nuser=root\ndatabase=zarvo\n" + ordersQuery,
             "", "", {line(-2), "options 有驅動程式無法使用的設定", "MYSQL_OPT_NO_SUCH"}},
            {"MariaDB rejected query", mariadbKeys() + "query=\"SELECT nosuch FROM orders\"\n", "", "",
             {line(4), "nosuch"}},
            {"MariaDB query timed out", mariadbKeys() + "query=\"SELECT sleep(5) AS no\"\ntimeout=1\n", "", "",
             {line(4), "max_statement_time"}},
            {"MariaDB second statement", mariadbKeys() + "query=\"SELECT no FROM orders; DELETE FROM items\"\n", "",
             "", {line(4) + ": query 只能是一個 SQL 敘述"}},
            // "--" needs a blank after it to open a MariaDB comment: here
            // it is a minus, and the ";" the profile check took as commented
            // out ends the first statement. The server, asked to prepare
            // two, refuses.
            {"MariaDB hidden second statement",
             mariadbKeys() + "query=\"SELECT no FROM orders WHERE 1--1; DELETE FROM items\"\n", "", "",
             {line(4), "資料庫不接受這個查詢"}},
            {"MariaDB parameter missing", mariadbKeys() + "query=\"SELECT * FROM orders WHERE no = :no\"\n", "", "",
             {line(4), "參數 :no 沒有給值"}},
            {"MariaDB column missing",
             mariadbKeys() + "query=\"SELECT o.no, item, qty FROM orders o JOIN items i USING (no)\"\n", "", "",
             {line(4), "查詢結果沒有表單需要的欄位: unit, price, amount, tax, total, total_words"}},
            {"MariaDB write", mariadbKeys() + "query=\"DELETE FROM items\"\n", "", "",
             {line(4), "READ ONLY"}},
        };
        cases.insert(cases.end(), more.begin(), more.end());
    }
    const std::string itemsBefore = mariadb ? mariadb->run("SELECT count(*) FROM items") : "";
    for (const auto& c : cases) {
        useDatabase("[Database]\n" + c.section);
        const CommandResult result = render("--print --trace --database " + c.args, c.environment);
        EXPECT_EQ(result.status, 1) << c.what << result.err;
        EXPECT_EQ(result.out, "") << c.what;
        for (const std::string& said : c.said) EXPECT_NE(result.err.find(said), std::string::npos) << c.what << ": " << result.err;
        EXPECT_NE(result.err.find("note.zarvo"), std::string::npos) << c.what << result.err;
        EXPECT_EQ(result.err.find(PrivatePostgres::kReaderPassword), std::string::npos) << c.what;
        EXPECT_EQ(result.err.find("not-the-password"), std::string::npos) << c.what;
        EXPECT_EQ(occurrences(result.err, "\n"), 1u) << c.what << result.err;
    }
    // The credentials file read: the right password connects; others may not read it.
    useDatabase("[Database]\n" + tcp + "credentials=shop\n" + ordersQuery + "items=\"" + test::deliveryNoteItemsQuery() +
                "\"\n");
    const CommandResult connected = render("--trace --database", config);
    EXPECT_EQ(connected.status, 0) << connected.err;
    ::chmod(credentials.c_str(), 0644);
    const CommandResult readable = render("--trace --database", config);
    EXPECT_EQ(readable.status, 1);
    EXPECT_NE(readable.err.find("其他人也能讀取"), std::string::npos) << readable.err;
    EXPECT_EQ(readable.err.find(PrivatePostgres::kReaderPassword), std::string::npos);
    if (mariadb) {
        EXPECT_EQ(mariadb->run("SELECT count(*) FROM items"), itemsBefore);
    }
}

}  // namespace
}  // namespace zarvo
