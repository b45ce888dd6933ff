#include "painting/FontFaces.h"

#include <cmath>

#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QStringList>

namespace zarvo {

namespace {

// Families to try for a face, best first; the last entry is a generic name
// that the system always maps to some face.
QStringList candidates(FontFace face) {
    if (face == FontFace::Kai) return {"AR PL UKai TW", "AR PL UKai HK", "AR PL UMing TW", "serif"};
    return {"AR PL UMing TW", "AR PL UMing HK", "AR PL UKai TW", "serif"};
}

// The first candidate that is installed, else the system's choice for the last.
QString resolveFamily(FontFace face) {
    const QStringList names = candidates(face);
    for (const QString& name : names) {
        if (QFontInfo(QFont(name)).family().compare(name, Qt::CaseInsensitive) == 0) return name;
    }
    return QFontInfo(QFont(names.back())).family();
}

FaceShape measure(FontFace face) {
    // A large size makes the rounding of hinted metrics negligible.
    constexpr int em = 1000;
    FaceShape shape;
    shape.family = resolveFamily(face);
    QFont font(shape.family);
    font.setPixelSize(em);
    font.setHintingPreference(QFont::PreferNoHinting);
    const QFontMetricsF metrics(font);
    const double cell = metrics.ascent() + metrics.descent();
    if (cell > 0) {
        shape.cellPerEm = cell / em;
        shape.ascentPerEm = metrics.ascent() / em;
    }
    const double fullWidth = metrics.horizontalAdvance(QChar(0x4e00));  // 一
    if (fullWidth > 0) shape.fullWidthPerEm = fullWidth / em;
    return shape;
}

}  // namespace

const FaceShape& faceShape(FontFace face) {
    // Each face is measured when first asked for: a job in one face never
    // loads the other.
    if (face == FontFace::Kai) {
        static const FaceShape kai = measure(FontFace::Kai);
        return kai;
    }
    static const FaceShape ming = measure(FontFace::Ming);
    return ming;
}

double emFor(const FaceShape& shape, double height) {
    return height > 0 ? height / shape.cellPerEm : -height;
}

FontMetrics faceMetrics(const FaceShape& shape, double height) {
    if (height == 0) return {};
    const double em = emFor(shape, height);
    return FontMetrics{static_cast<int>(std::lround(em * shape.fullWidthPerEm)),
                       height > 0 ? static_cast<int>(std::lround(height))
                                  : static_cast<int>(std::lround(em * shape.cellPerEm))};
}

}  // namespace zarvo
