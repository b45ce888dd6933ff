#include "tests/support/ModalAnswerer.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDateTime>
#include <QTest>

namespace zarvo::test {

namespace {

QString plainText(const QAbstractButton& button) {
    return button.text().remove(QLatin1Char('&'));
}

int roleOf(QWidget& modal, QAbstractButton& button) {
    if (auto* box = qobject_cast<QMessageBox*>(&modal)) return box->buttonRole(&button);
    for (QObject* owner = button.parent(); owner; owner = owner->parent()) {
        if (auto* buttons = qobject_cast<QDialogButtonBox*>(owner)) return buttons->buttonRole(&button);
    }
    return QDialogButtonBox::InvalidRole;
}

// Clicks the first button of modal that matches, or fails the test.
void clickFirst(QWidget& modal, const std::function<bool(QAbstractButton&)>& matches) {
    for (QAbstractButton* button : modal.findChildren<QAbstractButton*>()) {
        if (button->isVisible() && matches(*button)) {
            button->click();
            return;
        }
    }
    ADD_FAILURE() << "no matching button in " << modal.metaObject()->className();
}

SeenModal look(QWidget& modal) {
    SeenModal seen;
    seen.className = QString::fromLatin1(modal.metaObject()->className());
    seen.title = modal.windowTitle();
    if (auto* box = qobject_cast<QMessageBox*>(&modal)) {
        seen.text = box->text();
        seen.icon = box->icon();
    }
    for (QAbstractButton* button : modal.findChildren<QAbstractButton*>()) {
        if (button->isVisible()) seen.buttonTexts << plainText(*button);
    }
    return seen;
}

}  // namespace

ModalAnswerer::ModalAnswerer(Action action, int timeoutMs)
    : action_(std::move(action)),
      timeoutMs_(timeoutMs),
      ignored_(QApplication::activeModalWidget()),
      deadline_(QDateTime::currentMSecsSinceEpoch() + timeoutMs) {
    timer_.setInterval(10);
    connect(&timer_, &QTimer::timeout, this, &ModalAnswerer::poll);
    timer_.start();
}

void ModalAnswerer::poll() {
    QWidget* modal = QApplication::activeModalWidget();
    const bool timedOut = QDateTime::currentMSecsSinceEpoch() > deadline_;
    if (!answered_) {
        if (modal && modal != ignored_ && modal->isVisible()) answer(*modal);
        else if (timedOut) timer_.stop();
        return;
    }
    if (!target_ || !target_->isVisible()) {
        timer_.stop();
    } else if (timedOut) {
        closeByForce(*target_);
    }
}

void ModalAnswerer::answer(QWidget& modal) {
    answered_ = true;
    target_ = &modal;
    seen_ = look(modal);
    deadline_ = QDateTime::currentMSecsSinceEpoch() + timeoutMs_;
    action_(modal);
}

void ModalAnswerer::closeByForce(QWidget& modal) {
    forced_ = true;
    timer_.stop();
    if (auto* dialog = qobject_cast<QDialog*>(&modal)) dialog->done(QDialog::Rejected);
    else modal.close();
}

ModalAnswerer::Action clickRole(QDialogButtonBox::ButtonRole role) {
    return [role](QWidget& modal) {
        clickFirst(modal, [&](QAbstractButton& button) { return roleOf(modal, button) == role; });
    };
}

ModalAnswerer::Action clickText(const QString& text) {
    return [text](QWidget& modal) {
        clickFirst(modal, [&](QAbstractButton& button) { return plainText(button) == text; });
    };
}

ModalAnswerer::Action pressKey(Qt::Key key) {
    return [key](QWidget& modal) {
        QWidget* focus = modal.focusWidget();
        QTest::keyClick(focus ? focus : &modal, key);
    };
}

ModalAnswerer::Action closeWindow() {
    return [](QWidget& modal) { modal.close(); };
}

}  // namespace zarvo::test
