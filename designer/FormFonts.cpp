#include "designer/FormFonts.h"

namespace zarvo {

QFont sansSerifFormFont() {
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

QFont mingFont(int pixelSize) {
    QFont font(QStringLiteral("AR PL UMing TW"));
    font.setPixelSize(pixelSize);
    return font;
}

}  // namespace zarvo
