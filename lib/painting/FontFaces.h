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

}  // namespace zarvo
