#pragma once
// JSON data files, UTF-8: a .json file is one array of objects, a .jsonl
// file one object a line (blank lines skipped). Each object is a record;
// its keys are the column names, in order of first appearance. A string
// value is converted to Big5; a number is taken as written; true and false
// as those words; null or an empty string gives no value; an array or an
// object as a value is an error. One object is held in memory at a time.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "report/ByteStream.h"
#include "report/DataSource.h"

namespace zarvo {

class JsonRecords : public DataRecordSource {
public:
    // Opens path as an array of objects, or as one object a line when
    // lines; throws ReportError when it cannot be read or an array does
    // not start the file. A member named itemMember (UTF-8; none when
    // empty) holding an array of flat objects gives the record's items.
    JsonRecords(const std::string& path, bool lines, std::string itemMember = {});

    const std::vector<std::string>& columns() const override { return columns_.names(); }
    std::optional<DataRecord> next() override;
    DataFilePosition position() const override { return {input_.offset(), line_, number_}; }
    void seek(const DataFilePosition& position) override;

    // One object's text, the line it starts on and the line of its first
    // array or object value (for the message that refuses it).
    struct ObjectText {
        std::string text;
        std::int64_t line = 1;
        std::int64_t nestedLine = 1;
    };

private:
    void skipWhitespace();
    void toNextElement(bool first);
    ObjectText cutObject();
    std::optional<ObjectText> nextLine();
    DataRecord parse(const ObjectText& object);

    ByteStream input_;
    bool lines_;
    std::string itemMember_;
    bool ended_ = false;  // the array and all after it are read
    std::int64_t line_ = 1;
    std::int64_t number_ = 1;
    ColumnNames columns_;
    std::int64_t objectsParsed_ = 0;
    std::vector<std::int64_t> lastObject_;  // per column: the object that last had it, to find repeated keys
};

}  // namespace zarvo
