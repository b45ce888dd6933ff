#pragma once
// The report source's editor: plain text without wrapping, its line numbers
// in a margin on the left, in a face that tells 0 from O and 1 from l.

#include <QPlainTextEdit>

namespace zarvo {

class SourceEditor : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit SourceEditor(QWidget* parent = nullptr);

    // Puts the cursor at the start of line (from 1; the last line when the
    // text is shorter) and scrolls it into view.
    void goToLine(int line);

    // The margin's width in pixels: the digits of the last line number.
    int lineNumberWidth() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class LineNumberMargin;
    void paintLineNumbers(QPaintEvent* event);
    void updateMargin(const QRect& rect, int dy);

    QWidget* margin_;
};

}  // namespace zarvo
