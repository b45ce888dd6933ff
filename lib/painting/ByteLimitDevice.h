#pragma once
// A write-only device that passes what is written to it on to another device,
// up to a number of bytes: the write that would go past them is refused, and
// so is every write after it.

#include <cstdint>

#include <QIODevice>

namespace zarvo {

class ByteLimitDevice : public QIODevice {
public:
    // Writes on to target (not owned, open for writing) at most limit bytes;
    // open for writing from the start.
    ByteLimitDevice(QIODevice& target, std::int64_t limit);

    // True once a write was refused because it would pass the limit.
    bool passedLimit() const { return passedLimit_; }
    // True once any write was refused, by the limit or by the target.
    bool failed() const { return failed_; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    QIODevice& target_;
    std::int64_t limit_;
    std::int64_t written_ = 0;
    bool passedLimit_ = false;
    bool failed_ = false;
};

}  // namespace zarvo
