#pragma once
// Notes whether the application was asked to quit while the watch lives:
// QCoreApplication::quit() and the end of the desktop session reach the
// application as a Quit event. Work that runs a dialog of its own before
// the event loop (start-up's questions) asks it afterwards, so that the
// quit is not lost and nothing is decided on the dialog's forced answer.

#include <QObject>

namespace zarvo {

class QuitWatch : public QObject {
public:
    // Watches the application object from now on.
    QuitWatch();
    ~QuitWatch() override;
    QuitWatch(const QuitWatch&) = delete;
    QuitWatch& operator=(const QuitWatch&) = delete;

    // A quit was asked for since the watch was made.
    bool asked() const { return asked_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool asked_ = false;
};

}  // namespace zarvo
