#include "painting/MeasuringSurface.h"

#include "painting/FontFaces.h"

namespace zarvo {

FontMetrics MeasuringSurface::metrics(FontFace face, int height) { return faceMetrics(faceShape(face), height); }

}  // namespace zarvo
