#include "layout/StatusText.h"

#include <algorithm>

#include <QFontMetrics>
#include <QLabel>
#include <QToolButton>

#include "platform/Messages.h"

namespace zarvo {

namespace {

const QString kMore = QStringLiteral("…");

}  // namespace

StatusText::StatusText(bool withButton, QWidget* parent) : QWidget(parent), shown_(new QLabel(this)) {
    shown_->setTextFormat(Qt::PlainText);
    if (withButton) {
        more_ = new QToolButton(this);
        more_->setObjectName(QStringLiteral("btn_more"));
        more_->setText(kMore);
        more_->setToolTip(QStringLiteral("顯示全文"));
        more_->hide();
        connect(more_, &QToolButton::clicked, this, &StatusText::showWhole);
    }
}

void StatusText::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    setToolTip(text);
    showWhatFits();
}

QString StatusText::shownText() const { return shown_->text(); }

// The width asked for is the least set, whatever the text: the layout may
// give more or less, and the text adapts, never the window.
QSize StatusText::sizeHint() const { return QSize(minimumWidth(), shown_->sizeHint().height()); }

QSize StatusText::minimumSizeHint() const { return QSize(0, shown_->minimumSizeHint().height()); }

void StatusText::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    showWhatFits();
}

// The whole width when the text fits in it; otherwise the button at the
// right end and the text cut to what is left.
void StatusText::showWhatFits() {
    const QFontMetrics metrics(shown_->font());
    const bool fits = metrics.horizontalAdvance(text_) <= width();
    int textWidth = width();
    if (more_) {
        more_->setVisible(!fits);
        if (!fits) {
            const QSize button = more_->sizeHint();
            textWidth = std::max(0, width() - button.width());
            more_->setGeometry(textWidth, (height() - button.height()) / 2, button.width(), button.height());
        }
    }
    shown_->setGeometry(0, 0, textWidth, height());
    shown_->setText(fits ? text_ : metrics.elidedText(text_, Qt::ElideRight, textWidth));
}

void StatusText::showWhole() { ShowInfo("%s", text_.toStdString().c_str()); }

}  // namespace zarvo
