#include "compose/SheetOrder.h"

namespace zarvo {

SheetOrder::SheetOrder(int first, int last, int passes, int repeats)
    : first_(first), repeats_(repeats) {
    if (passes < 1 || repeats < 1 || first > last) return;
    // 64-bit: a range of 2^32 pages times 2^31 repeats still fits.
    const std::int64_t pages = static_cast<std::int64_t>(last) - first + 1;
    sheetsPerPass_ = pages * repeats_;
    count_ = sheetsPerPass_ > INT64_MAX / passes ? INT64_MAX : sheetsPerPass_ * passes;
}

int SheetOrder::pageOf(std::int64_t sheet) const {
    return first_ + static_cast<int>((sheet % sheetsPerPass_) / repeats_);
}

}  // namespace zarvo
