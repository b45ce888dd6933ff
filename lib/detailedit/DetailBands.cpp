#include "detailedit/DetailBands.h"

#include <algorithm>
#include <unordered_map>

#include "detail/DetailSpec.h"
#include "report/Big5.h"

namespace zarvo {

namespace {

RectMm spanned(const RectMm& a, const RectMm& b) {
    return RectMm{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                  std::max(a.bottom, b.bottom)};
}

}  // namespace

std::vector<RectMm> detailBands(const FormProfile& profile, const LayoutScene& scene) {
    const std::optional<DetailSpec> spec = detailSpecOf(profile);
    if (!spec) return {};
    // The scene names blocks in UTF-8; a name given twice counts once, by its first frame.
    std::unordered_map<std::string, RectMm> frames;
    for (int index = 0; index < scene.rowCount(RowKind::Block); ++index) {
        const RowRef ref{RowKind::Block, index};
        const std::optional<RowShape>& shape = scene.shape(ref);
        if (shape) frames.try_emplace(scene.row(ref).caption, shape->frame);
    }
    std::vector<RectMm> bands;
    for (int row = 1; row <= spec->rows; ++row) {
        std::optional<RectMm> band;
        for (const std::string& field : spec->fields) {
            const auto found = frames.find(big5ToUtf8(detailBlock(field, row)));
            if (found == frames.end()) continue;
            band = band ? spanned(*band, found->second) : found->second;
        }
        if (band) bands.push_back(*band);
    }
    return bands;
}

}  // namespace zarvo
