#pragma once
// Data frames proposed for the empty boxes of the stationery: one block for
// every box that holds no printed caption and no block yet, filling it less
// a margin, named after the caption beside it when the report has one. The
// columns of a table under a row of captions are proposed as detail rows:
// one block a row, numbered.
// Widget-free; everything is in millimetres of the report's row coordinates.

#include <optional>
#include <string>
#include <vector>

#include "layoutmodel/SceneTypes.h"
#include "layoutmodel/StationeryGuides.h"

namespace zarvo {

// One proposed frame.
struct FieldProposal {
    std::string name;  // UTF-8, without blanks
    RectMm box;        // the box it fills
    RectMm frame;      // the box less the margin
    bool number = false;  // named after a column of numbers: set right (distribution 5)
    // The caption box beside the box (left, else above; a table's header)
    // whose printed caption may name it, and that caption (UTF-8) when known:
    // a label's text, or the scan's print read.
    std::optional<RectMm> captionBox;
    std::string caption;
    // A column of detail rows: the boxes of its rows, first row first (box is
    // the first); its blocks are the name followed by the row number. Empty
    // for a lone box.
    std::vector<RectMm> rowBoxes;
    bool operator==(const FieldProposal&) const = default;
};

// The proposals for boxes (in reading order), given the report's label and
// block rows as their lists hold them and the margin left inside each box
// (mm). A box gets one when it holds no caption, is larger than twice the
// margin both ways, and overlaps no readable block (touching one is no
// overlap). Its name is the caption (blanks removed) of the first label
// whose frame lies in the caption box just left of it, else just above it,
// when no block or earlier proposal has that name; otherwise the first of
// field1, field2, ... that none has. The boxes of a table (findDetailTables)
// give one proposal a column instead, at its first row's box, named after
// the label in its header or else colA, colB, ...; it holds every row's box.
std::vector<FieldProposal> proposeFields(const std::vector<GuideBox>& boxes, const std::vector<RowText>& labels,
                                         const std::vector<RowText>& blocks, double marginMm);

// The character height of a block in a box boxHeightMm high: 0.6 of it,
// rounded down to 0.5 mm, from 0.5 mm to 5 mm.
double proposedCharHeight(double boxHeightMm);

// The block row that proposal becomes: its name and frame (to 0.1 mm), the
// character height for its box, style, distribution and font 0 (the list
// pages' first choices) and no gaps or margins, as a new row's editor fills
// them.
RowText proposedBlockRow(const FieldProposal& proposal);

// The blocks proposal makes: its name, or for a column of detail rows its
// name followed by each row's number (qty1, qty2 ...).
std::vector<std::string> proposedBlockNames(const FieldProposal& proposal);
// The frames of those blocks, in the same order: each box less the margin
// that proposal's frame keeps inside its box.
std::vector<RectMm> proposedBlockFrames(const FieldProposal& proposal);

// The step that appends the chosen proposals' rows to a block list of
// blockCount rows, in the order given, a column of detail rows as a block
// for each row's box: one undo step.
EditStep acceptProposalsStep(const std::vector<FieldProposal>& chosen, int blockCount);

// The names (UTF-8) of the proposals among chosen one of whose blocks
// (proposedBlockNames) a block of blocks already has, or that two of chosen
// share: adding them would leave only the last block of a name filled. Each
// once, in the order of chosen.
std::vector<std::string> clashingNames(const std::vector<FieldProposal>& chosen, const std::vector<RowText>& blocks);

}  // namespace zarvo
