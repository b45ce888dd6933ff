#pragma once
// Runs the event loop until a condition holds, for the tests whose changes
// arrive through queued calls.

#include <functional>

#include <QCoreApplication>
#include <QElapsedTimer>

namespace zarvo::test {

// Whether done() held within 5 s, events handled meanwhile.
inline bool waitFor(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

}  // namespace zarvo::test
