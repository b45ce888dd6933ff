#include "platform/cups/PrinterCorrections.h"

#include <cups/cups.h>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <stdexcept>
#include <system_error>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringDecoder>
#include <QTemporaryFile>

#include "platform/os/ConfigFile.h"
#include "platform/os/RegularFile.h"
#include "report/DecimalText.h"
#include "report/ReportError.h"

namespace zarvo {

namespace {

constexpr double kMaxShiftMm = 50;
constexpr double kMinScale = 95;
constexpr double kMaxScale = 105;

const char* const kKeys[] = {"dx", "dy", "sx", "sy"};

bool within(double value, double low, double high) { return low <= value && value <= high; }

// A kept value: a decimal number and nothing else; nullopt for anything else.
std::optional<double> keptNumber(const QVariant& value) {
    if (value.typeId() != QMetaType::QString) return std::nullopt;
    const std::string text = value.toString().toStdString();
    const char* end = text.data() + text.size();
    double number = 0;
    const auto result = std::from_chars(text.data(), end, number, std::chars_format::fixed);
    if (text.empty() || result.ec != std::errc() || result.ptr != end) return std::nullopt;
    return number;
}

// Each part percent-encoded but for [A-Za-z0-9._-], joined by a character
// the encoding never leaves: '/' in a name would otherwise open a subgroup.
QString groupName(const std::string& server, const std::string& printer) {
    auto encoded = [](const std::string& part) {
        return QString::fromLatin1(QByteArray::fromStdString(part).toPercentEncoding({}, "~"));
    };
    return encoded(server) + u'|' + encoded(printer);
}

// Whether every line of content is one that an INI file can hold: blank, a
// comment, a [group] or a key=value, all of it UTF-8 text without control
// characters. QSettings itself takes such damage without a word.
bool looksLikeIni(const QByteArray& content) {
    for (const char byte : content) {
        const auto code = static_cast<unsigned char>(byte);
        if ((code < 0x20 && byte != '\t' && byte != '\r' && byte != '\n') || code == 0x7f) return false;
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    [[maybe_unused]] const QString text = utf8(content);
    if (utf8.hasError()) return false;
    for (const QByteArray& untrimmed : content.split('\n')) {
        const QByteArray line = untrimmed.trimmed();
        const bool fine = line.isEmpty() || line.startsWith(';') || line.startsWith('#') ||
                          (line.startsWith('[') && line.endsWith(']')) || line.contains('=');
        if (!fine) return false;
    }
    return true;
}

// A file as read: whole, and passing the light check when readable.
struct FileContent {
    bool exists = false;
    bool readable = false;
    QByteArray bytes;
};

// A corrections file holds a few lines a printer; one larger than this is
// no such file.
constexpr std::uint64_t kMaxFileBytes = 1 << 20;

// Only a regular file is read, and without waiting: a FIFO or a device in
// its place is a damaged file that neither printing nor the calibration
// dialog may block on.
FileContent fileContent(const std::string& path) {
    const RegularFileBytes file = readRegularFile(path, kMaxFileBytes);
    FileContent content;
    content.exists = file.status != RegularFileStatus::Missing;
    if (!file.read()) return content;
    content.bytes = QByteArray::fromStdString(file.bytes);
    content.readable = looksLikeIni(content.bytes);
    return content;
}

// QSettings over a copy of a file's bytes made for this one use. QSettings
// caches the files it reads per process and takes one back unread when its
// size and modification time (which moves only with the kernel's clock
// tick) look unchanged; it also keeps what it failed to write and shows it
// to later readers of that file as if kept. A copy of its own avoids both.
class SettingsCopy {
public:
    // The copy is made from fileTemplate (QTemporaryFile's); made() tells
    // whether it could be.
    SettingsCopy(const QString& fileTemplate, const QByteArray& bytes) : file_(fileTemplate) {
        if (file_.open() && file_.write(bytes) == bytes.size() && file_.flush()) {
            settings_.emplace(file_.fileName(), QSettings::IniFormat);
        }
    }
    bool made() const { return settings_.has_value(); }
    // QSettings took the copy for an INI file.
    bool parsed() const { return made() && settings_->status() == QSettings::NoError; }
    QSettings& settings() { return *settings_; }
    QString fileName() const { return file_.fileName(); }

private:
    QTemporaryFile file_;
    std::optional<QSettings> settings_;
};

[[noreturn]] void throwWriteError(const std::string& path) {
    throw ReportError("無法寫入印表機校正檔 " + path + ", 校正值沒有存入");
}

[[noreturn]] void throwDamaged(const std::string& path) {
    throw ReportError("印表機校正檔 " + path + " 已損壞, 校正值沒有存入");
}

// Applies change to the file through QSettings on a copy beside it, which
// then replaces the file whole. A damaged file is refused and left alone.
void editFile(const std::string& path, const std::function<void(QSettings&)>& change) {
    const QString file = QString::fromStdString(path);
    const FileContent content = fileContent(path);
    if (content.exists && !content.readable) throwDamaged(path);
    if (!QDir().mkpath(QFileInfo(file).absolutePath())) throwWriteError(path);
    SettingsCopy copy(file + QStringLiteral(".XXXXXX"), content.bytes);
    if (!copy.made()) throwWriteError(path);
    if (!copy.parsed()) throwDamaged(path);
    change(copy.settings());
    copy.settings().sync();
    if (copy.settings().status() != QSettings::NoError ||
        std::rename(QFile::encodeName(copy.fileName()).constData(), path.c_str()) != 0) {
        throwWriteError(path);
    }
}

// The correction kept in settings' current group; nullopt when a value is
// missing, not a number or out of range.
std::optional<PrinterCorrection> keptCorrection(const QSettings& settings) {
    PrinterCorrection kept;
    double* values[] = {&kept.dx, &kept.dy, &kept.sx, &kept.sy};
    for (int i = 0; i < 4; ++i) {
        const std::optional<double> value = keptNumber(settings.value(QLatin1String(kKeys[i])));
        if (!value) return std::nullopt;
        *values[i] = *value;
    }
    if (!correctionInRange(kept)) return std::nullopt;
    return roundedCorrection(kept);
}

}  // namespace

bool correctionInRange(const PrinterCorrection& correction) {
    return within(correction.dx, -kMaxShiftMm, kMaxShiftMm) && within(correction.dy, -kMaxShiftMm, kMaxShiftMm) &&
           within(correction.sx, kMinScale, kMaxScale) && within(correction.sy, kMinScale, kMaxScale);
}

PrinterCorrection roundedCorrection(const PrinterCorrection& correction) {
    return {roundedToDecimals(correction.dx, 1), roundedToDecimals(correction.dy, 1),
            roundedToDecimals(correction.sx, 2), roundedToDecimals(correction.sy, 2)};
}

std::string formatCorrection(const PrinterCorrection& correction) {
    return decimalText(correction.dx) + ' ' + decimalText(correction.dy) + ' ' + decimalText(correction.sx) + ' ' +
           decimalText(correction.sy);
}

std::string printerCorrectionsPath() { return userConfigFile("printers.conf"); }

std::string currentPrintServer() {
    const char* server = cupsServer();
    return server ? server : "";
}

PrinterCorrections::PrinterCorrections(std::string path) : path_(std::move(path)) {}

PrinterCorrection PrinterCorrections::correction(const std::string& server, const std::string& printer,
                                                 std::string* problem) const {
    const FileContent content = fileContent(path_);
    if (!content.exists) return {};
    std::optional<PrinterCorrection> kept;
    if (content.readable) {
        SettingsCopy copy(QDir::tempPath() + QStringLiteral("/zarvo-printers-XXXXXX.conf"), content.bytes);
        if (copy.parsed()) {
            copy.settings().beginGroup(groupName(server, printer));
            if (copy.settings().childKeys().isEmpty()) return {};
            kept = keptCorrection(copy.settings());
        }
    }
    if (kept) return *kept;
    if (problem) *problem = "印表機校正檔 " + path_ + " 無法讀取, 以未校正的位置列印";
    return {};
}

void PrinterCorrections::setCorrection(const std::string& server, const std::string& printer,
                                       const PrinterCorrection& correction) {
    const PrinterCorrection kept = roundedCorrection(correction);
    if (!correctionInRange(kept)) throw std::invalid_argument("校正值超出範圍: " + formatCorrection(kept));
    const double values[] = {kept.dx, kept.dy, kept.sx, kept.sy};
    editFile(path_, [&](QSettings& settings) {
        settings.beginGroup(groupName(server, printer));
        for (int i = 0; i < 4; ++i) {
            settings.setValue(QLatin1String(kKeys[i]), QString::fromStdString(decimalText(values[i])));
        }
    });
}

void PrinterCorrections::removeCorrection(const std::string& server, const std::string& printer) {
    editFile(path_, [&](QSettings& settings) { settings.remove(groupName(server, printer)); });
}

}  // namespace zarvo
