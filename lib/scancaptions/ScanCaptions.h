#pragma once
// The captions printed in boxes of a scanned form, cut out of the picture
// and read one after the other by a CaptionReader; meant for a worker
// thread (nothing here touches a widget).

#include <functional>
#include <string>
#include <vector>

#include <QImage>

#include "layoutmodel/SceneTypes.h"
#include "scancaptions/CaptionReader.h"

namespace zarvo {

// How much of a box's edge is left out around its caption: the ruled line
// and the ink that bleeds from it (mm).
inline constexpr double kCaptionLineMm = 0.6;

// The ink inside box (mm from the picture's top-left) in picture, which is
// pixelsPerMm fine, kCaptionLineMm off the box's lines: pixels clearly darker
// than the paper, specks of dust left out, black on white, cut to their
// bounds on a white border that a recogniser wants around a line of text.
// A null image when the box holds no ink or lies outside the picture.
QImage captionImage(const QImage& picture, double pixelsPerMm, const RectMm& box);

// The captions in boxes (mm from the picture's top-left), read by reader in
// order (a box without ink reads empty, unasked); done is told how many are
// read after each, and stop asked before each (true: the rest are left
// unread, empty).
std::vector<std::string> readCaptions(const QImage& picture, double pixelsPerMm, const std::vector<RectMm>& boxes,
                                      CaptionReader& reader, const std::function<void(int done)>& done = {},
                                      const std::function<bool()>& stop = {});

}  // namespace zarvo
