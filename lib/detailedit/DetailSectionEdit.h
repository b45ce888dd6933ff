#pragma once
// The detail rows dialog's texts and the form profile's [Detail] they make:
// read from the profile to fill the dialog, written back on OK. Keys the
// dialog does not show (page, pages and any other) stay as they were; emptied fields remove the section. What is written is checked
// by the profile's own [Detail] reader. No widgets.

#include <optional>
#include <string>
#include <vector>

#include "report/FormProfile.h"

namespace zarvo {

// What the dialog's edits hold, UTF-8 as typed.
struct DetailFormTexts {
    std::string fields;     // "item qty unit price amount"
    std::string sums;       // "amount=subtotal; qty=qty_total"
    std::string last;       // "tax total total_words"
    std::string continued;  // "接下頁"
    bool carry = false;
    std::string group;   // the data file's column whose equal values form one order; empty: none
    std::string source;  // a JSON order's member holding its items; empty: "items"
    bool operator==(const DetailFormTexts&) const = default;
};

// The texts that show profile's [Detail] (the default continued text when it
// has none); the fields the selected blocks propose (Big5 names) when there
// are any, else the section's.
DetailFormTexts detailFormTextsOf(const FormProfile& profile, const std::vector<std::string>& selectedNames);

struct DetailEdit {
    std::optional<FormProfile> profile;  // profile with [Detail] as the texts make it
    std::string error;                   // why not (UTF-8), when there is no profile
};

// profile with its [Detail] made from texts, for a report whose blocks are
// named blockNames (Big5); rows are those the numbered blocks give. An
// error names what cannot be used: a field without numbered blocks, a sum
// not written FIELD=BLOCK, one naming a field not among the fields or a
// block the report lacks, a character Big5 cannot hold.
DetailEdit detailProfileFrom(const FormProfile& profile, const DetailFormTexts& texts,
                             const std::vector<std::string>& blockNames);

}  // namespace zarvo
