#include "stationery/StationeryScan.h"

#include <QCoreApplication>

#include "stationery/ScanLinesCache.h"
#include "report/Units.h"

namespace zarvo {

namespace {


}  // namespace

StationeryScan::StationeryScan() {
    QObject::connect(&watcher_, &QFutureWatcher<ScanLines>::finished, [this] { arrived(); });
}

void StationeryScan::start(const StationeryPicture& picture, std::optional<double> skewDegrees) {
    clear();
    if (picture.image.isNull() || !(picture.widthMm > 0)) return;
    const double dpi = picture.image.width() / picture.widthMm * kMmPerInch;
    watcher_.setFuture(scanLinesInBackground(picture.image, dpi, skewDegrees));
}

void StationeryScan::clear() {
    // The worker finishes on its own; its lines are for a picture no longer shown.
    watcher_.setFuture(QFuture<ScanLines>());
    lines_.reset();
}

void StationeryScan::waitForLines() {
    if (watcher_.future().isCanceled() || lines_) return;
    watcher_.waitForFinished();
    // The watcher tells of the end through the event loop; take it now.
    if (!lines_ && watcher_.isFinished() && watcher_.future().resultCount() > 0) arrived();
}

void StationeryScan::arrived() {
    if (lines_ || watcher_.future().resultCount() == 0) return;
    lines_ = watcher_.result();
    for (const auto& found : listeners_) found();
}

}  // namespace zarvo
