#include "tests/support/TextInput.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>

namespace zarvo::test {
namespace {

// Big5 and beyond: CJK ideographs, a full-width space, and a character
// outside the Basic Multilingual Plane (two UTF-16 units).
const QString chinese = QStringLiteral("品名\u3000規格 A-1 \U00020000");

TEST(TextInputTest, TypedCharactersArriveWholeInALineEdit) {
    QLineEdit edit;
    int changes = 0;
    QObject::connect(&edit, &QLineEdit::textEdited, [&] { ++changes; });
    typeText(edit, chinese);
    EXPECT_EQ(edit.text(), chinese);
    EXPECT_EQ(changes, chinese.toUcs4().size());
}

TEST(TextInputTest, TypedCharactersArriveInAPlainTextEdit) {
    QPlainTextEdit memo;
    typeText(memo, chinese);
    EXPECT_EQ(memo.toPlainText(), chinese);
}

TEST(TextInputTest, CommittedTextIsInsertedAtTheCursor) {
    QLineEdit edit(QStringLiteral("AB"));
    edit.setCursorPosition(1);
    commitText(edit, QStringLiteral("日期"));
    EXPECT_EQ(edit.text(), QStringLiteral("A日期B"));
}

}  // namespace
}  // namespace zarvo::test
