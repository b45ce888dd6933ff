#pragma once
// The faces that stand for the form fonts on this desktop.

#include <QFont>

namespace zarvo {

// "MS Sans Serif": the desktop's sans-serif face at 11 pixels.
QFont sansSerifFormFont();
// "細明體" at pixelSize pixels: AR PL UMing TW.
QFont mingFont(int pixelSize);

}  // namespace zarvo
