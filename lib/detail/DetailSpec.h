#pragma once
// The form profile's [Detail]: the numbered item rows of a form (item1,
// qty1, ... item10, qty10) and how an order with more items than rows is
// spread over sheets: page numbers, column sums on the last sheet, fields
// printed on the last sheet only, and optionally carried running totals.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "report/FormProfile.h"

namespace zarvo {

inline constexpr std::string_view kDetailSection = "Detail";
// The largest `rows` a form may declare.
inline constexpr int kMaxDetailRows = 1000;

// sum.FIELD=BLOCK ...: the blocks that receive the sum of column FIELD.
struct DetailSum {
    std::string field;                // Big5
    std::vector<std::string> blocks;  // Big5
    bool operator==(const DetailSum&) const = default;
};

// Names are Big5 bytes as the report holds them, texts Big5 as drawn;
// source is the JSON member's name in UTF-8, as the file writes it.
struct DetailSpec {
    int rows = 0;
    std::vector<std::string> fields;  // row n of field F is the block F followed by n
    std::string page;                 // receives the sheet's number within its order; may be empty
    std::string pages;                // receives the order's sheet count; may be empty
    std::vector<DetailSum> sums;
    std::vector<std::string> last;   // order fields drawn on the order's last sheet only
    std::string continued;           // what sum blocks receive before the last sheet
    bool carry = false;              // carried totals in the first and last rows
    std::string source = "items";    // JSON: the member holding an order's items
    std::string group;               // CSV: the column whose equal consecutive values form one order
    bool operator==(const DetailSpec&) const = default;
};

// The [Detail] keys read, or the faults that make them unusable (line and
// reason naming the key, in Chinese).
struct ParsedDetail {
    std::optional<DetailSpec> spec;
    std::vector<ProfileFault> faults;
};
ParsedDetail parseDetailSection(const ProfileSection& section);

// Adds the faults of the profile's [Detail], if it has one, to that
// section, so that they stop printing like the profile's other faults.
void checkDetailSection(FormProfile& profile);

// The profile's detail rows; nullopt when it has no [Detail] or the
// section has a fault.
std::optional<DetailSpec> detailSpecOf(const FormProfile& profile);

// The names of a [Detail] value (UTF-8) separated by blanks or tabs, in order.
std::vector<std::string> detailWords(std::string_view text);

// The block name of row (from 1) of field: "item" and 3 -> "item3".
std::string detailBlock(std::string_view field, int row);

// The blocks spec names (every row of every field, page, pages, the sum
// blocks and the last-sheet fields) that are not among blockNames (Big5),
// in that order.
std::vector<std::string> missingDetailBlocks(const DetailSpec& spec, const std::vector<std::string>& blockNames);

// "表單設定檔的 [Detail] 用到報表中沒有的區塊: item11, qty11" (names in UTF-8).
std::string missingDetailBlocksMessage(const std::vector<std::string>& big5Names);

}  // namespace zarvo
