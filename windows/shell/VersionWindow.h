#pragma once
// The version window: the version history and the description of the report
// file format, in one read-only memo. It exists only while it is open.

#include <QDialog>

class QPlainTextEdit;

namespace zarvo {

class Tvinfo : public QDialog {
    Q_OBJECT

public:
    // Builds the window centred on the primary screen; it deletes itself
    // when closed.
    explicit Tvinfo(QWidget* parent = nullptr);
    // Clears vinfo when it points at this window.
    ~Tvinfo() override;

    QPlainTextEdit* Memo1;
};

// The open version window; nullptr when none is open.
extern Tvinfo* vinfo;

// The Help command: creates the version window when none exists and shows it
// modally; returns when it is closed (it is destroyed then).
void showVersionWindow();

}  // namespace zarvo
