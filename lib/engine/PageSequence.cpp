#include "engine/PageSequence.h"

namespace zarvo {

int PageSequence::startPage() {
    ++lastPage_;
    if (onPageStarted) onPageStarted(lastPage_);
    return lastPage_;
}

}  // namespace zarvo
