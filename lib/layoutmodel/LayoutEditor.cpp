#include "layoutmodel/LayoutEditor.h"

#include <algorithm>
#include <utility>

#include "layoutmodel/Millimetres.h"
#include "layoutmodel/RowEdits.h"
#include "layoutmodel/Snapping.h"

namespace zarvo {
namespace {

// Which coordinates of its point a grip moves.
bool movesX(Grip grip) { return grip != Grip::Top && grip != Grip::Bottom; }
bool movesY(Grip grip) { return grip != Grip::Left && grip != Grip::Right; }

// The point a move is anchored at: a frame's top-left, a line's start.
PointMm referencePoint(const RowShape& shape) {
    return shape.kind == RowKind::Line ? shape.start : PointMm{shape.frame.left, shape.frame.top};
}

// Where ref is after the changes of step from first on; nullopt when one removes it.
std::optional<RowRef> followed(RowRef ref, const EditStep& step, std::size_t first) {
    for (std::size_t i = first; i < step.size(); ++i) {
        const RowChange& change = step[i];
        if (change.kind != ref.kind || (change.before && change.after)) continue;
        if (change.after) {
            if (ref.index >= change.index) ++ref.index;
        } else if (ref.index == change.index) {
            return std::nullopt;
        } else if (ref.index > change.index) {
            --ref.index;
        }
    }
    return ref;
}

}  // namespace

LayoutEditor::LayoutEditor(ChangeHandler changed) : changed_(std::move(changed)) {}

bool LayoutEditor::isSelected(RowRef ref) const {
    return std::binary_search(selection_.begin(), selection_.end(), ref);
}

void LayoutEditor::select(std::vector<RowRef> refs, std::optional<RowRef> current) {
    std::erase_if(refs, [this](RowRef ref) { return !scene_.contains(ref); });
    std::sort(refs.begin(), refs.end());
    refs.erase(std::unique(refs.begin(), refs.end()), refs.end());
    selection_ = std::move(refs);
    if (current && !isSelected(*current)) current.reset();
    current_ = current || selection_.empty() ? current : selection_.front();
}

void LayoutEditor::clearSelection() {
    selection_.clear();
    current_.reset();
}

void LayoutEditor::selectAll() { select(scene_.allRows(), current_); }

void LayoutEditor::press(PointMm p, PointerKeys keys) {
    cancelGesture();
    pressAt_ = pointer_ = p;
    pressKeys_ = keys;
    if (keys.shift) {
        gesture_ = Gesture::NewShape;
        newKind_ = keys.alt ? RowKind::Line : RowKind::Block;
        newStart_ = newEnd_ = p;
        return;
    }
    if (startResize(p)) return;
    std::optional<RowRef> hit = scene_.rowAt(p, kLineToleranceMm);
    if (hit && keys.control) {
        toggle(*hit);
    } else if (hit) {
        startMove(*hit);
    } else {
        if (!keys.control) clearSelection();
        selectionAtPress_ = selection_;
        gesture_ = Gesture::RubberBand;
    }
}

bool LayoutEditor::startResize(PointMm p) {
    std::vector<RowRef> candidates;
    if (current_) candidates.push_back(*current_);
    candidates.insert(candidates.end(), selection_.begin(), selection_.end());
    for (RowRef ref : candidates) {
        const std::optional<RowShape>& shape = scene_.shape(ref);
        std::optional<Grip> grip = shape ? gripAt(*shape, p, gripRadius_) : std::nullopt;
        if (!grip) continue;
        gesture_ = Gesture::Resize;
        grabbed_ = ref;
        grip_ = *grip;
        current_ = ref;
        return true;
    }
    return false;
}

void LayoutEditor::startMove(RowRef hit) {
    if (isSelected(hit)) {
        current_ = hit;
    } else {
        select({hit});
    }
    gesture_ = Gesture::Move;
    grabbed_ = hit;
    anchor_ = referencePoint(*scene_.shape(hit));
    selectionAtPress_ = selection_;
}

void LayoutEditor::toggle(RowRef ref) {
    std::vector<RowRef> refs = selection_;
    auto at = std::find(refs.begin(), refs.end(), ref);
    if (at == refs.end()) {
        refs.push_back(ref);
        select(std::move(refs), ref);
    } else {
        refs.erase(at);
        select(std::move(refs), current_);
    }
}

void LayoutEditor::drag(PointMm p, SnapTo snap) {
    pointer_ = p;
    shownGuides_.clear();
    if (gesture_ == Gesture::Move || gesture_ == Gesture::Resize) replaceLiveStep(liveStepAt(p, snap));
    if (gesture_ == Gesture::NewShape) {
        const auto corner = [&](PointMm at) {
            PointSnap landed = snapPoint(at, true, true, {at.x, at.x}, {at.y, at.y}, guides_, snap, gridOrigin_);
            shownGuides_.insert(shownGuides_.end(), landed.guides.begin(), landed.guides.end());
            return landed.point;
        };
        newStart_ = corner(pressAt_);
        newEnd_ = corner(p);
    }
}

EditStep LayoutEditor::liveStepAt(PointMm p, SnapTo snap) {
    // A click without moving leaves the rows alone, even off the grid.
    if (p == pressAt_) return {};
    scene_.apply(invertedStep(liveStep_));
    EditStep next;
    if (gesture_ == Gesture::Move) {
        const std::optional<RowShape>& grabbed = scene_.shape(grabbed_);
        const RectMm bounds = grabbed ? grabbed->bounds() : RectMm{anchor_.x, anchor_.y, anchor_.x, anchor_.y};
        PointSnap d = snapMove(bounds, anchor_, {p.x - pressAt_.x, p.y - pressAt_.y}, guides_, snap, gridOrigin_);
        shownGuides_ = std::move(d.guides);
        next = moveStep(scene_, selectionAtPress_, d.point.x, d.point.y);
    } else {
        const RowText& before = scene_.row(grabbed_);
        RowText after = resizedRow(grabbed_.kind, before, grip_, resizedTo(p, snap));
        if (after != before) next.push_back({grabbed_.kind, grabbed_.index, before, std::move(after)});
    }
    scene_.apply(liveStep_);
    return next;
}

PointMm LayoutEditor::resizedTo(PointMm p, SnapTo snap) {
    const std::optional<RowShape>& shape = scene_.shape(grabbed_);
    // A frame's edge meets lines along its length; a line's end only where it is.
    Span xSpan{p.x, p.x}, ySpan{p.y, p.y};
    if (shape && shape->kind != RowKind::Line) {
        xSpan = {shape->frame.left, shape->frame.right};
        ySpan = {shape->frame.top, shape->frame.bottom};
    }
    PointSnap landed = snapPoint(p, movesX(grip_), movesY(grip_), xSpan, ySpan, guides_, snap, gridOrigin_);
    shownGuides_ = std::move(landed.guides);
    return landed.point;
}

void LayoutEditor::replaceLiveStep(EditStep next) {
    if (next == liveStep_) return;
    EditStep difference = invertedStep(liveStep_);
    difference.insert(difference.end(), next.begin(), next.end());
    applyAndNotify(difference);
    liveStep_ = std::move(next);
}

std::optional<NewShape> LayoutEditor::release(PointMm p, SnapTo snap, std::int64_t atMs) {
    drag(p, snap);
    shownGuides_.clear();
    std::optional<NewShape> drawn = shapeInProgress();
    if (std::optional<RectMm> band = rubberBand()) {
        std::vector<RowRef> refs = *rubberBandRule() == BandRule::Touching ? scene_.rowsTouching(*band)
                                                                            : scene_.rowsInside(*band);
        if (pressKeys_.control) refs.insert(refs.end(), selectionAtPress_.begin(), selectionAtPress_.end());
        select(std::move(refs), current_);
    }
    history_->record(std::exchange(liveStep_, {}), atMs);
    gesture_ = Gesture::None;
    if (drawn && drawn->start != drawn->end) return drawn;
    return std::nullopt;
}

void LayoutEditor::cancelGesture() {
    replaceLiveStep({});
    shownGuides_.clear();
    gesture_ = Gesture::None;
}

std::optional<RectMm> LayoutEditor::rubberBand() const {
    if (gesture_ != Gesture::RubberBand) return std::nullopt;
    return rectFromCorners(pressAt_, pointer_);
}

LayoutEditor::BandRule LayoutEditor::bandRule(PointMm from, PointMm to) {
    return to.x < from.x ? BandRule::Touching : BandRule::Inside;
}

std::optional<LayoutEditor::BandRule> LayoutEditor::rubberBandRule() const {
    if (gesture_ != Gesture::RubberBand) return std::nullopt;
    return bandRule(pressAt_, pointer_);
}

std::optional<NewShape> LayoutEditor::shapeInProgress() const {
    if (gesture_ != Gesture::NewShape) return std::nullopt;
    if (newKind_ == RowKind::Line) return NewShape{newKind_, newStart_, newEnd_};
    RectMm corners = rectFromCorners(newStart_, newEnd_);
    return NewShape{newKind_, {corners.left, corners.top}, {corners.right, corners.bottom}};
}

void LayoutEditor::nudge(double dx, double dy, std::int64_t atMs) {
    cancelGesture();
    EditStep step = moveStep(scene_, selection_, dx, dy);
    applyAndNotify(step);
    history_->record(std::move(step), atMs, true);
}

void LayoutEditor::deleteSelection(std::int64_t atMs, const std::function<EditStep(const EditStep&)>& followUp) {
    cancelGesture();
    EditStep step = removeStep(scene_, selection_);
    applyAndNotify(step);
    if (followUp && !step.empty()) {
        const EditStep more = followUp(step);
        scene_.apply(more);
        step.insert(step.end(), more.begin(), more.end());
    }
    history_->record(std::move(step), atMs);
    clearSelection();
}

bool LayoutEditor::undo() {
    cancelGesture();
    return replay(history_->undo());
}

bool LayoutEditor::redo() {
    cancelGesture();
    return replay(history_->redo());
}

bool LayoutEditor::replay(const std::optional<EditStep>& step) {
    if (!step) return false;
    applyAndNotify(*step);
    selectTouched(*step);
    return true;
}

void LayoutEditor::edit(const EditStep& step, std::int64_t atMs, bool notify) {
    cancelGesture();
    if (notify) {
        applyAndNotify(step);
    } else {
        scene_.apply(step);
    }
    history_->record(step, atMs);
    followSelection(step);
}

void LayoutEditor::applyAndNotify(const EditStep& step) {
    scene_.apply(step);
    if (changed_ && !step.empty()) changed_(step);
}

void LayoutEditor::selectTouched(const EditStep& step) {
    std::vector<RowRef> touched;
    for (std::size_t i = 0; i < step.size(); ++i) {
        if (!step[i].after) continue;
        if (auto ref = followed({step[i].kind, step[i].index}, step, i + 1)) touched.push_back(*ref);
    }
    select(std::move(touched), current_);
}

void LayoutEditor::followSelection(const EditStep& step) {
    std::vector<RowRef> kept;
    for (RowRef ref : selection_)
        if (auto moved = followed(ref, step, 0)) kept.push_back(*moved);
    select(std::move(kept), current_ ? followed(*current_, step, 0) : std::nullopt);
}

}  // namespace zarvo
