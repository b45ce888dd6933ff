#include "preview/HeadlessPreview.h"

namespace zarvo {

HeadlessPreview::HeadlessPreview(std::string stem) : previous_(currentPreview()), stem_(std::move(stem)) {
    setCurrentPreview(this);
}

HeadlessPreview::~HeadlessPreview() {
    if (currentPreview() == this) setCurrentPreview(previous_);
}

void HeadlessPreview::setPrinter(Spooler* spooler, std::string name) {
    spooler_ = spooler;
    printer_ = std::move(name);
}

}  // namespace zarvo
