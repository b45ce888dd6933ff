#pragma once
// What the pointer and the keys do on the Layout page, without widgets:
// selecting, rubber bands, moving and resizing the selection, drawing a new
// frame or line, nudging, deleting, undo and redo. Points are millimetres in
// row coordinates; the view converts from pixels. Every change of the rows
// goes to the owner through the change callback, so that its lists follow.

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "layoutmodel/EditHistory.h"
#include "layoutmodel/GuideSnapping.h"
#include "layoutmodel/LayoutScene.h"
#include "layoutmodel/RowShape.h"
#include "layoutmodel/SceneTypes.h"

namespace zarvo {

// The modifier keys held with a press or a drag.
struct PointerKeys {
    bool control = false;
    bool shift = false;
    bool alt = false;
};

// A frame or line drawn with Shift (+ Alt) and a drag, for its editor.
struct NewShape {
    RowKind kind = RowKind::Block;  // Block or Line
    PointMm start;
    PointMm end;
};

class LayoutEditor {
public:
    // Called with every step applied to the scene by the editor (drags call
    // it at every move with the change since the last call).
    using ChangeHandler = std::function<void(const EditStep&)>;

    explicit LayoutEditor(ChangeHandler changed);

    LayoutScene& scene() { return scene_; }
    const LayoutScene& scene() const { return scene_; }
    EditHistory& history() { return *history_; }
    // Records into history (not owned, outlives the editor) from now on,
    // instead of the editor's own.
    void useHistory(EditHistory& history) { history_ = &history; }

    // The printer origin in row coordinates (minus the header's offsets),
    // which the grid counts from.
    void setGridOrigin(PointMm origin) { gridOrigin_ = origin; }
    // How near a grip the pointer must be to take it, mm (the view passes
    // its handle size at the current zoom).
    void setGripRadius(double mm) { gripRadius_ = mm; }
    // The stationery's lines and boxes in row coordinates, which drags snap
    // to before the grid (none: only the grid).
    void setGuides(StationeryGuides guides) { guides_ = std::move(guides); }
    const StationeryGuides& guides() const { return guides_; }
    // The lines the drag under way landed on, for the view to show.
    const std::vector<ShownGuide>& shownGuides() const { return shownGuides_; }
    // How near a line the pointer must be to hit it, mm.
    static constexpr double kLineToleranceMm = 1.0;

    // The selected rows in scene order (lines, labels, blocks, each by
    // index) and the current row, the one last clicked or selected alone.
    const std::vector<RowRef>& selection() const { return selection_; }
    std::optional<RowRef> current() const { return current_; }
    bool isSelected(RowRef ref) const;
    // Selects refs (those the scene contains), current the given one if it
    // is among them, else the first.
    void select(std::vector<RowRef> refs, std::optional<RowRef> current = std::nullopt);
    void clearSelection();
    // Selects every row of the three lists, keeping the current row.
    void selectAll();

    // Pointer. press: Shift starts a new frame (Alt + Shift a new line) at
    // p; a grip of a selected row starts resizing it; a row (scene.rowAt)
    // with Control is added to or removed from the selection, without it is
    // selected alone unless already selected, and the selection starts
    // moving; an empty place starts a rubber band (Control keeps the
    // selection and adds to it). drag: follows the pointer; moves and
    // resizes snap when snap is set (dragMove, snapToGrid), else land on
    // 0.1 mm; a new shape's corners snap likewise. release: ends the
    // gesture; a move or resize that changed rows is one history step; a
    // rubber band selects rows by its rule (bandRule); a new shape drawn
    // larger than nothing is returned for its editor (never added here).
    void press(PointMm p, PointerKeys keys);
    // With snap.lines, a dragged edge, corner or line end, and the grabbed
    // row's edges in a move, land on the stationery's nearest line within
    // reach before the grid (snapPoint, snapMove). A bool snap is both.
    void drag(PointMm p, SnapTo snap);
    void drag(PointMm p, bool snap) { drag(p, SnapTo{snap, snap}); }
    std::optional<NewShape> release(PointMm p, SnapTo snap, std::int64_t atMs);
    std::optional<NewShape> release(PointMm p, bool snap, std::int64_t atMs) {
        return release(p, SnapTo{snap, snap}, atMs);
    }
    // Drops a gesture in progress, putting moved rows back.
    void cancelGesture();
    bool gestureActive() const { return gesture_ != Gesture::None; }

    // Which rows a rubber band selects: dragged left to right, those wholly
    // inside it; right to left, every row it touches.
    enum class BandRule { Inside, Touching };
    static BandRule bandRule(PointMm from, PointMm to);

    // What the view draws while a gesture goes on.
    std::optional<RectMm> rubberBand() const;
    std::optional<BandRule> rubberBandRule() const;
    std::optional<NewShape> shapeInProgress() const;

    // Keys. Moves the selection by (dx, dy) mm, never snapped; presses less
    // than a second apart on the same rows share one history step.
    void nudge(double dx, double dy, std::int64_t atMs);
    // Removes the selected rows and clears the selection; followUp, given
    // the removal once it is applied, returns what else changed with it
    // (already applied by the owner): both are one step.
    void deleteSelection(std::int64_t atMs, const std::function<EditStep(const EditStep&)>& followUp = {});
    // Undo and redo one step; the rows it changed (those still there) are
    // selected afterwards. False when there was nothing to do.
    bool undo();
    bool redo();

    // An edit made elsewhere (an editor dialog, a new row): applied to the
    // scene and recorded as one step. With notify the change handler is
    // called, otherwise the owner's lists hold it already.
    void edit(const EditStep& step, std::int64_t atMs, bool notify);

private:
    enum class Gesture { None, Move, Resize, RubberBand, NewShape };

    void applyAndNotify(const EditStep& step);
    // Replaces the live step of a drag by next, telling the owner the difference.
    void replaceLiveStep(EditStep next);
    // The live step of a move or resize with the pointer at p, computed from
    // the rows as they were at press.
    EditStep liveStepAt(PointMm p, SnapTo snap);
    // Where the grip being dragged lands with the pointer at p.
    PointMm resizedTo(PointMm p, SnapTo snap);
    void selectTouched(const EditStep& step);
    // Starts resizing by a grip of a selected row under p; false when none is.
    bool startResize(PointMm p);
    void startMove(RowRef hit);
    void toggle(RowRef ref);
    // Applies an undo or redo step; false when there is none.
    bool replay(const std::optional<EditStep>& step);
    // Keeps the selection on the same rows after step inserted or removed rows.
    void followSelection(const EditStep& step);

    ChangeHandler changed_;
    LayoutScene scene_;
    EditHistory ownHistory_;
    EditHistory* history_ = &ownHistory_;
    PointMm gridOrigin_;
    double gripRadius_ = 1.0;
    StationeryGuides guides_;
    std::vector<ShownGuide> shownGuides_;

    std::vector<RowRef> selection_;
    std::optional<RowRef> current_;

    Gesture gesture_ = Gesture::None;
    PointMm pressAt_;
    PointMm pointer_;
    PointerKeys pressKeys_;
    std::vector<RowRef> selectionAtPress_;
    RowRef grabbed_;
    PointMm anchor_;
    Grip grip_ = Grip::TopLeft;
    RowKind newKind_ = RowKind::Block;
    PointMm newStart_;
    PointMm newEnd_;
    EditStep liveStep_;
};

}  // namespace zarvo
