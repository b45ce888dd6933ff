#pragma once
// The GUI application that the Qt surface needs: one for the whole run,
// on the offscreen platform.

#include <QGuiApplication>

#include <memory>

inline void ensureGuiApplication() {
    static int argc = 1;
    static char name[] = "zarvo-bench";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QGuiApplication> app;
    if (app) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    app = std::make_unique<QGuiApplication>(argc, argv);
}
