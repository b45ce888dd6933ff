#pragma once
// The picture of one block for one frame on one device: found, checked,
// decoded, scaled, toned and cached; and the check a value gets before a
// print starts. What the engine asks of pictures; Qt stays behind it.

#include <string>

#include "picture/PictureStyle.h"
#include "platform/Surface.h"

namespace zarvo {

// Where a block's pictures are looked for (UTF-8 folders): a fixed
// picture= below the report's folder, a file named by a value below the
// data file's folder (the report's, for test data).
struct PictureFolders {
    std::string report;
    std::string values;
};

// A block's picture ready to draw at place (device pixels), or why it
// cannot be drawn (UTF-8, naming the picture).
struct PreparedPicture {
    PictureImage image;
    PixelRect place;
    std::string error;
    bool ok() const { return error.empty(); }
};

// The picture style names (its fixed file) or value names (UTF-8: a file
// name or a data: value), made for frame (device pixels) in tone. An empty
// frame gives an empty picture.
// With scalable (a device that scales pictures itself, a PDF page) a
// raster picture smaller than its place keeps its own pixels: the device
// scales it, and the file holds no more than the picture has.
PreparedPicture preparePicture(const PictureStyle& style, const std::string& value, const PictureFolders& folders,
                               const DeviceFrame& frame, PictureTone tone, bool scalable = false);

// Why the picture style or value names cannot be drawn (found, read,
// header, decoded), empty when it can; nothing is kept.
std::string pictureFault(const PictureStyle& style, const std::string& value, const PictureFolders& folders);

}  // namespace zarvo
