#pragma once
// Asks the person at this computer whether a web page may print: a
// question box "允許 ORIGIN 使用本機印表機列印嗎?" (允許 / 不允許) on the
// tray's thread, not modal, so that the service goes on meanwhile.

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <QObject>
#include <QPointer>

#include "service/OriginAccess.h"

class QMessageBox;

namespace zarvo {

class TOriginQuestion : public QObject, public OriginQuestion {
    Q_OBJECT

public:
    // An unanswered box closes itself after timeout, as a no.
    explicit TOriginQuestion(std::chrono::milliseconds timeout, QObject* parent = nullptr);
    // Withdraws the questions still open.
    ~TOriginQuestion() override;

    // From any thread: the box is shown on this object's thread. answer is
    // called once: 允許 is yes; 不允許, closing the box, the time running out
    // or this object going is no.
    void ask(const std::string& origin, std::function<void(bool)> answer) override;

    // Answers no to every question still open and closes its box; asked
    // later, the answer is no at once. On this object's thread.
    void withdraw();

    // The boxes open now (for tests).
    std::vector<QMessageBox*> openBoxes() const;

private:
    // An answer given at most once, whichever way comes first.
    class Answer {
    public:
        explicit Answer(std::function<void(bool)> answer) : answer_(std::move(answer)) {}
        void give(bool yes) {
            if (!given_.exchange(true)) answer_(yes);
        }
        bool given() const { return given_; }

    private:
        std::function<void(bool)> answer_;
        std::atomic<bool> given_{false};
    };

    void showBox(const std::string& origin, const std::shared_ptr<Answer>& answer);
    void settled(const std::shared_ptr<Answer>& answer);

    std::chrono::milliseconds timeout_;
    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<Answer>> open_;  // asked and not answered yet
    bool withdrawn_ = false;
    std::vector<QPointer<QMessageBox>> boxes_;
};

}  // namespace zarvo
