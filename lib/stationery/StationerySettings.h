#pragma once
// The stationery settings of a report, read from and stored beside it:
// which picture of the pre-printed form lies under the sheet on the Layout
// page, and how (StationeryKeys). They live in the form profile beside the
// report (delivery_note.txt -> delivery_note.zarvo) as the keys picture,
// page, dpi, dx, dy, strength, angle and snapmargin of its [General]
// section.

#include <optional>

#include <QString>

#include "report/FormProfile.h"
#include "report/StationeryKeys.h"

namespace zarvo {

// What reading a settings file found: settings, or a problem, or neither
// when there is no file or it names no picture.
struct StationerySettingsRead {
    std::optional<StationeryKeys> settings;
    QString problem;  // why the file was not used, naming it; empty when it was
};

// The settings file of reportPath: its name with the last extension replaced
// by ".zarvo" ("/a/x.y.txt" -> "/a/x.y.zarvo", "/a/note" -> "/a/note.zarvo");
// empty when reportPath is empty or is itself named "*.zarvo".
QString settingsPathFor(const QString& reportPath);

// The stationery of profile, read from the file at path (named in the
// problem): a file that cannot be read as a whole or a [General] with a
// line or value that cannot be used gives a problem.
StationerySettingsRead stationeryOf(const FormProfile& profile, const QString& path);

// Reads the settings file at path without waiting on it, as stationeryOf.
StationerySettingsRead readStationerySettings(const QString& path);

// What to store for the picture at absolutePicture for the report at
// reportPath: relative to the report's folder with '/' separators, or
// absolutePicture itself when there is no report path to be relative to.
QString relativePicturePath(const QString& absolutePicture, const QString& reportPath);

// The absolute, cleaned path of storedPicture (as relativePicturePath gives
// it) for the report at reportPath.
QString absolutePicturePath(const QString& storedPicture, const QString& reportPath);

}  // namespace zarvo
