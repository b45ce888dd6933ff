#include "stationery/StationerySettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "engine/FormProfileFile.h"

namespace zarvo {

namespace {

QDir reportFolder(const QString& reportPath) { return QFileInfo(reportPath).absoluteDir(); }

}  // namespace

QString settingsPathFor(const QString& reportPath) {
    return QFile::decodeName(formProfilePathFor(QFile::encodeName(reportPath).toStdString()).c_str());
}

StationerySettingsRead stationeryOf(const FormProfile& profile, const QString& path) {
    if (!profile.fileFault.empty()) return {std::nullopt, QStringLiteral("底圖設定檔 %1 已損壞").arg(path)};
    if (const ProfileFault* fault = profile.stationeryFault()) {
        if (fault->key.empty()) return {std::nullopt, QStringLiteral("底圖設定檔 %1 已損壞").arg(path)};
        return {std::nullopt, QStringLiteral("底圖設定檔 %1 的 %2 不正確").arg(path, QString::fromStdString(fault->key))};
    }
    const std::optional<StationeryKeys> keys = stationeryKeys(profile);
    if (!keys) return {};
    return {keys, {}};
}

StationerySettingsRead readStationerySettings(const QString& path) {
    return stationeryOf(readFormProfileFile(QFile::encodeName(path).toStdString()), path);
}

QString relativePicturePath(const QString& absolutePicture, const QString& reportPath) {
    if (reportPath.isEmpty()) return QDir::cleanPath(absolutePicture);
    return reportFolder(reportPath).relativeFilePath(absolutePicture);
}

QString absolutePicturePath(const QString& storedPicture, const QString& reportPath) {
    return QDir::cleanPath(reportFolder(reportPath).absoluteFilePath(storedPicture));
}

}  // namespace zarvo
