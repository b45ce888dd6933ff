#pragma once
// The main of the Qt test executables: GoogleTest under a Qt application on
// the offscreen platform (unless QT_QPA_PLATFORM names another), with an
// XDG_CONFIG_HOME of its own that goes when it ends.

#include <memory>

#include <QApplication>

namespace zarvo::test {

// Makes the application object the tests run under; argc and argv are main's.
using ApplicationFactory = std::unique_ptr<QApplication> (*)(int& argc, char** argv);

// Chooses the application class of this test executable (a plain
// QApplication when never called). Call it from a namespace-scope
// initialiser; returns true so that it can initialise a constant.
bool useTestApplication(ApplicationFactory factory);

}  // namespace zarvo::test
