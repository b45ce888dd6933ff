#pragma once
// The picture of the user's pre-printed stationery: a scan (PNG, JPEG or
// TIFF) or a page of a PDF file, with its size on paper.

#include <functional>
#include <optional>

#include <QImage>
#include <QRect>
#include <QString>

namespace zarvo {

struct StationeryPicture {
    QImage image;         // Format_RGB32, transparency flattened onto white; null for a page drawn in parts
    double widthMm = 0;   // the picture's width on paper
    double heightMm = 0;  // the picture's height on paper
    // For a page too large to keep as one image: draws part (pixels at dpi,
    // the page's top-left corner at (0, 0)) as a Format_RGB32 image of its size.
    std::function<QImage(int dpi, const QRect& part)> drawPart;
};

// The finest resolution a picture is kept at (the Layout page's highest
// zoom), and the most pixels it is kept with (160 MB).
inline constexpr double kMaxPictureDpi = 912;
inline constexpr double kMaxKeptPixels = 40e6;

// What loading a picture gave: the picture, or that the scan stores no
// resolution and none was typed, or a problem.
struct PictureLoad {
    std::optional<StationeryPicture> picture;
    bool needsDpi = false;  // a scan without a stored resolution and no usable typedDpi
    QString problem;        // why there is no picture, naming the file; empty otherwise
};


// Loads the picture at path, recognised by its content. A PDF gives page
// pdfPage (from 1) drawn at 300 dpi, its size from the page size; a page
// with more than kMaxKeptPixels at 300 dpi is kept unrendered and drawn in
// parts (drawPart). A scan's size comes from the resolution it stores, or
// from typedDpi (dots per inch) when it stores none; it is kept at most at
// kMaxPictureDpi and with kMaxKeptPixels. Scans over 20000 pixels a side or
// 200 million pixels are refused. A path that is no regular file of at most
// 1 GiB (a FIFO, a device) is a damaged picture, found without waiting on it.
PictureLoad loadStationeryPicture(const QString& path, int pdfPage, double typedDpi);

}  // namespace zarvo
