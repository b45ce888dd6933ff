#pragma once
// Undo and redo of the Layout page's edits: one step per drag, one per run of
// key presses less than a second apart.

#include <cstdint>
#include <optional>
#include <vector>

#include "layoutmodel/SceneTypes.h"

namespace zarvo {

class EditHistory {
public:
    // How close in time two key presses must be to share a step.
    static constexpr std::int64_t kMergeWindowMs = 1000;

    // Records step, already applied, at time atMs (milliseconds of any
    // steady clock), dropping whatever could be redone. An empty step
    // records nothing. With merging set, a step that replaces exactly the
    // rows that the last recorded step replaced (no insertions or removals
    // in either), recorded with merging too less than kMergeWindowMs after
    // it, joins it: undoing it then restores the rows as they were before
    // both.
    void record(EditStep step, std::int64_t atMs, bool merging = false);

    bool canUndo() const { return !done_.empty(); }
    bool canRedo() const { return !undone_.empty(); }

    // The step to apply that undoes the last recorded or redone step, which
    // moves to the redo side; nullopt when there is none.
    std::optional<EditStep> undo();
    // The step to apply that does again the last undone step; nullopt when
    // there is none.
    std::optional<EditStep> redo();

    // Forgets every step.
    void clear();

private:
    struct Entry {
        EditStep step;
        std::int64_t atMs = 0;
        bool merging = false;
    };
    std::vector<Entry> done_;
    std::vector<EditStep> undone_;
};

}  // namespace zarvo
