#pragma once
// A data file's columns as a form is being named after them: their names,
// and which hold nothing but numbers (a quantity, a price), to be set right.

#include <string>
#include <vector>

namespace zarvo {

struct DataColumn {
    std::string name;     // UTF-8
    bool number = false;  // every value not empty among the records read is a number
    bool operator==(const DataColumn&) const = default;
};

// The columns of the data file at path, looking at its first records
// records; empty when the file cannot be read (a convenience, not a check).
std::vector<DataColumn> dataColumns(const std::string& path, int records = 100);

}  // namespace zarvo
