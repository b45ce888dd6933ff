#pragma once
// A FIFO for tests that must not hang on one: should the code under test
// still wait on the FIFO when the deadline passes, the watchdog opens it for
// writing and closes it again, which ends any wait at its open or read, and
// fired() tells the test that it had to.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace zarvo::test {

class FifoWatchdog {
public:
    // Makes a FIFO at path and watches it for deadline.
    explicit FifoWatchdog(std::string path, std::chrono::milliseconds deadline = std::chrono::seconds(5))
        : path_(std::move(path)) {
        made_ = ::mkfifo(path_.c_str(), 0600) == 0;
        watcher_ = std::thread([this, deadline] { watch(deadline); });
    }
    ~FifoWatchdog() {
        {
            const std::lock_guard lock(mutex_);
            stopped_ = true;
        }
        wake_.notify_all();
        watcher_.join();
    }
    FifoWatchdog(const FifoWatchdog&) = delete;
    FifoWatchdog& operator=(const FifoWatchdog&) = delete;

    bool made() const { return made_; }
    // Whether something was still waiting on the FIFO at the deadline.
    bool fired() const { return fired_; }

private:
    void watch(std::chrono::milliseconds deadline) {
        std::unique_lock lock(mutex_);
        if (wake_.wait_for(lock, deadline, [this] { return stopped_; })) return;
        // Keeps releasing waiters until the test is over: a reader that
        // opens the FIFO again would wait anew.
        while (!stopped_) {
            const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                fired_ = true;
                ::close(fd);
            }
            wake_.wait_for(lock, std::chrono::milliseconds(20), [this] { return stopped_; });
        }
    }

    std::string path_;
    bool made_ = false;
    std::atomic<bool> fired_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopped_ = false;
    std::thread watcher_;
};

}  // namespace zarvo::test
