#include "layout/stationery/StationerySettings.h"

#include <cctype>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>

#include "layout/stationery/StationeryPicture.h"
#include "platform/os/FileGroupWrite.h"
#include "platform/os/RegularFile.h"
#include "report/ReportError.h"

namespace zarvo {

namespace {

const QString kSettingsSuffix = QStringLiteral(".zarvo");
// A settings file holds a few short lines; anything much larger is not one.
constexpr std::uint64_t kMaxFileBytes = 64 * 1024;
constexpr double kMaxShiftMm = 1000;

// The settings file is not INI, or one of its values cannot be used; key
// names that value (empty for the file as a whole).
struct Damaged {
    QString key;
};

// The values of the general section as written, by key.
using Values = QHash<QString, QString>;

// The value of c as a hex digit, -1 when it is not one.
int hexValue(QChar c) { return QStringView(u"0123456789abcdef").indexOf(c.toLower()); }

// The inside of a quoted value with its \\, \" and \x escapes (hex digits up
// to the next character that is not one) undone; nullopt when malformed.
std::optional<QString> unescaped(QStringView quoted) {
    QString text;
    for (qsizetype i = 0; i < quoted.size(); ++i) {
        if (quoted[i] == u'"') return std::nullopt;
        if (quoted[i] != u'\\') {
            text += quoted[i];
            continue;
        }
        if (++i == quoted.size()) return std::nullopt;
        if (quoted[i] == u'\\' || quoted[i] == u'"') {
            text += quoted[i];
            continue;
        }
        if (quoted[i] != u'x' || i + 1 == quoted.size() || hexValue(quoted[i + 1]) < 0) {
            return std::nullopt;
        }
        char16_t code = 0;
        for (; i + 1 < quoted.size() && hexValue(quoted[i + 1]) >= 0; ++i) {
            code = static_cast<char16_t>(code * 16 + hexValue(quoted[i + 1]));
        }
        text += QChar(code);
    }
    return text;
}

// The text of a value as written, "quoted" or bare; nullopt when malformed.
// A leading "@@" stands for '@'; any other leading '@' marks a typed value,
// which is never ours.
std::optional<QString> unwritten(QStringView written) {
    const bool quoted = written.size() >= 2 && written.startsWith(u'"') && written.endsWith(u'"');
    if (!quoted && written.startsWith(u'"')) return std::nullopt;
    const std::optional<QString> text =
        quoted ? unescaped(written.mid(1, written.size() - 2)) : written.toString();
    if (!text) return std::nullopt;
    if (text->startsWith(u"@@")) return text->mid(1);
    if (text->startsWith(u'@')) return std::nullopt;
    return text;
}

// The values of the general section (before any group, or [General]) of
// content, which must be INI in UTF-8. Throws Damaged.
Values generalSection(const QByteArray& content) {
    QStringDecoder decode(QStringDecoder::Utf8);
    const QString text = decode(content);
    if (decode.hasError()) throw Damaged{};
    Values values;
    bool general = true;
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#')) continue;
        if (line.startsWith(u'[')) {
            if (!line.endsWith(u']')) throw Damaged{};
            general = line == u"[General]";
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0) throw Damaged{};
        if (!general) continue;
        values.insert(line.left(equals).trimmed().toString(),
                      line.mid(equals + 1).trimmed().toString());
    }
    return values;
}

// The text of key, nullopt when missing. Throws Damaged naming key.
std::optional<QString> text(const Values& values, const QString& key) {
    const auto written = values.find(key);
    if (written == values.end()) return std::nullopt;
    const std::optional<QString> text = unwritten(*written);
    if (!text) throw Damaged{key};
    return text;
}

// key as a whole number in low..high, fallback when missing. Throws Damaged.
int integer(const Values& values, const QString& key, int fallback, int low, int high) {
    const std::optional<QString> value = text(values, key);
    if (!value) return fallback;
    bool ok = false;
    const int number = value->toInt(&ok);
    if (!ok || number < low || number > high) throw Damaged{key};
    return number;
}

// key as a number that accepted() takes, fallback when missing. Throws Damaged.
double decimal(const Values& values, const QString& key, double fallback,
               bool (*accepted)(double)) {
    const std::optional<QString> value = text(values, key);
    if (!value) return fallback;
    bool ok = false;
    const double number = value->toDouble(&ok);
    if (!ok || !accepted(number)) throw Damaged{key};
    return number;
}

bool isDpiSetting(double dpi) { return dpi == 0 || isPlausibleDpi(dpi); }

bool isShift(double mm) { return std::isfinite(mm) && std::abs(mm) <= kMaxShiftMm; }

// The settings in content. Throws Damaged.
StationerySettings parse(const QByteArray& content) {
    const Values values = generalSection(content);
    StationerySettings settings;
    settings.picture = text(values, QStringLiteral("picture")).value_or(QString());
    settings.page = integer(values, QStringLiteral("page"), 1, 1, std::numeric_limits<int>::max());
    settings.dpi = decimal(values, QStringLiteral("dpi"), 0, isDpiSetting);
    settings.dx = decimal(values, QStringLiteral("dx"), 0, isShift);
    settings.dy = decimal(values, QStringLiteral("dy"), 0, isShift);
    settings.strength = integer(values, QStringLiteral("strength"), 50, 0, 100);
    return settings;
}

// value as an INI string (QSettings too reads it back the same): quoted
// (commas, semicolons and edge blanks stay), '\' and '"' escaped, control
// characters as \x escapes, and a leading '@' doubled so that it is not
// taken for a type tag.
QByteArray quoted(const QString& value) {
    QByteArray out = value.startsWith(u'@') ? "\"@" : "\"";
    bool afterHexEscape = false;  // a hex digit here would extend that escape
    for (const char byte : value.toUtf8()) {
        const auto code = static_cast<unsigned char>(byte);
        if (code < 0x20 || (afterHexEscape && std::isxdigit(code))) {
            out += "\\x" + QByteArray::number(code, 16);
            afterHexEscape = true;
            continue;
        }
        if (byte == '\\' || byte == '"') out += '\\';
        out += byte;
        afterHexEscape = false;
    }
    return out + '"';
}

// The shortest text that reads back as number ("12.5", "0", never "-0").
QByteArray shortest(double number) {
    return QByteArray::number(number + 0.0, 'f', QLocale::FloatingPointShortest);
}

QDir reportFolder(const QString& reportPath) { return QFileInfo(reportPath).absoluteDir(); }

}  // namespace

QByteArray stationerySettingsText(const StationerySettings& settings) {
    return "[General]\npicture=" + quoted(settings.picture) +
           "\npage=" + QByteArray::number(settings.page) +
           "\ndpi=" + shortest(settings.dpi) +
           "\ndx=" + shortest(settings.dx) +
           "\ndy=" + shortest(settings.dy) +
           "\nstrength=" + QByteArray::number(settings.strength) + "\n";
}

QString settingsPathFor(const QString& reportPath) {
    const qsizetype nameStart = reportPath.lastIndexOf(u'/') + 1;
    if (nameStart == reportPath.size()) return {};
    // A leading dot belongs to the name (".note"), not to an extension.
    const qsizetype dot = reportPath.lastIndexOf(u'.');
    const QString stem = dot > nameStart ? reportPath.left(dot) : reportPath;
    const QString path = stem + kSettingsSuffix;
    return path == reportPath ? QString() : path;
}

StationerySettingsRead readStationerySettings(const QString& path) {
    // Only a regular file is read, and without waiting: a FIFO or a device
    // beside a report is a damaged settings file, never one to block on.
    const RegularFileBytes file = readRegularFile(QFile::encodeName(path).toStdString(), kMaxFileBytes);
    if (file.status == RegularFileStatus::Missing) return {};
    if (file.status == RegularFileStatus::Unreadable) {
        return {std::nullopt, QStringLiteral("無法讀取底圖設定檔 %1").arg(path)};
    }
    try {
        if (!file.read()) throw Damaged{};
        StationerySettings settings = parse(QByteArray::fromStdString(file.bytes));
        if (settings.picture.isEmpty()) {
            return {std::nullopt, QStringLiteral("底圖設定檔 %1 沒有指定底圖").arg(path)};
        }
        return {std::move(settings), {}};
    } catch (const Damaged& damaged) {
        if (damaged.key.isEmpty()) return {std::nullopt, QStringLiteral("底圖設定檔 %1 已損壞").arg(path)};
        return {std::nullopt, QStringLiteral("底圖設定檔 %1 的 %2 不正確").arg(path, damaged.key)};
    }
}

void writeStationerySettings(const QString& path, const StationerySettings& settings) {
    FileGroupWrite file;
    file.add(QFile::encodeName(path).toStdString(), stationerySettingsText(settings).toStdString());
    file.commit();
}

QString relativePicturePath(const QString& absolutePicture, const QString& reportPath) {
    if (reportPath.isEmpty()) return QDir::cleanPath(absolutePicture);
    return reportFolder(reportPath).relativeFilePath(absolutePicture);
}

QString absolutePicturePath(const QString& storedPicture, const QString& reportPath) {
    return QDir::cleanPath(reportFolder(reportPath).absoluteFilePath(storedPicture));
}

}  // namespace zarvo
