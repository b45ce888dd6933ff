#pragma once
// The text of a plain-text editor as the document holds it. The editor's own
// plain text rewrites some characters (a no-break space becomes a space, the
// frame markers U+FDD0/U+FDD1 line breaks), so files are written from its raw
// text instead.

#include <QString>

class QPlainTextEdit;

namespace zarvo {

// The editor's text with LF line breaks; a line separator (Shift+Enter)
// counts as a line break, every other character is kept as it is.
QString editorText(const QPlainTextEdit& editor);

// Replaces the editor's whole text by text (LF line breaks) as one step that
// Undo can take back, keeping the cursor's position where the text allows.
void replaceEditorText(QPlainTextEdit& editor, const QString& text);

}  // namespace zarvo
