#include "layoutmodel/SceneTypes.h"

#include <algorithm>

namespace zarvo {

RectMm rectFromCorners(PointMm a, PointMm b) {
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

EditStep invertedStep(const EditStep& step) {
    EditStep inverted;
    inverted.reserve(step.size());
    for (auto change = step.rbegin(); change != step.rend(); ++change)
        inverted.push_back({change->kind, change->index, change->after, change->before});
    return inverted;
}

}  // namespace zarvo
