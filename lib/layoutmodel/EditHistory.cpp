#include "layoutmodel/EditHistory.h"

#include <algorithm>

namespace zarvo {
namespace {

// The rows step replaces, sorted; nullopt when it also inserts or removes.
std::optional<std::vector<RowRef>> replacedRows(const EditStep& step) {
    std::vector<RowRef> refs;
    for (const RowChange& change : step) {
        if (!change.before || !change.after) return std::nullopt;
        refs.push_back({change.kind, change.index});
    }
    std::sort(refs.begin(), refs.end());
    refs.erase(std::unique(refs.begin(), refs.end()), refs.end());
    return refs;
}

bool replacesSameRows(const EditStep& a, const EditStep& b) {
    auto rowsOfA = replacedRows(a);
    return rowsOfA && rowsOfA == replacedRows(b);
}

// earlier followed by later as one step: earlier's texts before, later's after.
void joinLater(EditStep& earlier, const EditStep& later) {
    for (RowChange& change : earlier) {
        auto last = std::find_if(later.rbegin(), later.rend(), [&change](const RowChange& newer) {
            return newer.kind == change.kind && newer.index == change.index;
        });
        change.after = last->after;
    }
}

}  // namespace

void EditHistory::record(EditStep step, std::int64_t atMs, bool merging) {
    if (step.empty()) return;
    undone_.clear();
    if (merging && !done_.empty()) {
        Entry& last = done_.back();
        // Unsigned, so that clocks far apart cannot overflow the difference.
        bool recent = atMs >= last.atMs && static_cast<std::uint64_t>(atMs) - static_cast<std::uint64_t>(last.atMs) <
                                               static_cast<std::uint64_t>(kMergeWindowMs);
        if (last.merging && recent && replacesSameRows(last.step, step)) {
            joinLater(last.step, step);
            last.atMs = atMs;
            return;
        }
    }
    done_.push_back({std::move(step), atMs, merging});
}

std::optional<EditStep> EditHistory::undo() {
    if (done_.empty()) return std::nullopt;
    undone_.push_back(std::move(done_.back().step));
    done_.pop_back();
    if (!done_.empty()) done_.back().merging = false;
    return invertedStep(undone_.back());
}

std::optional<EditStep> EditHistory::redo() {
    if (undone_.empty()) return std::nullopt;
    done_.push_back({std::move(undone_.back()), 0, false});
    undone_.pop_back();
    return done_.back().step;
}

void EditHistory::clear() {
    done_.clear();
    undone_.clear();
}

}  // namespace zarvo
