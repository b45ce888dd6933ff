#include "designer/WindowPlacement.h"

#include <algorithm>

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include "platform/os/ConfigFile.h"

namespace zarvo {

namespace {

const QString kGroup = QStringLiteral("MainWindow");
// A settings file of a few lines; anything larger is not ours to read.
constexpr qint64 kMaxSettingsBytes = 64 * 1024;

// Only a regular file (or a link to one), or no file at all, is read or
// replaced: a FIFO would hold the program at its opening, a device never ends.
bool usableFile(const QFileInfo& file) { return !file.exists() || file.isFile(); }

std::optional<int> wholeNumber(const QSettings& settings, const char* key) {
    const QVariant value = settings.value(QLatin1String(key));
    if (value.typeId() != QMetaType::QString) return std::nullopt;
    bool ok = false;
    const int number = value.toString().toInt(&ok);
    return ok ? std::optional<int>(number) : std::nullopt;
}

bool sensibleSide(int pixels) { return pixels >= 1 && pixels <= kMaxWindowSide; }

}  // namespace

QString windowSettingsPath() { return QString::fromStdString(userConfigFile("zarvo.conf")); }

std::optional<WindowPlacement> readWindowPlacement(const QString& path) {
    const QFileInfo file(path);
    if (!file.isFile() || file.size() > kMaxSettingsBytes) return std::nullopt;
    QSettings settings(path, QSettings::IniFormat);
    settings.beginGroup(kGroup);
    const std::optional<int> x = wholeNumber(settings, "x"), y = wholeNumber(settings, "y");
    const std::optional<int> width = wholeNumber(settings, "width"), height = wholeNumber(settings, "height");
    const QString maximized = settings.value(QStringLiteral("maximized")).toString();
    if (!x || !y || !width || !height || !sensibleSide(*width) || !sensibleSide(*height)) return std::nullopt;
    if (maximized != QLatin1String("true") && maximized != QLatin1String("false")) return std::nullopt;
    return WindowPlacement{QRect(*x, *y, *width, *height), maximized == QLatin1String("true")};
}

bool writeWindowPlacement(const QString& path, const WindowPlacement& placement) {
    const QFileInfo file(path);
    if (!usableFile(file) || !QDir().mkpath(file.absolutePath())) return false;
    QSettings settings(path, QSettings::IniFormat);
    settings.beginGroup(kGroup);
    const QRect& place = placement.geometry;
    settings.setValue(QStringLiteral("x"), QString::number(place.x()));
    settings.setValue(QStringLiteral("y"), QString::number(place.y()));
    settings.setValue(QStringLiteral("width"), QString::number(place.width()));
    settings.setValue(QStringLiteral("height"), QString::number(place.height()));
    settings.setValue(QStringLiteral("maximized"), QLatin1String(placement.maximized ? "true" : "false"));
    settings.endGroup();
    settings.sync();
    return settings.status() == QSettings::NoError;
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
