#pragma once
// A stationery picture's lines and boxes, worked out once per picture and
// kept in the user's cache, found on a worker thread so that nobody waits.

#include <optional>

#include <QFuture>
#include <QImage>
#include <QString>

#include "stationery/ScanLines.h"

namespace zarvo {

// The folder the found lines are kept in: $XDG_CACHE_HOME/zarvo, else
// ~/.cache/zarvo (not created here).
QString scanLinesCacheFolder();

// The name of the cache file for scan at dpi (and a fixed skew, if any): a
// hash of the picture's pixels, its size and the settings, as hex digits
// with ".lines".
QString scanLinesCacheName(const QImage& scan, double dpi, std::optional<double> skewDegrees);

// The lines of scan at dpi: read from folder when a sound file for this
// picture is there, else detected and written there (created when missing;
// written whole or not at all). A cache that cannot be read or written only
// costs the time to detect again.
ScanLines cachedScanLines(const QImage& scan, double dpi, std::optional<double> skewDegrees, const QString& folder);

// cachedScanLines on a worker thread of Qt's global pool, in the user's
// cache folder; scan is shared, not copied.
QFuture<ScanLines> scanLinesInBackground(const QImage& scan, double dpi,
                                         std::optional<double> skewDegrees = std::nullopt);

}  // namespace zarvo
