#include "designer/SourceEditor.h"

#include <QPainter>
#include <QTextBlock>

#include "painting/FormFonts.h"

namespace zarvo {

// The margin beside the text; the editor paints it.
class LineNumberMargin : public QWidget {
public:
    explicit LineNumberMargin(SourceEditor& editor) : QWidget(&editor), editor_(editor) {
        setObjectName(QStringLiteral("LineNumbers"));
    }
    QSize sizeHint() const override { return {editor_.lineNumberWidth(), 0}; }

protected:
    void paintEvent(QPaintEvent* event) override { editor_.paintLineNumbers(event); }

private:
    SourceEditor& editor_;
};

namespace {

constexpr int kMarginPadding = 4;

}  // namespace

SourceEditor::SourceEditor(QWidget* parent) : QPlainTextEdit(parent), margin_(new LineNumberMargin(*this)) {
    setFont(sourceFont(13));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabStopDistance(8 * fontMetrics().horizontalAdvance(u' '));
    connect(this, &QPlainTextEdit::blockCountChanged, this,
            [this] { setViewportMargins(lineNumberWidth(), 0, 0, 0); });
    connect(this, &QPlainTextEdit::updateRequest, this, &SourceEditor::updateMargin);
    setViewportMargins(lineNumberWidth(), 0, 0, 0);
}

int SourceEditor::lineNumberWidth() const {
    const int digits = int(QString::number(std::max(1, blockCount())).size());
    return 3 * kMarginPadding + fontMetrics().horizontalAdvance(u'9') * std::max(digits, 2);
}

void SourceEditor::goToLine(int line) {
    const QTextBlock block = document()->findBlockByNumber(std::clamp(line, 1, blockCount()) - 1);
    QTextCursor cursor(block);
    setTextCursor(cursor);
    centerCursor();
}

void SourceEditor::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    const QRect area = contentsRect();
    margin_->setGeometry(area.left(), area.top(), lineNumberWidth(), viewport()->height());
}

void SourceEditor::updateMargin(const QRect& rect, int dy) {
    if (dy != 0)
        margin_->scroll(0, dy);
    else
        margin_->update(0, rect.y(), margin_->width(), rect.height());
}

void SourceEditor::paintLineNumbers(QPaintEvent* event) {
    QPainter painter(margin_);
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(margin_->width() - 1, event->rect().top(), margin_->width() - 1, event->rect().bottom());
    painter.setPen(palette().color(QPalette::PlaceholderText));
    const int width = margin_->width() - 2 * kMarginPadding;
    const int lineHeight = fontMetrics().height();
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const int top = int(blockBoundingGeometry(block).translated(contentOffset()).top());
        if (top > event->rect().bottom()) break;
        if (block.isVisible() && top + lineHeight >= event->rect().top())
            painter.drawText(0, top, width, lineHeight, Qt::AlignRight, QString::number(block.blockNumber() + 1));
    }
}

}  // namespace zarvo
