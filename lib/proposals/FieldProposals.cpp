#include "proposals/FieldProposals.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <set>

#include "detail/DetailSpec.h"
#include "layoutmodel/Millimetres.h"
#include "layoutmodel/RowShape.h"
#include "proposals/DetailTables.h"

namespace zarvo {

namespace {

// How far a caption box's edge may lie from the box's own edge to count as
// just beside it: the two share a ruled line, found twice with its error.
constexpr double kNeighbourReachMm = 1.0;
// How far a label's frame may stick out of the caption box that holds it:
// a frame drawn on the box's lines, which the scan finds a little off.
constexpr double kCaptionReachMm = 1.0;
// How much of a proposal's frame a block must cover, each way, to overlap
// it: a block drawn up to the shared line of the next box does not.
constexpr double kOverlapSlackMm = 0.2;
constexpr double kCharStepMm = 0.5;
constexpr double kMaxCharHeightMm = 5.0;
constexpr double kCharShare = 0.6;

double overlap(double lowA, double highA, double lowB, double highB) {
    return std::min(highA, highB) - std::max(lowA, lowB);
}

bool overlaps(const RectMm& a, const RectMm& b) {
    return overlap(a.left, a.right, b.left, b.right) > kOverlapSlackMm &&
           overlap(a.top, a.bottom, b.top, b.bottom) > kOverlapSlackMm;
}

bool holds(const RectMm& outer, const RectMm& inner, double reach) {
    return inner.left >= outer.left - reach && inner.top >= outer.top - reach && inner.right <= outer.right + reach &&
           inner.bottom <= outer.bottom + reach;
}

// Whether the spans share at least half of the shorter one.
bool alongside(double lowA, double highA, double lowB, double highB) {
    return overlap(lowA, highA, lowB, highB) >= std::min(highA - lowA, highB - lowB) / 2;
}

bool leftOf(const RectMm& caption, const RectMm& box) {
    return std::abs(caption.right - box.left) <= kNeighbourReachMm &&
           alongside(caption.top, caption.bottom, box.top, box.bottom);
}

bool above(const RectMm& caption, const RectMm& box) {
    return std::abs(caption.bottom - box.top) <= kNeighbourReachMm &&
           alongside(caption.left, caption.right, box.left, box.right);
}

// text without ASCII blanks and the ideographic space (U+3000).
std::string withoutBlanks(const std::string& text) {
    static const std::string ideographicSpace = "\xE3\x80\x80";
    std::string kept;
    for (std::size_t i = 0; i < text.size();) {
        if (text.compare(i, ideographicSpace.size(), ideographicSpace) == 0) {
            i += ideographicSpace.size();
        } else {
            const unsigned char c = static_cast<unsigned char>(text[i++]);
            if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '\v' && c != '\f') kept.push_back(char(c));
        }
    }
    return kept;
}

struct Caption {
    std::string text;  // blanks removed
    RectMm frame;
};

std::vector<Caption> captionsOf(const std::vector<RowText>& labels) {
    std::vector<Caption> captions;
    for (const RowText& label : labels) {
        const std::optional<RowShape> shape = rowShape(RowKind::Label, label);
        std::string text = withoutBlanks(label.caption);
        if (shape && !text.empty()) captions.push_back({std::move(text), shape->frame});
    }
    return captions;
}

// The first of the caption boxes beside box that side says, if any.
template <typename Beside>
std::optional<RectMm> captionBoxBeside(const RectMm& box, const std::vector<GuideBox>& boxes, Beside beside) {
    for (const GuideBox& found : boxes)
        if (found.hasInk && beside(found.frame, box)) return found.frame;
    return std::nullopt;
}

// The caption box of box: left of it, else above it.
std::optional<RectMm> captionBoxOf(const RectMm& box, const std::vector<GuideBox>& boxes) {
    std::optional<RectMm> found = captionBoxBeside(box, boxes, leftOf);
    return found ? found : captionBoxBeside(box, boxes, above);
}

// The text of the first caption whose frame lies in captionBox, if any.
std::optional<std::string> captionIn(const RectMm& captionBox, const std::vector<Caption>& captions) {
    for (const Caption& caption : captions)
        if (holds(captionBox, caption.frame, kCaptionReachMm)) return caption.text;
    return std::nullopt;
}

// The text of the first caption in one of the caption boxes beside box that
// side says, if any.
template <typename Beside>
std::optional<std::string> captionBeside(const RectMm& box, const std::vector<GuideBox>& boxes,
                                         const std::vector<Caption>& captions, Beside beside) {
    for (const GuideBox& found : boxes) {
        if (!found.hasInk || !beside(found.frame, box)) continue;
        if (std::optional<std::string> text = captionIn(found.frame, captions)) return text;
    }
    return std::nullopt;
}

// The names a fallback takes in turn: field1, field2 ... for lone boxes,
// colA, colB ... for detail columns (whose blocks add the row's number).
std::string fallbackName(bool column, int number) {
    if (!column) return "field" + std::to_string(number);
    std::string letters;
    for (int n = number; n > 0; n = (n - 1) / 26) letters.insert(letters.begin(), char('A' + (n - 1) % 26));
    return "col" + letters;
}

// Where a box lies in the tables: the table's column it starts, or a later
// row of one.
struct TablePlace {
    const std::vector<RectMm>* column = nullptr;  // the box is this column's first row
    RectMm header;
    bool laterRow = false;
};

TablePlace tablePlace(const RectMm& box, const std::vector<DetailTable>& tables) {
    for (const DetailTable& table : tables) {
        for (std::size_t c = 0; c < table.columns.size(); ++c) {
            const std::vector<RectMm>& column = table.columns[c];
            if (column.front() == box) return {&column, table.headers[c], false};
            if (std::find(column.begin() + 1, column.end(), box) != column.end()) return {nullptr, {}, true};
        }
    }
    return {};
}

}  // namespace

std::vector<FieldProposal> proposeFields(const std::vector<GuideBox>& boxes, const std::vector<RowText>& labels,
                                         const std::vector<RowText>& blocks, double marginMm) {
    std::vector<RectMm> blockFrames;
    std::set<std::string> taken;
    for (const RowText& block : blocks) {
        taken.insert(block.caption);
        if (const std::optional<RowShape> shape = rowShape(RowKind::Block, block)) blockFrames.push_back(shape->frame);
    }
    const std::vector<Caption> captions = captionsOf(labels);
    const std::vector<DetailTable> tables = findDetailTables(boxes);
    const auto free = [&](const RectMm& box) {
        if (box.right - box.left <= 2 * marginMm || box.bottom - box.top <= 2 * marginMm) return false;
        const RectMm frame = insetFrame(box, marginMm);
        return std::none_of(blockFrames.begin(), blockFrames.end(),
                            [&](const RectMm& b) { return overlaps(b, frame); });
    };
    std::vector<FieldProposal> proposals;
    int nextField = 1, nextColumn = 1;
    for (const GuideBox& found : boxes) {
        if (found.hasInk) continue;
        const RectMm& box = found.frame;
        const TablePlace place = tablePlace(box, tables);
        if (place.laterRow) continue;
        FieldProposal proposal;
        proposal.box = box;
        proposal.frame = insetFrame(box, marginMm);
        if (place.column) {
            for (const RectMm& row : *place.column)
                if (free(row)) proposal.rowBoxes.push_back(row);
            if (proposal.rowBoxes.empty()) continue;
            proposal.box = proposal.rowBoxes.front();
            proposal.frame = insetFrame(proposal.box, marginMm);
            proposal.captionBox = place.header;
        } else {
            if (!free(box)) continue;
            proposal.captionBox = captionBoxOf(box, boxes);
        }
        std::optional<std::string> name = place.column ? captionIn(place.header, captions)
                                                        : captionBeside(box, boxes, captions, leftOf);
        if (!name && !place.column) name = captionBeside(box, boxes, captions, above);
        if (name) proposal.caption = *name;
        if (!name || taken.count(*name)) {
            int& next = place.column ? nextColumn : nextField;
            do {
                name = fallbackName(bool(place.column), next++);
            } while (taken.count(*name));
        }
        taken.insert(*name);
        proposal.name = *name;
        proposals.push_back(std::move(proposal));
    }
    return proposals;
}

double proposedCharHeight(double boxHeightMm) {
    const double steps = std::floor(boxHeightMm * kCharShare / kCharStepMm + 1e-9);
    return std::clamp(steps * kCharStepMm, kCharStepMm, kMaxCharHeightMm);
}

RowText proposedBlockRow(const FieldProposal& proposal) {
    const double left = roundToTenth(proposal.frame.left), top = roundToTenth(proposal.frame.top);
    const double right = roundToTenth(proposal.frame.right), bottom = roundToTenth(proposal.frame.bottom);
    // Style, left, top, width, height, rowgap, colgap, distribution, font,
    // ychar, xmargin, ymargin.
    return RowText{proposal.name,
                   {"0", formatTenths(left), formatTenths(top), formatTenths(right - left), formatTenths(bottom - top),
                    "0", "0", proposal.number ? "5" : "0", "0",
                    formatTenths(proposedCharHeight(proposal.box.bottom - proposal.box.top)), "0", "0"}};
}

std::vector<std::string> proposedBlockNames(const FieldProposal& proposal) {
    if (proposal.rowBoxes.empty()) return {proposal.name};
    std::vector<std::string> names;
    for (std::size_t row = 1; row <= proposal.rowBoxes.size(); ++row) names.push_back(detailBlock(proposal.name, int(row)));
    return names;
}

std::vector<RectMm> proposedBlockFrames(const FieldProposal& proposal) {
    if (proposal.rowBoxes.empty()) return {proposal.frame};
    const double margin = proposal.frame.left - proposal.box.left;
    std::vector<RectMm> frames;
    for (const RectMm& box : proposal.rowBoxes) frames.push_back(insetFrame(box, margin));
    return frames;
}

EditStep acceptProposalsStep(const std::vector<FieldProposal>& chosen, int blockCount) {
    EditStep step;
    for (const FieldProposal& proposal : chosen) {
        if (proposal.rowBoxes.empty()) {
            step.push_back(RowChange{RowKind::Block, blockCount++, std::nullopt, proposedBlockRow(proposal)});
            continue;
        }
        const std::vector<std::string> names = proposedBlockNames(proposal);
        const std::vector<RectMm> frames = proposedBlockFrames(proposal);
        for (std::size_t row = 0; row < names.size(); ++row) {
            FieldProposal one = proposal;
            one.name = names[row];
            one.box = proposal.rowBoxes[row];
            one.frame = frames[row];
            step.push_back(RowChange{RowKind::Block, blockCount++, std::nullopt, proposedBlockRow(one)});
        }
    }
    return step;
}

std::vector<std::string> clashingNames(const std::vector<FieldProposal>& chosen, const std::vector<RowText>& blocks) {
    std::set<std::string> taken;
    for (const RowText& block : blocks) taken.insert(block.caption);
    std::map<std::string, int> uses;
    for (const FieldProposal& proposal : chosen)
        for (const std::string& block : proposedBlockNames(proposal)) ++uses[block];
    std::vector<std::string> clashes;
    for (const FieldProposal& proposal : chosen) {
        const std::vector<std::string> names = proposedBlockNames(proposal);
        const bool clash = std::any_of(names.begin(), names.end(),
                                       [&](const std::string& n) { return taken.count(n) || uses[n] > 1; });
        if (clash && std::find(clashes.begin(), clashes.end(), proposal.name) == clashes.end())
            clashes.push_back(proposal.name);
    }
    return clashes;
}

}  // namespace zarvo
