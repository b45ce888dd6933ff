#pragma once
// The stationery settings of a report: which picture of the pre-printed
// form lies under the sheet on the Layout page, and how. They live in an INI
// file beside the report (delivery_note.txt -> delivery_note.zarvo) with the
// keys picture, page, dpi, dx, dy and strength in its general section.

#include <optional>

#include <QByteArray>
#include <QString>

namespace zarvo {

struct StationerySettings {
    QString picture;    // as stored: relative to the report's folder ('/'), or absolute
    int page = 1;       // the page of a PDF picture, from 1
    double dpi = 0;     // the resolution typed for a scan that stores none; 0: the file's own
    double dx = 0;      // the picture's shift to the right, mm
    double dy = 0;      // the picture's shift down, mm
    int strength = 50;  // 0..100 percent: how strongly the picture shows

    bool operator==(const StationerySettings&) const = default;
};

// What reading a settings file found: settings, or a problem, or neither
// when there is no file.
struct StationerySettingsRead {
    std::optional<StationerySettings> settings;
    QString problem;  // why the file was not used, naming it; empty when it was
};

// The settings file of reportPath: its name with the last extension replaced
// by ".zarvo" ("/a/x.y.txt" -> "/a/x.y.zarvo", "/a/note" -> "/a/note.zarvo");
// empty when reportPath is empty or is itself named "*.zarvo".
QString settingsPathFor(const QString& reportPath);

// Reads the settings file at path without waiting on it. Keys other than picture may be missing
// (their defaults apply); a file that cannot be read, is not INI, has no
// picture or has a value of the wrong type or out of range gives a problem;
// one that is no regular file of at most 64 KiB (a FIFO, a device) is
// damaged.
StationerySettingsRead readStationerySettings(const QString& path);

// The content of a settings file holding settings (with values
// readStationerySettings accepts), UTF-8.
QByteArray stationerySettingsText(const StationerySettings& settings);

// Writes stationerySettingsText(settings) to path, replacing the file only
// once all of it is written. Throws ReportError naming the file when it
// cannot.
void writeStationerySettings(const QString& path, const StationerySettings& settings);

// What to store for the picture at absolutePicture for the report at
// reportPath: relative to the report's folder with '/' separators, or
// absolutePicture itself when there is no report path to be relative to.
QString relativePicturePath(const QString& absolutePicture, const QString& reportPath);

// The absolute, cleaned path of storedPicture (as relativePicturePath gives
// it) for the report at reportPath.
QString absolutePicturePath(const QString& storedPicture, const QString& reportPath);

}  // namespace zarvo
