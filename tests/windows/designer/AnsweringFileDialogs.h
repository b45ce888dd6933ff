#pragma once
// Answers the file dialogs in a test: each showing takes the next queued
// answer (a path, or nullopt for Cancel) and is recorded.

#include <deque>
#include <optional>
#include <vector>

#include "designer/FileDialogs.h"

namespace zarvo::test {

class AnsweringFileDialogs : public FileDialogPresenter {
public:
    AnsweringFileDialogs() { setFileDialogPresenter(this); }
    ~AnsweringFileDialogs() override { setFileDialogPresenter(nullptr); }
    AnsweringFileDialogs(const AnsweringFileDialogs&) = delete;
    AnsweringFileDialogs& operator=(const AnsweringFileDialogs&) = delete;

    // A showing with no answer queued is cancelled.
    std::optional<QString> choose(const FileDialogRequest& request) override {
        requests.push_back(request);
        if (answers.empty()) return std::nullopt;
        const bool chosen = answers.front().has_value();
        const QString path = chosen ? *answers.front() : QString();
        answers.pop_front();
        if (!chosen) return std::nullopt;
        return path;
    }

    std::deque<std::optional<QString>> answers;
    std::vector<FileDialogRequest> requests;
};

}  // namespace zarvo::test
