// Many forms from a database: the delivery note filled from 1,000 and
// 100,000 rows of a PostgreSQL table on this machine (a private server
// started here) into one PDF, next to the same rows from a CSV file. The
// database's sheets a second should be at least 70 % of the CSV file's, and
// its peak memory as flat from 1,000 to 100,000 rows.

#include <filesystem>
#include <fstream>
#include <memory>

#include "bench/DataFilePdf.h"
#include "database/DatabaseOrigin.h"
#include "engine/FormProfileFile.h"
#include "tests/support/PrivatePostgres.h"

namespace {

namespace fs = std::filesystem;

const fs::path kFolder = fs::temp_directory_path() / "zarvo-bench-database";
constexpr const char* kColumns = "customer, date, no, item1, qty1, price1, amount1, remark";

zarvo::test::PrivatePostgres& server() {
    static const auto postgres = std::make_unique<zarvo::test::PrivatePostgres>();
    return *postgres;
}

// The delivery note in a folder of its own, its profile pointing at the server.
std::string report() {
    fs::create_directories(kFolder);
    fs::copy_file(kExamples + "delivery_note.txt", kFolder / "note.txt", fs::copy_options::overwrite_existing);
    std::ofstream(kFolder / "note.zarvo", std::ios::binary)
        << "[Database]\ndriver=postgresql\nhost=" << server().socketDirectory() << "\nport=" << server().port()
        << "\nuser=zarvo\ndatabase=zarvo\nquery=\"SELECT " << kColumns << " FROM bench ORDER BY k\"\n";
    return (kFolder / "note.txt").string();
}

// count rows in the table "bench", as DataPdfBench's CSV records.
void fillTable(std::int64_t count) {
    server().run("DROP TABLE IF EXISTS bench; CREATE TABLE bench (k integer, customer text, date text, no text, "
                 "item1 text, qty1 integer, price1 integer, amount1 integer, remark text);"
                 "INSERT INTO bench SELECT i, '祥和國際貿易股份有限公司, 第' || i || '號', '113年06月14日', 'SH' || i, "
                 "'不鏽鋼六角螺栓M8x30', 12, 480, 5760, E'請於週五上午送達\\r\\n卸貨前請先電話聯絡' "
                 "FROM generate_series(1, " + std::to_string(count) + ") i;");
}

std::string csvOf(std::int64_t count) { return writeOrdersCsv((kFolder / "orders.csv").string(), count); }

void databaseToPdf(benchmark::State& state) {
    const std::string note = report();
    fillTable(state.range(0));
    const auto profile = zarvo::formProfileBeside(note);
    printDataFileToPdf(state, zarvo::databaseOrigin(zarvo::databaseRequest(note, *profile, "", {})), note);
}

void sameRowsFromCsvToPdf(benchmark::State& state) {
    const std::string note = report();
    printDataFileToPdf(state, csvOf(state.range(0)), note);
}

// The database first: peak memory is the process's, so the CSV file's
// larger run must not hide the database's smaller one.
BENCHMARK(databaseToPdf)->Arg(1000)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(sameRowsFromCsvToPdf)->Arg(1000)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
