#pragma once
// The application that the Qt surface and the windows need: one for the
// whole run, on the offscreen platform unless another one is asked for.

#include <QApplication>

#include <memory>

inline void ensureGuiApplication() {
    static int argc = 1;
    static char name[] = "zarvo-bench";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QApplication> app;
    if (app) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    app = std::make_unique<QApplication>(argc, argv);
}
