#pragma once
// The picture of the user's pre-printed stationery: a scan (PNG, JPEG or
// TIFF) or a page of a PDF file, with its size on paper.

#include <optional>

#include <QImage>
#include <QString>

namespace zarvo {

struct StationeryPicture {
    QImage image;         // Format_RGB32, transparency flattened onto white
    double widthMm = 0;   // the image's width on paper
    double heightMm = 0;  // the image's height on paper
};

// What loading a picture gave: the picture, or that the scan stores no
// resolution and none was typed, or a problem.
struct PictureLoad {
    std::optional<StationeryPicture> picture;
    bool needsDpi = false;  // a scan without a stored resolution and no usable typedDpi
    QString problem;        // why there is no picture, naming the file; empty otherwise
};

// Whether dpi (dots per inch) is a resolution a scan can have: 10..10000.
bool isPlausibleDpi(double dpi);

// Loads the picture at path, recognised by its content. A PDF gives page
// pdfPage (from 1) drawn at 300 dpi (less for a page too large to draw at
// that), its size from the page size. A scan's size comes from the
// resolution it stores, or from typedDpi (dots per inch) when it stores none.
// Images over 20000 pixels a side or 200 million pixels are refused. A path
// that is no regular file of at most 1 GiB (a FIFO, a device) is a damaged
// picture, found without waiting on it.
PictureLoad loadStationeryPicture(const QString& path, int pdfPage, double typedDpi);

}  // namespace zarvo
