#pragma once
// Frames placed by typed numbers: the selection moved by x and y, or one
// frame given its left, top, width and height, in mm, as one edit.

#include <optional>
#include <string>
#include <vector>

#include "layoutmodel/LayoutScene.h"
#include "layoutmodel/SceneTypes.h"

namespace zarvo {

struct PositionRequest {
    enum class Kind { Move, Set };
    Kind kind = Kind::Move;
    double x = 0;  // Move: to the right; Set: the left edge
    double y = 0;  // Move: down; Set: the top edge
    double width = 0;   // Set only
    double height = 0;  // Set only
};

// What the position dialog holds, as typed.
struct PositionTexts {
    bool move = true;
    std::string x, y, width, height;
};

// The request the texts make; nullopt with error (UTF-8) for a value that
// is no number, or a width or height not above 0. Empty x or y of a move
// count as 0.
std::optional<PositionRequest> positionRequestFrom(const PositionTexts& texts, std::string& error);

// The texts that show frame ref of scene where it stands (for Set).
PositionTexts positionTextsOf(const LayoutScene& scene, RowRef ref);

// The step that request makes of selection: every selected row moved, or
// the one selected frame placed; empty when nothing changes. error (UTF-8)
// says why a Set cannot be done (not exactly one label or block selected).
EditStep positionStep(const LayoutScene& scene, const std::vector<RowRef>& selection, const PositionRequest& request,
                      std::string& error);

}  // namespace zarvo
