#include "cli/RenderState.h"

namespace zarvo {

RenderState::RenderState(std::string stem) : stem_(std::move(stem)) { setCurrentPreview(this); }

RenderState::~RenderState() {
    if (currentPreview() == this) setCurrentPreview(nullptr);
}

void RenderState::setPrinter(Spooler* spooler, std::string name) {
    spooler_ = spooler;
    printer_ = std::move(name);
}

}  // namespace zarvo
