#include "designer/Big5TextFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "platform/Messages.h"
#include "report/Big5.h"
#include "report/ReportError.h"

namespace zarvo {

namespace {

std::string utf8Path(const QString& path) { return path.toUtf8().toStdString(); }

// No report or test data comes near this; a larger file is no such file.
constexpr std::size_t kMaxTextFileBytes = std::size_t(64) << 20;
const char* const tooLarge = "檔案超過 64 MiB, 無法讀取:\n\n%s";

[[noreturn]] void refuseReading(const char* format, const QString& path) {
    throw ReportError(formatMessage(format, utf8Path(path).c_str()));
}

[[noreturn]] void failReading(const QString& path) {
    refuseReading(QFileInfo::exists(path) ? "無法讀取檔案:\n\n%s" : "找不到檔案:\n\n%s", path);
}

[[noreturn]] void failWriting(const QString& path) {
    throw ReportError(formatMessage("無法寫入檔案:\n\n%s\n\n檔案沒有改變.", utf8Path(path).c_str()));
}

}  // namespace

QString decodeBig5Text(const std::string& bytes) {
    const std::u32string decoded = big5Decode(bytes);
    std::u32string text;
    text.reserve(decoded.size());
    for (std::size_t i = 0; i < decoded.size(); ++i) {
        if (decoded[i] == U'\r') {
            text += U'\n';
            if (i + 1 < decoded.size() && decoded[i + 1] == U'\n') ++i;
        } else {
            text += decoded[i];
        }
    }
    return QString::fromStdU32String(text);
}

std::variant<std::string, UnencodableCharacter> encodeBig5Text(const QString& text) {
    const std::u32string points = text.toStdU32String();
    Big5Encoded encoded = big5Encode(points);
    if (!encoded.ok()) {
        const auto before = points.begin() + static_cast<std::ptrdiff_t>(*encoded.badIndex);
        const int line = 1 + static_cast<int>(std::count(points.begin(), before, U'\n'));
        return UnencodableCharacter{*before, line};
    }
    std::string bytes;
    bytes.reserve(encoded.bytes.size() + encoded.bytes.size() / 16);
    for (const char byte : encoded.bytes) {
        // No byte of a two-byte Big5 code is a line feed, so every one is a line break.
        if (byte == '\n') bytes += '\r';
        bytes += byte;
    }
    return bytes;
}

void warnUnencodable(const UnencodableCharacter& bad, const char* consequence) {
    const std::u32string character(1, bad.character);
    ShowWarning("第 %d 行的字元「%s」(U+%04X) 無法以 Big5 儲存, %s.", bad.line, utf8Encode(character).c_str(),
                static_cast<unsigned>(bad.character), consequence);
}

QString readBig5TextFile(const QString& path) {
    // Opened without blocking, so that a FIFO cannot hold the program, and
    // looked at before a byte is read: a device or a file larger than any
    // report would fill memory.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) failReading(path);
    const struct Closing {
        int fd;
        ~Closing() { ::close(fd); }
    } closing{fd};
    struct stat status {};
    if (::fstat(fd, &status) != 0) failReading(path);
    if (!S_ISREG(status.st_mode)) refuseReading("這不是一般的檔案, 無法讀取:\n\n%s", path);
    if (std::uint64_t(status.st_size) > kMaxTextFileBytes) refuseReading(tooLarge, path);
    std::string bytes;
    char buffer[65536];
    // A file that grows while it is read is still cut off at the limit.
    while (bytes.size() <= kMaxTextFileBytes) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) failReading(path);
        if (count == 0) return decodeBig5Text(bytes);
        bytes.append(buffer, std::size_t(count));
    }
    refuseReading(tooLarge, path);
}

bool writeBig5TextFile(const QString& path, const QString& text) {
    auto encoded = encodeBig5Text(text);
    if (const auto* bad = std::get_if<UnencodableCharacter>(&encoded)) {
        warnUnencodable(*bad, "所以沒有存檔");
        return false;
    }
    const std::string& bytes = std::get<std::string>(encoded);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) failWriting(path);
    // commit() alone may report success after a buffered write failed (a
    // full disk), and would then rename the short file into place: flush and
    // check first, so that a failed write is dropped and the old file stays.
    const bool written =
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size()) &&
        file.flush();
    if (!written) {
        file.cancelWriting();
        failWriting(path);
    }
    if (!file.commit()) failWriting(path);
    return true;
}

}  // namespace zarvo
