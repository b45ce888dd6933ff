#pragma once
// Answers a real modal dialog in a test: while the code under test sits in
// the dialog's event loop, a timer finds the dialog and acts on it.

#include <functional>

#include <QDialogButtonBox>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

namespace zarvo::test {

// What the modal widget showed just before it was answered.
struct SeenModal {
    QString className;        // e.g. "QMessageBox", "zarvo::Tvinfo"
    QString title;            // window title
    QString text;             // a message box's text, otherwise empty
    QMessageBox::Icon icon = QMessageBox::NoIcon;  // a message box's icon
    QStringList buttonTexts;  // texts of its buttons, '&' markers removed
};

class ModalAnswerer : public QObject {
public:
    using Action = std::function<void(QWidget& modal)>;

    // Polls every 10 ms, for at most timeoutMs, for a modal widget other than
    // the one active now, and runs action on it once. If the widget is still
    // open timeoutMs after that, it is closed by force so that the test ends.
    explicit ModalAnswerer(Action action, int timeoutMs = 5000);

    // The action has run.
    bool answered() const { return answered_; }
    // The answered widget had to be closed by force.
    bool forced() const { return forced_; }
    // What the widget showed (valid once answered).
    const SeenModal& seen() const { return seen_; }

private:
    void poll();
    void answer(QWidget& modal);
    void closeByForce(QWidget& modal);

    Action action_;
    int timeoutMs_;
    QPointer<QWidget> ignored_;
    QPointer<QWidget> target_;
    qint64 deadline_;
    QTimer timer_;
    bool answered_ = false;
    bool forced_ = false;
    SeenModal seen_;
};

// Clicks the first button with role (a message box's or a QDialogButtonBox's).
ModalAnswerer::Action clickRole(QDialogButtonBox::ButtonRole role);
// Clicks the first button whose text, '&' markers removed, is text.
ModalAnswerer::Action clickText(const QString& text);
// Presses and releases key on the widget that has the focus in the modal.
ModalAnswerer::Action pressKey(Qt::Key key);
// Closes the modal as its close box does.
ModalAnswerer::Action closeWindow();

}  // namespace zarvo::test
