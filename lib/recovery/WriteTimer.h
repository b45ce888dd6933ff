#pragma once
// When a recovery copy is due: a one-shot timer on the interface thread.
// The keeper runs on a QTimer; tests drive a timer of their own, so that
// seconds pass without waiting for them.

#include <functional>

namespace zarvo {

class WriteTimer {
public:
    virtual ~WriteTimer() = default;
    // Calls due once, on the interface thread, delayMs ms from now; replaces
    // an earlier start that is not yet due.
    virtual void start(int delayMs, std::function<void()> due) = 0;
    // Forgets a start that is not yet due.
    virtual void stop() = 0;
};

}  // namespace zarvo
