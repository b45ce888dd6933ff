#include "designer/EditorText.h"

#include <random>

#include <gtest/gtest.h>

#include "tests/windows/designer/QtPrinters.h"

#include <QPlainTextEdit>

#include "document/Big5TextFile.h"
#include "tests/support/QtTestMain.h"

namespace zarvo {
namespace {

// Random bytes whose every line break is CR LF, as the designer writes them.
std::string randomCrLfBytes(std::mt19937& random, std::size_t length) {
    std::uniform_int_distribution<int> byte(0, 255);
    std::string bytes;
    while (bytes.size() < length) {
        const int b = byte(random);
        if (b == '\r' || b == '\n') {
            bytes += "\r\n";
        } else {
            bytes += static_cast<char>(b);
        }
    }
    return bytes;
}

TEST(EditorTextTest, AnyBig5BytesComeBackWholeThroughTheEditor) {
    std::mt19937 random(20240611);
    std::vector<std::string> samples = {
        std::string("\0\x01\x1f\x7f\r\n\xA0\xA1\x40\x80\xFF\xFE\x40\xC8\xA1\xF9\xFE\xA3\xE1", 19),
        "\xA1\x40\t\xA2\xCC\xA2\xCD\x81\r\n",  // full-width space, codes held twice, stray lead
    };
    for (int i = 0; i < 200; ++i) samples.push_back(randomCrLfBytes(random, 1 + i * 7));
    QPlainTextEdit editor;
    for (const std::string& bytes : samples) {
        editor.setPlainText(decodeBig5Text(bytes));
        const auto written = encodeBig5Text(editorText(editor));
        ASSERT_TRUE(std::holds_alternative<std::string>(written));
        EXPECT_EQ(std::get<std::string>(written), bytes);
    }
}

TEST(EditorTextTest, TextKeepsWhatThePlainTextRewritesAndBreaksAtLineSeparators) {
    QPlainTextEdit editor;
    editor.setPlainText(QStringLiteral("a\u00a0b\nc"));
    editor.textCursor().insertText(QString(QChar::LineSeparator));
    QTextCursor end(editor.document());
    end.movePosition(QTextCursor::End);
    end.insertText(QString(QChar::LineSeparator) + u'd');
    EXPECT_EQ(editorText(editor), QStringLiteral("\na\u00a0b\nc\nd"));
}

TEST(EditorTextTest, ReplacingTheTextIsOneUndoStepAndKeepsTheCursor) {
    QPlainTextEdit editor;
    editor.setPlainText(QStringLiteral("one\ntwo\n"));
    QTextCursor cursor = editor.textCursor();
    cursor.setPosition(5);
    editor.setTextCursor(cursor);
    replaceEditorText(editor, QStringLiteral("ONE\nTWO\nthree"));
    EXPECT_EQ(editorText(editor), QStringLiteral("ONE\nTWO\nthree"));
    EXPECT_EQ(editor.textCursor().position(), 5);
    replaceEditorText(editor, QStringLiteral("x"));
    EXPECT_EQ(editor.textCursor().position(), 1);
    editor.undo();
    editor.undo();
    EXPECT_EQ(editorText(editor), QStringLiteral("one\ntwo\n"));
}

}  // namespace
}  // namespace zarvo
