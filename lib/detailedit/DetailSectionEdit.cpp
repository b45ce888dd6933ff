#include "detailedit/DetailSectionEdit.h"

#include <algorithm>

#include "detail/DetailSpec.h"
#include "detailedit/DetailRowsFound.h"
#include "report/Big5.h"

namespace zarvo {

namespace {

constexpr std::string_view kSumPrefix = "sum.";
constexpr std::string_view kDefaultContinued = "接下頁";
// The keys the dialog shows (rows it counts itself); page and pages are
// written after fields though the dialog leaves them as they are.
const char* const kShownKeys[] = {"rows", "fields", "last", "continued", "carry", "group", "source"};

bool shownKey(const std::string& key) {
    return key.starts_with(kSumPrefix) ||
           std::any_of(std::begin(kShownKeys), std::end(kShownKeys), [&](const char* shown) { return key == shown; });
}

std::string trimmed(const std::string& text) {
    const std::vector<std::string> words = typedDetailWords(text);
    std::string out;
    for (const std::string& word : words) out += (out.empty() ? "" : " ") + word;
    return out;
}

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

struct SumText {
    std::string field;
    std::string blocks;  // separated by one blank
};

// "amount=subtotal; qty=qty_total" as its sums; full-width ';' and '='
// are taken as typed by an input method.
std::optional<std::vector<SumText>> sumsOf(std::string text, std::string& error) {
    replaceAll(text, "；", ";");
    replaceAll(text, "＝", "=");
    std::vector<SumText> sums;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(';', start), text.size());
        const std::string part = trimmed(text.substr(start, end - start));
        start = end + 1;
        if (part.empty()) continue;
        const std::size_t equals = part.find('=');
        const std::string field = equals == std::string::npos ? std::string() : trimmed(part.substr(0, equals));
        const std::string blocks = equals == std::string::npos ? std::string() : trimmed(part.substr(equals + 1));
        if (field.empty() || blocks.empty() || field.find(' ') != std::string::npos) {
            error = "合計「" + part + "」要寫成 欄位=區塊, 例如 amount=subtotal (多個合計以 ; 分開)";
            return std::nullopt;
        }
        if (std::any_of(sums.begin(), sums.end(), [&](const SumText& sum) { return sum.field == field; })) {
            error = "合計的欄位「" + field + "」重複";
            return std::nullopt;
        }
        sums.push_back({field, blocks});
    }
    return sums;
}

// The section the texts make from old (nullptr: none), keys the dialog does
// not show kept; rows is the count found.
ProfileSection sectionFrom(const ProfileSection* old, const DetailFormTexts& texts, const std::vector<SumText>& sums,
                           int rows) {
    ProfileSection section{std::string(kDetailSection), old ? old->line : 0, {}, {}, {}, {}};
    if (old) section.before = old->before, section.trailing = old->trailing;
    // A key the profile had keeps the comment lines above it.
    auto put = [&](std::string key, std::string value) {
        const ProfileEntry* kept = old ? old->find(key) : nullptr;
        ProfileEntry entry = kept ? *kept : ProfileEntry{std::move(key), {}, 0, false, {}, {}};
        entry.value = std::move(value);
        entry.verbatim = false;
        section.entries.push_back(std::move(entry));
    };
    put("rows", std::to_string(rows));
    put("fields", trimmed(texts.fields));
    for (const char* key : {"page", "pages"}) {
        if (const ProfileEntry* entry = old ? old->find(key) : nullptr) section.entries.push_back(*entry);
    }
    for (const SumText& sum : sums) put(std::string(kSumPrefix) + sum.field, sum.blocks);
    if (const std::string last = trimmed(texts.last); !last.empty()) put("last", last);
    // The default text is written only when the profile said it already.
    if (texts.continued != kDefaultContinued || (old && old->find("continued"))) put("continued", texts.continued);
    if (texts.carry) put("carry", "yes");
    if (const std::string group = trimmed(texts.group); !group.empty()) put("group", group);
    if (const std::string source = trimmed(texts.source); !source.empty()) put("source", source);
    if (old) {
        for (const ProfileEntry& entry : old->entries) {
            if (!shownKey(entry.key) && entry.key != "page" && entry.key != "pages") section.entries.push_back(entry);
        }
    }
    return section;
}

DetailEdit refused(std::string error) { return DetailEdit{std::nullopt, std::move(error)}; }

}  // namespace

DetailFormTexts detailFormTextsOf(const FormProfile& profile, const std::vector<std::string>& selectedNames) {
    DetailFormTexts texts;
    texts.continued = kDefaultContinued;
    const ProfileSection* section = profile.section(kDetailSection);
    if (section) {
        if (const std::string* fields = section->value("fields")) texts.fields = *fields;
        for (const ProfileEntry& entry : section->entries) {
            if (!entry.key.starts_with(kSumPrefix) || entry.verbatim) continue;
            texts.sums += (texts.sums.empty() ? "" : "; ") + entry.key.substr(kSumPrefix.size()) + "=" + entry.value;
        }
        if (const std::string* last = section->value("last")) texts.last = *last;
        if (const std::string* continued = section->value("continued")) texts.continued = *continued;
        const std::string* carry = section->value("carry");
        texts.carry = carry && *carry == "yes";
        if (const std::string* group = section->value("group")) texts.group = *group;
        if (const std::string* source = section->value("source")) texts.source = *source;
    }
    const std::vector<std::string> proposed = proposedDetailFields(selectedNames);
    if (!proposed.empty()) {
        texts.fields.clear();
        for (const std::string& field : proposed) texts.fields += (texts.fields.empty() ? "" : " ") + big5ToUtf8(field);
    }
    return texts;
}

DetailEdit detailProfileFrom(const FormProfile& profile, const DetailFormTexts& texts,
                             const std::vector<std::string>& blockNames) {
    FormProfile changed = profile;
    const std::vector<std::string> words = typedDetailWords(texts.fields);
    if (words.empty()) {
        changed.removeSection(kDetailSection);
        return DetailEdit{std::move(changed), {}};
    }
    std::vector<std::string> fields;
    for (const std::string& word : words) {
        const std::optional<std::string> big5 = utf8ToBig5(word);
        if (!big5) return refused("欄位「" + word + "」有 Big5 無法表示的字元");
        fields.push_back(*big5);
    }
    const DetailRowsFound found = findDetailRows(fields, blockNames);
    if (found.rows == 0) {
        const std::string field = big5ToUtf8(found.fieldsWithoutRows.front());
        return refused("欄位「" + field + "」沒有編號的區塊 (" + field + "1, " + field + "2 …), 無法當作明細列");
    }
    std::string error;
    const std::optional<std::vector<SumText>> sums = sumsOf(texts.sums, error);
    if (!sums) return refused(error);

    const ProfileSection section = sectionFrom(profile.section(kDetailSection), texts, *sums, found.rows);
    const ParsedDetail parsed = parseDetailSection(section);
    if (!parsed.spec) return refused("明細列的設定無法使用: " + parsed.faults.front().reason);
    const std::vector<std::string> missing = missingDetailBlocks(*parsed.spec, blockNames);
    if (!missing.empty()) return refused(missingDetailBlocksMessage(missing));
    changed.sectionFor(kDetailSection) = section;
    return DetailEdit{std::move(changed), {}};
}

}  // namespace zarvo
