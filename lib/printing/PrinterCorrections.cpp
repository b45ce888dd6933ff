#include "printing/PrinterCorrections.h"

#include <cups/cups.h>

#include <algorithm>
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
#include <QTemporaryFile>

#include "platform/os/ConfigFile.h"
#include "platform/os/RegularFile.h"
#include "report/Big5.h"
#include "report/DecimalText.h"
#include "report/IniDocument.h"
#include "report/ReportError.h"

namespace zarvo {

namespace {

constexpr double kMaxShiftMm = 50;
constexpr double kMinScale = 95;
constexpr double kMaxScale = 105;

const char* const kKeys[] = {"dx", "dy", "sx", "sy"};

bool within(double value, double low, double high) { return low <= value && value <= high; }

// A kept value: a decimal number and nothing else; nullopt for anything else.
std::optional<double> keptNumber(const std::string* text) {
    if (!text || text->empty()) return std::nullopt;
    const char* end = text->data() + text->size();
    double number = 0;
    const auto result = std::from_chars(text->data(), end, number, std::chars_format::fixed);
    if (result.ec != std::errc() || result.ptr != end) return std::nullopt;
    return number;
}

// Each part percent-encoded but for [A-Za-z0-9._-], joined by a character
// the encoding never leaves: '/' in a name would otherwise open a subgroup.
std::string groupName(const std::string& server, const std::string& printer) {
    auto encoded = [](const std::string& part) {
        return QByteArray::fromStdString(part).toPercentEncoding({}, "~").toStdString();
    };
    return encoded(server) + '|' + encoded(printer);
}

// The section name of group as QSettings wrote it, and as it is written
// still: '%' and '|' percent-encoded once more.
std::string sectionName(const std::string& group) {
    std::string name;
    for (const char c : group) name += c == '%' ? "%25" : c == '|' ? "%7C" : std::string(1, c);
    return name;
}

// The section of document that holds group, nullptr when there is none.
const IniSection* groupSection(const IniDocument& document, const std::string& group) {
    for (const IniSection& section : document.sections) {
        if (percentDecoded(section.name) == group) return &section;
    }
    return nullptr;
}

// A file as read: whole, and parsed when it is an INI file of UTF-8 text
// without control characters (QSettings wrote none; it took such damage
// without a word).
struct FileContent {
    bool exists = false;
    std::optional<IniDocument> document;
};

bool holdsControlCharacter(const std::string& bytes) {
    return std::any_of(bytes.begin(), bytes.end(), [](char byte) {
        const auto code = static_cast<unsigned char>(byte);
        return (code < 0x20 && byte != '\t' && byte != '\r' && byte != '\n') || code == 0x7f;
    });
}

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
    if (!file.read() || holdsControlCharacter(file.bytes) || !utf8Decode(file.bytes)) return content;
    IniDocument document = parseIni(file.bytes);
    if (!document.firstFault()) content.document = std::move(document);
    return content;
}

[[noreturn]] void throwWriteError(const std::string& path) {
    throw ReportError("無法寫入印表機校正檔 " + path + ", 校正值沒有存入");
}

[[noreturn]] void throwDamaged(const std::string& path) {
    throw ReportError("印表機校正檔 " + path + " 已損壞, 校正值沒有存入");
}

// Writes text to a new file beside path, which then replaces the file whole.
void replaceFile(const std::string& path, const std::string& text) {
    const QString file = QString::fromStdString(path);
    if (!QDir().mkpath(QFileInfo(file).absolutePath())) throwWriteError(path);
    QTemporaryFile copy(file + QStringLiteral(".XXXXXX"));
    const QByteArray bytes = QByteArray::fromStdString(text);
    if (!copy.open() || copy.write(bytes) != bytes.size() || !copy.flush() ||
        std::rename(QFile::encodeName(copy.fileName()).constData(), path.c_str()) != 0) {
        throwWriteError(path);
    }
    copy.setAutoRemove(false);
}

// Applies change to the file's document and writes it whole. A damaged file
// is refused and left alone.
void editFile(const std::string& path, const std::function<void(IniDocument&)>& change) {
    FileContent content = fileContent(path);
    if (content.exists && !content.document) throwDamaged(path);
    IniDocument document = content.document.value_or(IniDocument{});
    change(document);
    replaceFile(path, iniText(document));
}

// The correction kept in section; nullopt when a value is missing, not a
// number or out of range.
std::optional<PrinterCorrection> keptCorrection(const IniSection& section) {
    PrinterCorrection kept;
    double* values[] = {&kept.dx, &kept.dy, &kept.sx, &kept.sy};
    for (int i = 0; i < 4; ++i) {
        const std::optional<double> value = keptNumber(section.value(kKeys[i]));
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
    if (content.document) {
        const IniSection* section = groupSection(*content.document, groupName(server, printer));
        if (!section || section->entries.empty()) return {};
        kept = keptCorrection(*section);
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
    const std::string group = groupName(server, printer);
    editFile(path_, [&](IniDocument& document) {
        const IniSection* found = groupSection(document, group);
        IniSection& section = document.sectionFor(found ? found->name : sectionName(group));
        for (int i = 0; i < 4; ++i) section.set(kKeys[i], decimalText(values[i]));
    });
}

void PrinterCorrections::removeCorrection(const std::string& server, const std::string& printer) {
    const std::string group = groupName(server, printer);
    editFile(path_, [&](IniDocument& document) {
        // Every section that reads as the group goes, as QSettings took them for one.
        while (const IniSection* found = groupSection(document, group)) document.removeSection(found->name);
    });
}

}  // namespace zarvo
