#include "detailedit/DetailRowsFound.h"

#include <algorithm>
#include <unordered_set>

#include "detail/DetailSpec.h"
#include "report/Big5.h"

namespace zarvo {

namespace {

// The most missing names the dialog lists before it only counts them.
constexpr std::size_t kMissingShown = 6;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// How many rows of field, from 1 up, have their block.
int rowsOf(const std::string& field, const std::unordered_set<std::string>& blocks) {
    int rows = 0;
    while (rows < kMaxDetailRows && blocks.contains(detailBlock(field, rows + 1))) ++rows;
    return rows;
}

std::string joinedUtf8(const std::vector<std::string>& big5Names, std::size_t shown) {
    std::string out;
    for (std::size_t i = 0; i < big5Names.size() && i < shown; ++i) {
        out += (i ? ", " : "") + big5ToUtf8(big5Names[i]);
    }
    if (big5Names.size() > shown) out += " … (共 " + std::to_string(big5Names.size()) + " 個)";
    return out;
}

}  // namespace

std::vector<std::string> proposedDetailFields(const std::vector<std::string>& selectedNames) {
    std::vector<std::string> fields;
    for (const std::string& name : selectedNames) {
        std::size_t end = name.size();
        while (end > 0 && isDigit(name[end - 1])) --end;
        if (end == name.size() || end == 0) continue;
        // Big5's second bytes are never ASCII digits, so the digits cut are
        // the name's own.
        const std::string field = name.substr(0, end);
        if (std::find(fields.begin(), fields.end(), field) == fields.end()) fields.push_back(field);
    }
    return fields;
}

DetailRowsFound findDetailRows(const std::vector<std::string>& fields, const std::vector<std::string>& blockNames) {
    DetailRowsFound found;
    if (fields.empty()) return found;
    const std::unordered_set<std::string> blocks(blockNames.begin(), blockNames.end());
    int reached = 0;
    found.rows = kMaxDetailRows;
    for (const std::string& field : fields) {
        const int rows = rowsOf(field, blocks);
        if (rows == 0) found.fieldsWithoutRows.push_back(field);
        found.rows = std::min(found.rows, rows);
        reached = std::max(reached, rows);
    }
    for (int row = found.rows + 1; row <= reached; ++row) {
        for (const std::string& field : fields) {
            if (!blocks.contains(detailBlock(field, row))) found.missing.push_back(detailBlock(field, row));
        }
    }
    return found;
}

std::string detailRowsText(const std::vector<std::string>& fields, const DetailRowsFound& found) {
    if (fields.empty()) return "請輸入明細的欄位名稱, 或先在版面上選取一列明細的區塊";
    if (found.rows == 0) {
        // The fields without a first row say it all; what else is missing
        // is said once they are right.
        return "找不到明細列: " + joinedUtf8(found.fieldsWithoutRows, kMissingShown) + " 沒有編號的區塊 (例如 " +
               big5ToUtf8(detailBlock(found.fieldsWithoutRows.front(), 1)) + ")";
    }
    const std::string& first = fields.front();
    std::string text = std::to_string(found.rows) + " 列: " + big5ToUtf8(detailBlock(first, 1));
    if (found.rows > 1) text += " … " + big5ToUtf8(detailBlock(first, found.rows));
    if (!found.missing.empty()) text += "；缺少 " + joinedUtf8(found.missing, kMissingShown);
    return text;
}

std::vector<std::string> typedDetailWords(const std::string& text) {
    static const std::string kFullWidthSpace = "\u3000";
    std::string plain = text;
    for (std::size_t at = plain.find(kFullWidthSpace); at != std::string::npos; at = plain.find(kFullWidthSpace, at)) {
        plain.replace(at, kFullWidthSpace.size(), " ");
    }
    return detailWords(plain);
}

}  // namespace zarvo
