#include "engine/PreviewState.h"

namespace zarvo {

namespace {
PreviewState* current = nullptr;
}

PreviewState* currentPreview() { return current; }

void setCurrentPreview(PreviewState* preview) { current = preview; }

}  // namespace zarvo
