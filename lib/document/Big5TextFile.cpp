#include "document/Big5TextFile.h"

#include <algorithm>

#include <QFile>

#include "platform/Messages.h"
#include "platform/os/FileGroupWrite.h"
#include "platform/os/RegularFile.h"
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
    // A FIFO cannot hold the program, and a device or a file larger than any
    // report cannot fill memory: only a regular file of sane size is read.
    const RegularFileBytes file = readRegularFile(QFile::encodeName(path).toStdString(), kMaxTextFileBytes);
    switch (file.status) {
    case RegularFileStatus::Opened: return decodeBig5Text(file.bytes);
    case RegularFileStatus::NotRegular: refuseReading("這不是一般的檔案, 無法讀取:\n\n%s", path);
    case RegularFileStatus::TooLarge: refuseReading(tooLarge, path);
    case RegularFileStatus::Missing: refuseReading("找不到檔案:\n\n%s", path);
    case RegularFileStatus::Unreadable: break;
    }
    refuseReading("無法讀取檔案:\n\n%s", path);
}

std::optional<std::string> big5FileBytes(const QString& text, const char* consequence) {
    auto encoded = encodeBig5Text(text);
    if (const auto* bad = std::get_if<UnencodableCharacter>(&encoded)) {
        warnUnencodable(*bad, consequence);
        return std::nullopt;
    }
    return std::get<std::string>(std::move(encoded));
}

bool writeBig5TextFile(const QString& path, const QString& text) {
    const std::optional<std::string> bytes = big5FileBytes(text, "所以沒有存檔");
    if (!bytes) return false;
    FileGroupWrite file;
    file.add(QFile::encodeName(path).toStdString(), *bytes);
    file.commit();
    return true;
}

}  // namespace zarvo
