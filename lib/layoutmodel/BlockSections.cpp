#include "layoutmodel/BlockSections.h"

#include <algorithm>

#include "report/Big5.h"

namespace zarvo {

namespace {

std::optional<std::string> big5Name(const std::optional<RowText>& row) {
    if (!row) return std::nullopt;
    return utf8ToBig5(row->caption);
}

}  // namespace

std::optional<FormProfile> profileFollowingBlocks(const FormProfile& profile, const EditStep& step,
                                                  const std::vector<std::string>& blockNames) {
    std::vector<std::string> remaining;
    for (const std::string& name : blockNames) {
        if (std::optional<std::string> bytes = utf8ToBig5(name)) remaining.push_back(std::move(*bytes));
    }
    const auto borne = [&remaining](const std::string& name) {
        return std::find(remaining.begin(), remaining.end(), name) != remaining.end();
    };
    FormProfile after = profile;
    for (const RowChange& change : step) {
        if (change.kind != RowKind::Block) continue;
        const std::optional<std::string> before = big5Name(change.before);
        if (!before || *before == big5Name(change.after) || borne(*before) || !after.block(*before)) continue;
        if (!change.after) {
            after.removeSection(blockSectionName(*before));
        } else if (const std::optional<std::string> renamed = big5Name(change.after); renamed && !after.block(*renamed)) {
            after.renameBlock(*before, *renamed);
        }
    }
    if (after == profile) return std::nullopt;
    return after;
}

}  // namespace zarvo
