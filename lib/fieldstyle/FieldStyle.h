#pragma once
// What the field properties dialog offers for a block: the kinds and value
// formats, the option keys each takes, and the block's profile section made
// from what the dialog holds. No widgets.

#include <map>
#include <string>
#include <vector>

#include "report/FormProfile.h"

namespace zarvo {

struct FieldChoice {
    std::string key;                   // as the profile writes it ("" for no format)
    std::string label;                 // UTF-8, as the dialog lists it
    std::vector<std::string> options;  // the option keys it takes
};

// text, code39, code128, ean13, qr, datamatrix, pdf417, image.
const std::vector<FieldChoice>& fieldKinds();
// none, amount-tw, number, roc-date, date.
const std::vector<FieldChoice>& fieldFormats();
// Every option key of the kinds and formats, in the dialog's order.
const std::vector<std::string>& fieldOptionKeys();

// The index in choices of section's key ("kind" or "format"), 0 (text, no
// format) when it has none or one not listed.
std::size_t fieldChoiceIndex(const std::vector<FieldChoice>& choices, const ProfileSection& section,
                             const std::string& key);

// section with kind, format and options (key -> text, UTF-8) written in:
// text and no format leave their keys out, so do empty texts and the
// options the chosen kind and format do not take; keys of the section the
// dialog does not know are kept.
ProfileSection fieldSection(const ProfileSection& section, const std::string& kind, const std::string& format,
                            const std::map<std::string, std::string>& options);

}  // namespace zarvo
