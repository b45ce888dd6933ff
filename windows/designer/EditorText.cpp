#include "designer/EditorText.h"

#include <algorithm>

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

namespace zarvo {

QString editorText(const QPlainTextEdit& editor) {
    QString text = editor.document()->toRawText();
    for (QChar& c : text) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator) c = u'\n';
    }
    return text;
}

void replaceEditorText(QPlainTextEdit& editor, const QString& text) {
    const int position = editor.textCursor().position();
    QTextCursor cursor(editor.document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.insertText(text);
    cursor.endEditBlock();
    cursor.setPosition(std::min(position, editor.document()->characterCount() - 1));
    editor.setTextCursor(cursor);
}

}  // namespace zarvo
