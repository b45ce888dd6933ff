// Reading the orders of CSV and JSON data files for a form with detail rows.

#include "detail/DetailOrders.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report/ReportError.h"
#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

using test::TempDir;
using Fields = std::vector<DataField>;

DetailSpec spec() {
    DetailSpec made;
    made.rows = 10;
    made.fields = {"item", "qty"};
    made.group = "order_no";
    return made;
}

struct Order {
    Fields fields;
    std::vector<Fields> items;
    bool operator==(const Order&) const = default;
};

std::vector<Order> readOrders(DetailOrderReader& reader) {
    std::vector<Order> orders;
    while (std::optional<DetailOrder> order = reader.next()) orders.push_back({order->fields, order->items});
    return orders;
}

const std::vector<Order> kTwoOrders = {
    {{{"order_no", "A1"}, {"customer", "Lin"}}, {{{"item", "pen"}, {"qty", "2"}}, {{"item", "ink"}, {"qty", "1"}}}},
    {{{"order_no", "A2"}, {"customer", "Wu"}}, {}},
};

// The same orders written as grouped CSV, a nested JSON array and JSON lines.
TEST(DetailOrders, CsvGroupsAndJsonNestingGiveTheSameOrders) {
    const TempDir dir;
    const std::vector<std::pair<std::string, std::string>> files = {
        {"orders.csv", "order_no,customer,item,qty\nA1,Lin,pen,2\nA1,,ink,1\nA2,Wu,,\n"},
        {"orders2.csv", "order_no,customer,item,qty\nA1,Lin,pen,2\nA1,Lin,ink,1\nA2,Wu,,\n"},
        {"orders.json",
         "[{\"order_no\":\"A1\",\"customer\":\"Lin\",\"items\":[{\"item\":\"pen\",\"qty\":2},"
         "{\"item\":\"ink\",\"qty\":1}]},\n{\"order_no\":\"A2\",\"customer\":\"Wu\",\"items\":[]}]"},
        {"orders.jsonl",
         "{\"order_no\":\"A1\",\"customer\":\"Lin\",\"items\":[{\"item\":\"pen\",\"qty\":2},"
         "{\"item\":\"ink\",\"qty\":1}]}\n{\"order_no\":\"A2\",\"customer\":\"Wu\",\"items\":null}\n"},
    };
    for (const auto& [name, text] : files) {
        SCOPED_TRACE(name);
        const DetailSpec detail = spec();
        DetailOrderReader reader(detail, dir.write(name, text));
        std::vector<Order> orders = readOrders(reader);
        EXPECT_TRUE(reader.detailed());
        EXPECT_EQ(orders, kTwoOrders);
    }
}

// A position taken before an order reads the same order again.
TEST(DetailOrders, SeeksBackToAnOrder) {
    const TempDir dir;
    const DetailSpec detail = spec();
    DetailOrderReader reader(detail, dir.write("o.csv", "order_no,item\nA1,a\nA1,b\nA2,c\nA3,d\n"));
    ASSERT_TRUE(reader.next());
    const DataFilePosition second = reader.position();
    const std::optional<DetailOrder> a2 = reader.next();
    ASSERT_TRUE(reader.next());
    reader.seek(second, 2);
    const std::optional<DetailOrder> again = reader.next();
    ASSERT_TRUE(a2 && again);
    EXPECT_EQ(again->number, 2);
    EXPECT_EQ(again->items, a2->items);
    EXPECT_EQ(again->fields, a2->fields);
}

// Files without detail fields are read one record an order, as before.
TEST(DetailOrders, FilesWithoutDetailFields) {
    const TempDir dir;
    const DetailSpec detail = spec();
    for (const auto& [name, text] : std::vector<std::pair<std::string, std::string>>{
             {"flat.csv", "order_no,item1,qty1\nA1,pen,2\nA1,ink,1\n"},
             {"flat.json", "[{\"order_no\":\"A1\",\"item1\":\"pen\"},{\"order_no\":\"A1\",\"item1\":\"ink\"}]"}}) {
        SCOPED_TRACE(name);
        DetailOrderReader reader(detail, dir.write(name, text));
        EXPECT_EQ(readOrders(reader).size(), 2u);
        EXPECT_FALSE(reader.detailed());
    }
}

TEST(DetailOrders, RefusedFiles) {
    const TempDir dir;
    struct Case {
        std::string name;
        std::string text;
        std::string group;
        std::string error;  // after "資料檔 PATH "
    };
    const std::vector<Case> cases = {
        {"a.csv", "order_no,customer,item\nA1,Lin,pen\nA1,Wu,ink\n", "order_no",
         "第 1 筆與第 2 筆資料屬於同一筆訂單, 欄位「customer」卻不同:「Lin」與「Wu」"},
        {"b.csv", "order_no,customer,item\nA1,,pen\nA1,Wu,ink\n", "order_no",
         "第 1 筆與第 2 筆資料屬於同一筆訂單, 欄位「customer」卻不同:「」與「Wu」"},
        {"c.csv", "order_no,item\nA1,pen\n,ink\n", "order_no", "第 2 筆資料沒有「order_no」, 無法知道屬於哪一筆訂單"},
        {"d.csv", "order_no,item\nA1,pen\n", "", "有明細欄位, 但表單設定檔的 [Detail] 沒有 group, 無法知道哪些資料屬於同一筆訂單"},
        {"e.csv", "order,item\nA1,pen\n", "order_no", "沒有 [Detail] 的 group 欄位「order_no」"},
        {"f.json", "[{\"order_no\":\"A1\",\"items\":[1,2]}]", "order_no", "第 1 行: 欄位「items」必須是物件的陣列"},
        {"g.json", "[{\"order_no\":\"A1\",\"items\":\"x\"}]", "order_no", "第 1 行: 欄位「items」必須是物件的陣列"},
        {"h.json", "[{\"order_no\":\"A1\",\"items\":[{\"item\":[1]}]}]", "order_no",
         "第 1 行: 欄位「items」的值不可以是陣列或物件"},
        {"i.json", "[{\"order_no\":\"A1\",\"other\":[{\"item\":\"x\"}]}]", "order_no",
         "第 1 行: 欄位「other」的值不可以是陣列或物件"},
        {"j.json", "[{\"items\":[{\"item\":\"x\",\"item\":\"y\"}]}]", "order_no",
         "第 1 行: 第 1 筆資料「items」的第 1 項, 欄位「item」重複"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DetailSpec detail = spec();
        detail.group = c.group;
        const std::string path = dir.write(c.name, c.text);
        try {
            DetailOrderReader reader(detail, path);
            while (reader.next()) {
            }
            FAIL() << "no error";
        } catch (const ReportError& error) {
            EXPECT_EQ(std::string(error.what()), "資料檔 " + path + " " + c.error);
        }
    }
}

}  // namespace
}  // namespace zarvo
