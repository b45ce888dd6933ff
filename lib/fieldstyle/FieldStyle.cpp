#include "fieldstyle/FieldStyle.h"

#include <algorithm>

namespace zarvo {

namespace {

const std::vector<std::string> kLinear = {"module", "height", "text", "quiet"};
const std::vector<std::string> kMatrix = {"module", "encoding", "quiet"};

bool isListed(const std::vector<std::string>& keys, const std::string& key) {
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

const FieldChoice* chosen(const std::vector<FieldChoice>& choices, const std::string& key) {
    const auto found = std::find_if(choices.begin(), choices.end(), [&](const FieldChoice& c) { return c.key == key; });
    return found == choices.end() ? nullptr : &*found;
}

}  // namespace

const std::vector<FieldChoice>& fieldKinds() {
    static const std::vector<FieldChoice> kinds = {
        {"text", "文字", {"cells", "shrink", "min"}},
        {"code39", "Code 39 條碼", kLinear},
        {"code128", "Code 128 條碼", kLinear},
        {"ean13", "EAN-13 條碼", kLinear},
        {"qr", "QR Code", {"module", "ecc", "encoding", "quiet"}},
        {"datamatrix", "Data Matrix", kMatrix},
        {"pdf417", "PDF417", kMatrix},
        {"image", "圖片", {"picture", "fit", "align", "color", "dither"}},
    };
    return kinds;
}

const std::vector<FieldChoice>& fieldFormats() {
    static const std::vector<FieldChoice> formats = {
        {"", "（不格式化）", {}},
        {"amount-tw", "金額大寫 (amount-tw)", {"prefix"}},
        {"number", "數字 (number)", {"decimals", "grouping"}},
        {"roc-date", "民國日期 (roc-date)", {"pattern"}},
        {"date", "西元日期 (date)", {"pattern"}},
    };
    return formats;
}

const std::vector<std::string>& fieldOptionKeys() {
    static const std::vector<std::string> keys = {"module", "height", "ecc",    "text",   "encoding",
                                                  "quiet",  "cells",  "shrink", "min",    "prefix",
                                                  "decimals", "grouping", "pattern", "picture", "fit",
                                                  "align", "color", "dither"};
    return keys;
}

std::size_t fieldChoiceIndex(const std::vector<FieldChoice>& choices, const ProfileSection& section,
                             const std::string& key) {
    const std::string* value = section.value(key);
    if (!value) return 0;
    const auto found = std::find_if(choices.begin(), choices.end(), [&](const FieldChoice& c) { return c.key == *value; });
    return found == choices.end() ? 0 : static_cast<std::size_t>(found - choices.begin());
}

ProfileSection fieldSection(const ProfileSection& section, const std::string& kind, const std::string& format,
                            const std::map<std::string, std::string>& options) {
    ProfileSection made = section;
    made.faults.clear();
    const FieldChoice* kindChoice = chosen(fieldKinds(), kind);
    const FieldChoice* formatChoice = chosen(fieldFormats(), format);
    auto takes = [&](const std::string& key) {
        return (kindChoice && isListed(kindChoice->options, key)) || (formatChoice && isListed(formatChoice->options, key));
    };
    if (kind.empty() || kind == "text") {
        made.remove("kind");
    } else {
        made.set("kind", kind);
    }
    if (format.empty()) {
        made.remove("format");
    } else {
        made.set("format", format);
    }
    for (const std::string& key : fieldOptionKeys()) {
        const auto typed = options.find(key);
        if (typed == options.end() || typed->second.empty() || !takes(key)) {
            made.remove(key);
        } else {
            made.set(key, typed->second);
        }
    }
    return made;
}

}  // namespace zarvo
