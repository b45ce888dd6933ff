#pragma once
// The delivery note's two orders (examples/delivery_note_orders.csv) as two
// tables, "orders" and "items", in SQL that SQLite, PostgreSQL and MariaDB take;
// the order date a real date, its amounts whole numbers. And the queries
// that give them back as the CSV file gives them.

#include <string>

#include "report/Big5.h"
#include "report/DataFile.h"

namespace zarvo::test {

inline std::string sqlText(const std::string& utf8) {
    std::string out = "'";
    for (const char c : utf8) out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

// The CREATE and INSERT statements, the file taken orderCopies times over
// (for benchmarks; 1 for the file as it is), the order numbers of each
// copy made unique.
inline std::string deliveryNoteTables(const std::string& sourceDir, int orderCopies = 1) {
    std::string sql =
        "CREATE TABLE orders (no varchar(40) PRIMARY KEY, customer text, date date, address text, phone text, taxid text, "
        "terms text, sales text, tax integer, total integer, total_words text);\n"
        "CREATE TABLE items (no text, line integer, item text, qty integer, unit text, price integer, "
        "amount integer);\n";
    for (int copy = 0; copy < orderCopies; ++copy) {
        DataFileReader reader(sourceDir + "/examples/delivery_note_orders.csv");
        const std::string suffix = orderCopies == 1 ? "" : "-" + std::to_string(copy);
        int line = 0;
        std::string orderValues;
        std::string itemValues;
        while (const std::optional<DataRecord> record = reader.next()) {
            std::string v[16];
            for (const DataField& field : record->fields) {
                for (std::size_t i = 0; i < reader.columns().size(); ++i) {
                    if (reader.columns()[i] == field.name) v[i] = big5ToUtf8(field.value);
                }
            }
            v[0] += suffix;
            if (!v[1].empty()) {
                // "113年06月14日" is 2024-06-14 in the Western calendar.
                orderValues += std::string(orderValues.empty() ? "" : ",\n") + "(" + sqlText(v[0]) + "," +
                               sqlText(v[1]) + ",'2024-06-14'," + sqlText(v[3]) + "," + sqlText(v[4]) + "," +
                               sqlText(v[5]) + "," + sqlText(v[6]) + "," + sqlText(v[7]) + "," + v[13] + "," + v[14] +
                               "," + sqlText(v[15]) + ")";
            }
            itemValues += std::string(itemValues.empty() ? "" : ",\n") + "(" + sqlText(v[0]) + "," +
                          std::to_string(++line) + "," + sqlText(v[8]) + "," + v[9] + "," + sqlText(v[10]) + "," +
                          v[11] + "," + v[12] + ")";
        }
        sql += "INSERT INTO orders VALUES " + orderValues + ";\nINSERT INTO items VALUES " + itemValues + ";\n";
    }
    return sql;
}

// The order query and items query of a [Database] using items=, and the
// one grouped query, columns as the CSV file has them.
inline constexpr const char* kOrderColumns = "no, customer, date, address, phone, taxid, terms, sales";
inline std::string deliveryNoteOrdersQuery() {
    return std::string("SELECT ") + kOrderColumns + ", tax, total, total_words FROM orders ORDER BY no";
}
inline std::string deliveryNoteItemsQuery() {
    return "SELECT item, qty, unit, price, amount FROM items WHERE no = :no ORDER BY line";
}
inline std::string deliveryNoteGroupedQuery() {
    return "SELECT o.no, customer, date, address, phone, taxid, terms, sales, item, qty, unit, price, amount, tax, "
           "total, total_words FROM orders o JOIN items i ON i.no = o.no ORDER BY o.no, i.line";
}

}  // namespace zarvo::test
