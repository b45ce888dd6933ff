#pragma once
// The main designer window: the application's main form, created first at
// start-up; closing it ends the program.

#include <QMainWindow>

namespace zarvo {

class Tzarvo2_Form : public QMainWindow {
    Q_OBJECT

public:
    // Builds the window, captioned with the program's name and version.
    explicit Tzarvo2_Form(QWidget* parent = nullptr);
};

// The application's main window; nullptr before start-up and after the end.
extern Tzarvo2_Form* zarvo2_Form;

}  // namespace zarvo
