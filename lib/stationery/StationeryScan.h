#pragma once
// The ruled lines and boxes of the stationery picture shown, found on a
// worker thread (scanLinesInBackground) while the user goes on working. One
// place that every user of the found lines asks: the Layout page's snapping
// and fitting, and whatever else reads the stationery.

#include <functional>
#include <optional>
#include <vector>

#include <QFutureWatcher>

#include "stationery/ScanLines.h"
#include "stationery/StationeryPicture.h"

namespace zarvo {

class StationeryScan {
public:
    StationeryScan();
    StationeryScan(const StationeryScan&) = delete;
    StationeryScan& operator=(const StationeryScan&) = delete;

    // Starts finding the lines of picture at its own resolution, its skew
    // fixed to skewDegrees when given (else measured), and forgets those
    // found before. A picture kept without an image (a large PDF page)
    // finds nothing.
    void start(const StationeryPicture& picture, std::optional<double> skewDegrees);
    // Forgets the lines and any search under way (no picture any more).
    void clear();

    // The lines found for the current picture, in mm from its top-left
    // after straightening; nullopt while they are being looked for or when
    // there is no picture.
    const std::optional<ScanLines>& lines() const { return lines_; }
    bool searching() const { return watcher_.isRunning(); }
    // Calls found (on the GUI thread) whenever lines for the current picture arrive.
    void whenFound(std::function<void()> found) { listeners_.push_back(std::move(found)); }
    // Blocks until the search under way has delivered its lines (tests, benchmarks).
    void waitForLines();

private:
    void arrived();

    QFutureWatcher<ScanLines> watcher_;
    std::optional<ScanLines> lines_;
    std::vector<std::function<void()>> listeners_;
};

}  // namespace zarvo
