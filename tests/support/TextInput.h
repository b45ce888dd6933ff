#pragma once
// Typing any text, Chinese included, into a widget in a test. QTest's key
// clicks accept Latin-1 only; these deliver the text as the desktop does.

#include <QString>

class QWidget;

namespace zarvo::test {

// Sends text to widget one character (code point) at a time, each as a key
// press and release carrying that character, as a keyboard layout does.
void typeText(QWidget& widget, const QString& text);

// Commits text to widget in one go, as an input method does when the user
// picks the characters.
void commitText(QWidget& widget, const QString& text);

}  // namespace zarvo::test
