#pragma once
// The tones a device takes a picture in: its colours (screen, PNG, PDF),
// grey (a printer), or black dots by error diffusion (a printer that
// prints dots only).

#include <QImage>

#include "picture/PictureStyle.h"

namespace zarvo {

// image in tone: Colour as it is; Grey with its transparency kept; Dots
// as opaque black pixels where Floyd-Steinberg error diffusion of its grey
// (laid on white paper) puts ink, transparent elsewhere, one dot a pixel.
QImage toneOf(const QImage& image, PictureTone tone);

}  // namespace zarvo
