#include "painting/FormFonts.h"

#include <QFontDatabase>
#include <QStringList>

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

QFont sourceFont(int pixelSize) {
    QFont font = face(QStringLiteral("DejaVu Sans Mono"), pixelSize);
    font.setFamilies(QStringList{QStringLiteral("DejaVu Sans Mono"), QStringLiteral("AR PL UMing TW")});
    font.setStyleHint(QFont::Monospace);
    return font;
}

QFont mingFont(int pixelSize) { return face(QStringLiteral("AR PL UMing TW"), pixelSize); }

QFont kaiFont(int pixelSize) { return face(QStringLiteral("AR PL UKai TW"), pixelSize); }

}  // namespace zarvo
