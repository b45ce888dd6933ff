#include "tests/support/TextInput.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QWidget>

namespace zarvo::test {

void typeText(QWidget& widget, const QString& text) {
    for (const char32_t codePoint : text.toUcs4()) {
        const QString character = QString::fromUcs4(&codePoint, 1);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, character);
        QApplication::sendEvent(&widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, character);
        QApplication::sendEvent(&widget, &release);
    }
}

void commitText(QWidget& widget, const QString& text) {
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(&widget, &event);
}

}  // namespace zarvo::test
