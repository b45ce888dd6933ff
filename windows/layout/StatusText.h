#pragma once
// A status bar's text that never widens its window: it takes the width the
// layout gives it and shows as much of the text as fits, elided at the end,
// with the whole text in its tooltip. With a "…" button, the button appears
// while the text is cut and shows the whole text in an information box.

#include <QString>
#include <QWidget>

class QLabel;
class QToolButton;

namespace zarvo {

class StatusText : public QWidget {
    Q_OBJECT

public:
    // withButton: whether a cut text offers the "…" button.
    explicit StatusText(bool withButton, QWidget* parent = nullptr);

    // The whole text, as set.
    QString text() const { return text_; }
    void setText(const QString& text);
    // What is shown of the text now (elided to the width there is).
    QString shownText() const;
    // The "…" button (nullptr when made without one); shown while the text is cut.
    QToolButton* moreButton() const { return more_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showWhatFits();
    void showWhole();

    QString text_;
    QLabel* shown_;
    QToolButton* more_ = nullptr;
};

}  // namespace zarvo
