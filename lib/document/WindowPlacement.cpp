#include "document/WindowPlacement.h"

#include <algorithm>

#include <string>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "platform/os/ConfigFile.h"
#include "report/IniDocument.h"

namespace zarvo {

namespace {

constexpr std::string_view kGroup = "MainWindow";
// A settings file of a few lines; anything larger is not ours to read.
constexpr qint64 kMaxSettingsBytes = 64 * 1024;

// Only a regular file (or a link to one), or no file at all, is read or
// replaced: a FIFO would hold the program at its opening, a device never ends.
bool usableFile(const QFileInfo& file) { return !file.exists() || file.isFile(); }

// The settings in the file at path: what can be read of it (a line that
// cannot is left out, as it is when the file is written again).
IniDocument settingsIn(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return parseIni(file.readAll().toStdString());
}

std::optional<int> wholeNumber(const IniSection& section, const char* key) {
    const std::string* value = section.value(key);
    if (!value) return std::nullopt;
    bool ok = false;
    const int number = QString::fromStdString(*value).toInt(&ok);
    return ok ? std::optional<int>(number) : std::nullopt;
}

bool sensibleSide(int pixels) { return pixels >= 1 && pixels <= kMaxWindowSide; }

}  // namespace

QString windowSettingsPath() { return QString::fromStdString(userConfigFile("zarvo.conf")); }

std::optional<WindowPlacement> readWindowPlacement(const QString& path) {
    const QFileInfo file(path);
    if (!file.isFile() || file.size() > kMaxSettingsBytes) return std::nullopt;
    const IniDocument settings = settingsIn(path);
    const IniSection* section = settings.section(kGroup);
    if (!section) return std::nullopt;
    const std::optional<int> x = wholeNumber(*section, "x"), y = wholeNumber(*section, "y");
    const std::optional<int> width = wholeNumber(*section, "width"), height = wholeNumber(*section, "height");
    const std::string* maximized = section->value("maximized");
    if (!x || !y || !width || !height || !sensibleSide(*width) || !sensibleSide(*height)) return std::nullopt;
    if (!maximized || (*maximized != "true" && *maximized != "false")) return std::nullopt;
    return WindowPlacement{QRect(*x, *y, *width, *height), *maximized == "true"};
}

bool writeWindowPlacement(const QString& path, const WindowPlacement& placement) {
    const QFileInfo file(path);
    if (!usableFile(file) || !QDir().mkpath(file.absolutePath())) return false;
    IniDocument settings = settingsIn(path);
    IniSection& section = settings.sectionFor(kGroup);
    const QRect& place = placement.geometry;
    section.set("x", std::to_string(place.x()));
    section.set("y", std::to_string(place.y()));
    section.set("width", std::to_string(place.width()));
    section.set("height", std::to_string(place.height()));
    section.set("maximized", placement.maximized ? "true" : "false");
    const std::string text = iniText(settings);
    QSaveFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(text.data(), qint64(text.size())) == qint64(text.size()) &&
           out.commit();
}

bool reachableOnSomeScreen(const QRect& geometry, const QList<QRect>& screens) {
    if (geometry.isEmpty()) return false;
    const QRect strip(geometry.x(), geometry.y(), geometry.width(), std::min(kGripPixels, geometry.height()));
    const int wide = std::min(kGripPixels, geometry.width());
    return std::any_of(screens.begin(), screens.end(), [&](const QRect& screen) {
        const QRect on = screen.intersected(strip);
        return on.height() == strip.height() && on.width() >= wide;
    });
}

}  // namespace zarvo
