#pragma once
// Moving and resizing rows: the new texts of the fields that change, each the
// shortest decimal that holds it to 0.1 mm; every other field keeps its text.

#include <vector>

#include "layoutmodel/LayoutScene.h"
#include "layoutmodel/RowShape.h"
#include "layoutmodel/SceneTypes.h"

namespace zarvo {

// row moved by (dx, dy) mm: a frame's left and top, a line's two ends. Each
// coordinate becomes formatTenths(old + d); a field whose value does not
// change (d = 0) keeps its text. A row whose shape cannot be read is
// returned unchanged.
RowText movedRow(RowKind kind, const RowText& row, double dx, double dy);

// row with grip dragged to p (mm, row coordinates, as the caller snapped
// it): a frame's edges that the grip holds go to p (an edge dragged past the
// opposite one stops on it: width and height never go below 0); a line's
// start or end goes to p. Changed fields written as movedRow writes them.
RowText resizedRow(RowKind kind, const RowText& row, Grip grip, PointMm p);

// The step that replaces each of refs in scene by its moved text, leaving
// out rows that do not change; refs in any order, each contained.
EditStep moveStep(const LayoutScene& scene, const std::vector<RowRef>& refs, double dx, double dy);

// The step that removes refs from scene, highest index of each list first,
// so that applied in order every index is still right.
EditStep removeStep(const LayoutScene& scene, std::vector<RowRef> refs);

}  // namespace zarvo
