#pragma once
// Picture bytes into pixels: the size read from the header before anything
// is decoded (over kMaxPicturePixels refused), PNG, JPEG, TIFF and the
// other formats of Qt's image readers, and SVG drawn by Qt SVG without
// anything outside the file.

#include <cstdint>
#include <string>

#include <QImage>

#include "picture/PictureStyle.h"

namespace zarvo {

// The most pixels a picture may have (100 million).
inline constexpr std::int64_t kMaxPicturePixels = 100'000'000;
// The largest SVG file drawn, bytes; with its elements drawn once at the
// frame's size this bounds its drawing time.
inline constexpr std::size_t kMaxSvgBytes = std::size_t(4) << 20;

// Sets Qt's image allocation limit to what kMaxPicturePixels needs; call
// once at program start, before any thread reads a picture.
void limitPictureAllocation();

// A picture's size as its header says, or why it cannot be used (UTF-8,
// naming shownName).
struct PictureHeader {
    int width = 0;
    int height = 0;
    bool svg = false;
    std::string error;
    bool ok() const { return error.empty(); }
};
PictureHeader readPictureHeader(const std::string& bytes, const std::string& shownName);

// The picture of bytes (whose header is header) made for a place of
// width x height pixels under fit: the whole picture scaled to it, or for
// cover scaled to cover it and cut as aligned; a null image with error
// set when the bytes cannot be decoded.
struct DecodedPicture {
    QImage image;
    std::string error;
};
DecodedPicture decodePicture(const std::string& bytes, const PictureHeader& header, int width, int height,
                             const PictureStyle& style, const std::string& shownName);

}  // namespace zarvo
