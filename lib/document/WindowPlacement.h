#pragma once
// The main window's size, place and maximised state between runs, kept in
// the user's zarvo.conf, and the rule that decides whether a kept place
// can still be used on the screens there are now.

#include <optional>

#include <QList>
#include <QRect>
#include <QString>

namespace zarvo {

struct WindowPlacement {
    QRect geometry;          // the window's place and size when not maximised, screen pixels
    bool maximized = false;
    bool operator==(const WindowPlacement&) const = default;
};

// The file that keeps it: $XDG_CONFIG_HOME/zarvo/zarvo.conf.
QString windowSettingsPath();

// The placement kept in the file at path; nullopt when there is none: no
// file, something other than a regular file (never opened, so a FIFO cannot
// hold the program), or values missing, not whole numbers, or a size
// outside 1..kMaxWindowSide.
std::optional<WindowPlacement> readWindowPlacement(const QString& path);

// Keeps placement in the file at path (its folder made when missing), the
// file's other groups left as they were. Nothing is written over something
// that is not a regular file. Returns whether the file now holds it.
bool writeWindowPlacement(const QString& path, const WindowPlacement& placement);

// The largest width or height kept, pixels.
inline constexpr int kMaxWindowSide = 32767;

// Whether a window at geometry can still be taken hold of on one of
// screens (their geometries): a strip along its top edge, kGripPixels high
// and kGripPixels wide (or the whole window when it is smaller), lies on a
// single screen.
bool reachableOnSomeScreen(const QRect& geometry, const QList<QRect>& screens);

// The strip's side, pixels.
inline constexpr int kGripPixels = 40;

}  // namespace zarvo
