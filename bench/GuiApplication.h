#pragma once
// The application that the Qt surface and the windows need: one for the
// whole run, on the offscreen platform unless another one is asked for.
// It is never destroyed: at exit Qt's own global objects may already be
// gone, and destroying the application after them crashed the benchmarks
// once their results were printed.

#include <QApplication>

#include "platform/NoPrinters.h"

inline void ensureGuiApplication() {
    static int argc = 1;
    static char name[] = "zarvo-bench";
    static char* argv[] = {name, nullptr};
    static QApplication* app = nullptr;
    if (app) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    app = new QApplication(argc, argv);
}

// The printers the benchmarks' windows are given: none.
inline zarvo::Spooler& benchPrinters() {
    static zarvo::NoPrinters none;
    return none;
}
