#pragma once
// A message presenter for tests: it records every box it is asked to show
// and answers from a queue, without any window appearing.

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "platform/Messages.h"

namespace zarvo::test {

class RecordingPresenter : public MessagePresenter {
public:
    struct Shown {
        MessageKind kind;
        MessageButtons buttons;
        std::string text;  // UTF-8, as formatted
    };

    // Installs itself as the message presenter for its lifetime.
    RecordingPresenter();
    // Puts back the presenter that was installed before.
    ~RecordingPresenter() override;
    RecordingPresenter(const RecordingPresenter&) = delete;
    RecordingPresenter& operator=(const RecordingPresenter&) = delete;

    // Queues result (1, 2, 6 or 7) as the answer to the next box; a box with
    // no answer queued is answered with its first button (1 or 6).
    void answer(int result) { answers_.push_back(result); }

    // Records the box and returns the next queued answer.
    int present(MessageKind kind, MessageButtons buttons, const std::string& text) override;

    // Every box shown so far, oldest first.
    const std::vector<Shown>& shown() const { return shown_; }
    // The texts of every box shown so far, oldest first.
    std::vector<std::string> texts() const;
    // Answers queued but not yet used.
    std::size_t pendingAnswers() const { return answers_.size(); }

private:
    MessagePresenter* previous_;
    std::deque<int> answers_;
    std::vector<Shown> shown_;
};

}  // namespace zarvo::test
