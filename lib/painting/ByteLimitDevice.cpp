#include "painting/ByteLimitDevice.h"

namespace zarvo {

ByteLimitDevice::ByteLimitDevice(QIODevice& target, std::int64_t limit) : target_(target), limit_(limit) {
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 ByteLimitDevice::readData(char*, qint64) { return -1; }

qint64 ByteLimitDevice::writeData(const char* data, qint64 size) {
    if (failed_) return -1;
    if (size > limit_ - written_) {
        passedLimit_ = true;
        failed_ = true;
        return -1;
    }
    if (target_.write(data, size) != size) {
        failed_ = true;
        return -1;
    }
    written_ += size;
    return size;
}

}  // namespace zarvo
