#pragma once
// The installed faces that stand behind the report's two font faces, and
// their proportions, measured once per face.

#include <QString>

#include "platform/Surface.h"

namespace zarvo {

// A face's family and its proportions per unit of em (pixel) size.
struct FaceShape {
    QString family;         // the family that actually resolves on this system
    double cellPerEm = 1;   // (ascent + descent) / em: the character cell height
    double ascentPerEm = 1; // ascent / em: top of the cell to the baseline
    double fullWidthPerEm = 1; // advance of a full-width character / em
};

// The shape of a face: "AR PL UMing TW" for Ming, "AR PL UKai TW" for Kai,
// or the nearest face the system has when one is missing. Needs a
// QGuiApplication; the result lives for the whole program.
const FaceShape& faceShape(FontFace face);

// The em size of shape for a height: a positive height is the cell
// height, a negative one the em size itself.
double emFor(const FaceShape& shape, double height);

// The cell and full-width advance of shape at height (as emFor takes it;
// 0 gives empty metrics), rounded: the face's own proportions, so a text
// laid out with them takes the same room on every device.
FontMetrics faceMetrics(const FaceShape& shape, double height);

}  // namespace zarvo
