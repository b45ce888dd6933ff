#pragma once
// The desktop faces that stand for the window fonts of the forms: "MS Sans
// Serif", "Fixedsys", "細明體" and "標楷體".

#include <QFont>

namespace zarvo {

// "MS Sans Serif": the desktop's sans-serif face at 11 pixels.
QFont sansSerifFormFont();
// "Fixedsys" at pixelSize pixels: the desktop's monospace face.
QFont fixedFormFont(int pixelSize);
// The report source's face at pixelSize pixels: DejaVu Sans Mono, whose
// zero is marked and whose 1 and l differ, with AR PL UMing TW for the
// Chinese characters it lacks.
QFont sourceFont(int pixelSize);
// "細明體" at pixelSize pixels: AR PL UMing TW.
QFont mingFont(int pixelSize);
// "標楷體" at pixelSize pixels: AR PL UKai TW.
QFont kaiFont(int pixelSize);

}  // namespace zarvo
