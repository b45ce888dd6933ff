#include "shell/QtMessagePresenter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

namespace zarvo {

namespace {

QMessageBox::Icon iconFor(MessageKind kind) {
    switch (kind) {
    case MessageKind::Information: return QMessageBox::Information;
    case MessageKind::Warning: return QMessageBox::Warning;
    case MessageKind::Confirmation: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QString titleFor(MessageKind kind) {
    switch (kind) {
    case MessageKind::Information: return QStringLiteral("訊息");
    case MessageKind::Warning: return QStringLiteral("警告");
    case MessageKind::Confirmation: return QStringLiteral("確認");
    }
    return {};
}

QMessageBox::StandardButtons standardButtonsFor(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::Ok: return QMessageBox::Ok;
    case MessageButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    }
    return QMessageBox::Ok;
}

// Qt's own button texts are English without a translation installed; the
// interface speaks Traditional Chinese.
void labelButtons(QMessageBox& box) {
    const std::pair<QMessageBox::StandardButton, QString> labels[] = {
        {QMessageBox::Ok, QStringLiteral("確定")},
        {QMessageBox::Cancel, QStringLiteral("取消")},
        {QMessageBox::Yes, QStringLiteral("是")},
        {QMessageBox::No, QStringLiteral("否")},
    };
    for (const auto& [standard, label] : labels) {
        if (QAbstractButton* button = box.button(standard)) button->setText(label);
    }
}

// A message taller than half the screen (a deep path, say) is shown whole in
// a scrolling label of its own in the box's text place, so that all of it can
// be read and the buttons stay on the screen. The box keeps its own label,
// hidden, so that its text stays the message.
void fitToScreen(QMessageBox& box) {
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    const QScreen* screen = box.screen();
    if (!label || !screen || !box.layout()) return;
    const int textWidth = label->fontMetrics().averageCharWidth() * 60;
    const int limit = screen->availableGeometry().height() / 2;
    const QRect wrapped = label->fontMetrics().boundingRect(
        QRect(0, 0, textWidth, 0), Qt::TextWordWrap | Qt::TextWrapAnywhere, label->text());
    if (wrapped.height() <= limit) return;

    auto* whole = new QLabel(label->text());
    whole->setTextFormat(Qt::PlainText);
    whole->setWordWrap(true);
    whole->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    whole->setTextInteractionFlags(label->textInteractionFlags());
    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(whole);
    scroll->setFixedSize(textWidth + scroll->verticalScrollBar()->sizeHint().width(), limit);
    delete box.layout()->replaceWidget(label, scroll);
    label->hide();
}

int resultFor(QMessageBox::StandardButton answer, MessageButtons buttons) {
    switch (answer) {
    case QMessageBox::Ok: return ResultOk;
    case QMessageBox::Cancel: return ResultCancel;
    case QMessageBox::Yes: return ResultYes;
    case QMessageBox::No: return ResultNo;
    default: break;
    }
    // No button was clicked (the box was closed some other way): take the
    // set's cancelling answer, as Esc would.
    switch (buttons) {
    case MessageButtons::Ok: return ResultOk;
    case MessageButtons::OkCancel: return ResultCancel;
    case MessageButtons::YesNo: return ResultNo;
    }
    return ResultCancel;
}

}  // namespace

int QtMessagePresenter::present(MessageKind kind, MessageButtons buttons, const std::string& text) {
    QMessageBox box(iconFor(kind), titleFor(kind), QString::fromStdString(text),
                    standardButtonsFor(buttons), QApplication::activeWindow());
    // The text is shown as given, never read as rich text.
    box.setTextFormat(Qt::PlainText);
    labelButtons(box);
    fitToScreen(box);
    box.exec();
    return resultFor(box.standardButton(box.clickedButton()), buttons);
}

}  // namespace zarvo
