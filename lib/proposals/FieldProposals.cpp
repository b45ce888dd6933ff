#include "proposals/FieldProposals.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <set>

#include "layoutmodel/Millimetres.h"
#include "layoutmodel/RowShape.h"

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

// The text of the first caption whose frame lies in one of the caption
// boxes beside box that side says, if any.
template <typename Beside>
std::optional<std::string> captionBeside(const RectMm& box, const std::vector<GuideBox>& boxes,
                                         const std::vector<Caption>& captions, Beside beside) {
    for (const GuideBox& found : boxes) {
        if (!found.hasInk || !beside(found.frame, box)) continue;
        for (const Caption& caption : captions)
            if (holds(found.frame, caption.frame, kCaptionReachMm)) return caption.text;
    }
    return std::nullopt;
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
    std::vector<FieldProposal> proposals;
    int nextNumber = 1;
    for (const GuideBox& found : boxes) {
        if (found.hasInk) continue;
        const RectMm& box = found.frame;
        if (box.right - box.left <= 2 * marginMm || box.bottom - box.top <= 2 * marginMm) continue;
        const RectMm frame = insetFrame(box, marginMm);
        if (std::any_of(blockFrames.begin(), blockFrames.end(), [&](const RectMm& b) { return overlaps(b, frame); }))
            continue;
        std::optional<std::string> name = captionBeside(box, boxes, captions, leftOf);
        if (!name) name = captionBeside(box, boxes, captions, above);
        if (!name || taken.count(*name)) {
            do {
                name = "field" + std::to_string(nextNumber++);
            } while (taken.count(*name));
        }
        taken.insert(*name);
        proposals.push_back({*name, box, frame});
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

EditStep acceptProposalsStep(const std::vector<FieldProposal>& chosen, int blockCount) {
    EditStep step;
    for (const FieldProposal& proposal : chosen)
        step.push_back(RowChange{RowKind::Block, blockCount++, std::nullopt, proposedBlockRow(proposal)});
    return step;
}

std::vector<std::string> clashingNames(const std::vector<FieldProposal>& chosen, const std::vector<RowText>& blocks) {
    std::set<std::string> taken;
    for (const RowText& block : blocks) taken.insert(block.caption);
    std::map<std::string, int> uses;
    for (const FieldProposal& proposal : chosen) ++uses[proposal.name];
    std::vector<std::string> clashes;
    for (const FieldProposal& proposal : chosen) {
        const std::string& name = proposal.name;
        if ((taken.count(name) || uses[name] > 1) && std::find(clashes.begin(), clashes.end(), name) == clashes.end())
            clashes.push_back(name);
    }
    return clashes;
}

}  // namespace zarvo
