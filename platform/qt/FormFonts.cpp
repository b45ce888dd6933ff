#include "platform/qt/FormFonts.h"

#include <QFontDatabase>

namespace zarvo {

namespace {

QFont face(const QString& family, int pixelSize) {
    QFont font(family);
    font.setPixelSize(pixelSize);
    return font;
}

}  // namespace

QFont sansSerifFormFont() {
    QFont font = face(QStringLiteral("Sans Serif"), 11);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QFont fixedFormFont(int pixelSize) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(pixelSize);
    return font;
}

QFont mingFont(int pixelSize) { return face(QStringLiteral("AR PL UMing TW"), pixelSize); }

QFont kaiFont(int pixelSize) { return face(QStringLiteral("AR PL UKai TW"), pixelSize); }

}  // namespace zarvo
