#include "tests/common/RecordingPresenter.h"

namespace zarvo::test {

RecordingPresenter::RecordingPresenter() : previous_(&messagePresenter()) {
    setMessagePresenter(this);
}

RecordingPresenter::~RecordingPresenter() { setMessagePresenter(previous_); }

int RecordingPresenter::present(MessageKind kind, MessageButtons buttons, const std::string& text) {
    shown_.push_back({kind, buttons, text});
    if (answers_.empty()) return buttons == MessageButtons::YesNo ? ResultYes : ResultOk;
    const int result = answers_.front();
    answers_.pop_front();
    return result;
}

std::vector<std::string> RecordingPresenter::texts() const {
    std::vector<std::string> texts;
    for (const Shown& box : shown_) texts.push_back(box.text);
    return texts;
}

}  // namespace zarvo::test
