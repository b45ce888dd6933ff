#include "detail/DetailSpec.h"

#include <algorithm>
#include <charconv>

#include "report/Big5.h"

namespace zarvo {

namespace {

constexpr std::string_view kSumPrefix = "sum.";
constexpr std::string_view kDefaultContinued = "接下頁";

bool contains(const std::vector<std::string>& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Reads the keys of one [Detail] section into a spec, collecting faults.
class DetailReader {
public:
    explicit DetailReader(const ProfileSection& section) : section_(section) {
        spec_.continued = *utf8ToBig5(kDefaultContinued);
    }

    ParsedDetail read() {
        for (const ProfileEntry& entry : section_.entries) readEntry(entry);
        if (!section_.find("rows")) fault(section_.line, "rows", "缺少 rows (明細的列數)");
        if (!section_.find("fields")) fault(section_.line, "fields", "缺少 fields (明細的欄位)");
        checkSums();
        if (spec_.carry && spec_.rows > 0 && spec_.rows < 3) {
            fault(section_.find("carry")->line, "carry", "carry=yes 時 rows 至少要是 3");
        }
        ParsedDetail parsed;
        parsed.faults = std::move(faults_);
        if (parsed.faults.empty()) parsed.spec = std::move(spec_);
        return parsed;
    }

private:
    void readEntry(const ProfileEntry& entry) {
        const std::string& key = entry.key;
        if (entry.verbatim) return fault(entry.line, key, key + " 的值無法讀取");
        const std::string& value = entry.value;
        if (key == "rows") return readRows(entry);
        if (key == "fields") {
            spec_.fields = names(entry, false);
            return;
        }
        if (key == "page" || key == "pages") return readOneName(entry, key == "page" ? spec_.page : spec_.pages);
        if (key.starts_with(kSumPrefix)) return readSum(entry);
        if (key == "last") {
            spec_.last = names(entry, true);
            return;
        }
        if (key == "continued") {
            const std::optional<std::string> big5 = utf8ToBig5(value);
            if (!big5) return fault(entry.line, key, "continued 有 Big5 無法表示的字元");
            spec_.continued = *big5;
            return;
        }
        if (key == "carry") {
            if (value != "yes" && value != "no") return fault(entry.line, key, "carry 必須是 yes 或 no");
            spec_.carry = value == "yes";
            return;
        }
        if (key == "source") {
            if (value.empty()) return fault(entry.line, key, "source 不可以是空的");
            spec_.source = value;
            return;
        }
        if (key == "group") {
            const std::vector<std::string> group = names(entry, true);
            if (group.size() > 1) return fault(entry.line, key, "group 只能是一個欄位名稱");
            spec_.group = group.empty() ? std::string() : group.front();
            if (group.empty()) fault(entry.line, key, "group 不可以是空的");
            return;
        }
        fault(entry.line, key, "[Detail] 沒有 " + key + " 這個設定");
    }

    void readRows(const ProfileEntry& entry) {
        int rows = 0;
        const std::string& text = entry.value;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), rows);
        if (error != std::errc() || end != text.data() + text.size() || rows < 1 || rows > kMaxDetailRows) {
            return fault(entry.line, entry.key, "rows 必須是 1 到 " + std::to_string(kMaxDetailRows) + " 的整數");
        }
        spec_.rows = rows;
    }

    void readOneName(const ProfileEntry& entry, std::string& into) {
        const std::vector<std::string> found = names(entry, true);
        if (found.size() > 1) return fault(entry.line, entry.key, entry.key + " 只能是一個區塊名稱");
        into = found.empty() ? std::string() : found.front();
    }

    void readSum(const ProfileEntry& entry) {
        const std::optional<std::string> field = utf8ToBig5(std::string_view(entry.key).substr(kSumPrefix.size()));
        if (!field || field->empty()) return fault(entry.line, entry.key, entry.key + " 沒有指明欄位");
        std::vector<std::string> blocks = names(entry, false);
        if (blocks.empty()) return;
        spec_.sums.push_back({*field, std::move(blocks)});
        sumLines_.push_back(entry.line);
    }

    // Every sum must add up a column of fields.
    void checkSums() {
        for (std::size_t i = 0; i < spec_.sums.size(); ++i) {
            if (spec_.fields.empty() || contains(spec_.fields, spec_.sums[i].field)) continue;
            const std::string key = std::string(kSumPrefix) + big5ToUtf8(spec_.sums[i].field);
            fault(sumLines_[i], key, key + " 的欄位「" + big5ToUtf8(spec_.sums[i].field) + "」不在 fields 中");
        }
    }

    // The names of entry's value as Big5, each once; a fault when one cannot
    // be held in Big5, appears twice, or (unless mayBeEmpty) there is none.
    std::vector<std::string> names(const ProfileEntry& entry, bool mayBeEmpty) {
        std::vector<std::string> out;
        for (const std::string& word : detailWords(entry.value)) {
            const std::optional<std::string> big5 = utf8ToBig5(word);
            if (!big5) {
                fault(entry.line, entry.key, entry.key + " 的「" + word + "」有 Big5 無法表示的字元");
                return {};
            }
            if (contains(out, *big5)) {
                fault(entry.line, entry.key, entry.key + " 的「" + word + "」重複");
                return {};
            }
            out.push_back(*big5);
        }
        if (out.empty() && !mayBeEmpty) fault(entry.line, entry.key, entry.key + " 不可以是空的");
        return out;
    }

    void fault(int line, const std::string& key, std::string reason) {
        faults_.push_back({line, std::move(reason), key});
    }

    const ProfileSection& section_;
    DetailSpec spec_;
    std::vector<int> sumLines_;  // the line of each sum in spec_.sums
    std::vector<ProfileFault> faults_;
};

}  // namespace

ParsedDetail parseDetailSection(const ProfileSection& section) { return DetailReader(section).read(); }

void checkDetailSection(FormProfile& profile) {
    const ProfileSection* found = profile.section(kDetailSection);
    if (!found) return;
    ProfileSection& section = profile.sectionFor(kDetailSection);
    for (ProfileFault& fault : parseDetailSection(section).faults) section.faults.push_back(std::move(fault));
}

std::optional<DetailSpec> detailSpecOf(const FormProfile& profile) {
    const ProfileSection* section = profile.section(kDetailSection);
    if (!section || !section->faults.empty()) return std::nullopt;
    return parseDetailSection(*section).spec;
}

std::vector<std::string> detailWords(std::string_view text) {
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t start = text.find_first_not_of(" \t", at);
        if (start == std::string_view::npos) break;
        const std::size_t end = std::min(text.find_first_of(" \t", start), text.size());
        out.emplace_back(text.substr(start, end - start));
        at = end;
    }
    return out;
}

std::string detailBlock(std::string_view field, int row) { return std::string(field) + std::to_string(row); }

std::vector<std::string> missingDetailBlocks(const DetailSpec& spec, const std::vector<std::string>& blockNames) {
    std::vector<std::string> missing;
    auto want = [&](const std::string& name) {
        if (!name.empty() && !contains(blockNames, name) && !contains(missing, name)) missing.push_back(name);
    };
    for (int row = 1; row <= spec.rows; ++row) {
        for (const std::string& field : spec.fields) want(detailBlock(field, row));
    }
    want(spec.page);
    want(spec.pages);
    for (const DetailSum& sum : spec.sums) {
        for (const std::string& block : sum.blocks) want(block);
    }
    for (const std::string& name : spec.last) want(name);
    return missing;
}

std::string missingDetailBlocksMessage(const std::vector<std::string>& big5Names) {
    std::string joined;
    for (const std::string& name : big5Names) joined += (joined.empty() ? "" : ", ") + big5ToUtf8(name);
    return "表單設定檔的 [Detail] 用到報表中沒有的區塊: " + joined;
}

}  // namespace zarvo
