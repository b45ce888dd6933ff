#pragma once
// An open POSIX file descriptor, closed when its owner goes.

#include <unistd.h>

#include <utility>

namespace zarvo {

class UniqueFd {
public:
    UniqueFd() = default;
    // Takes ownership of fd; a negative fd is an empty one.
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    // Closes the descriptor, if any; the object is empty afterwards.
    void reset() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    // Gives up ownership without closing; returns the descriptor.
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_ = -1;
};

}  // namespace zarvo
