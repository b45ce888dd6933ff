#pragma once
// What the designer's database dialog shows: whether the database answers,
// how many rows the query gives and the first of them. Widget-free, so it
// runs on a worker thread while the dialog stays responsive.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "database/DatabaseConnection.h"

namespace zarvo {

struct DatabaseProbe {
    bool connected = false;
    std::string message;               // the fault (UTF-8) when not connected, else ""
    std::vector<std::string> columns;  // UTF-8
    std::vector<std::vector<std::string>> rows;  // the first rows, values as the form receives them (UTF-8)
    std::int64_t rowCount = 0;         // all the rows the query gives
};

// Connects, runs the query of request and reads every row, keeping the
// first previewRows. Never throws: a fault is the probe's message.
DatabaseProbe probeDatabase(const DatabaseRequest& request, std::size_t previewRows = 20);

// "連線成功, 查詢有 N 筆資料" or the probe's message.
std::string probeSummary(const DatabaseProbe& probe);

}  // namespace zarvo
