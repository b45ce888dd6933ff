#pragma once
// A preview image: a white QImage at 114 dpi drawn through the Qt surface,
// saved as a PNG file.

#include <memory>
#include <string>

#include <QImage>
#include <QPainter>

#include "painting/QtSurface.h"

namespace zarvo {

class PreviewImage {
public:
    // Makes a white width x height image at 114 dpi and returns its surface.
    Surface& resize(int width, int height);

    // Writes the image to path, replacing it only when the whole file was
    // written. Throws ReportError naming the file when it cannot.
    void save(const std::string& path);

    // The image as drawn so far (painting ends first).
    const QImage& image();

    // The image as drawn so far while painting goes on, for showing a page
    // before it is complete.
    const QImage& canvas() const { return image_; }

private:
    void endPainting();

    QImage image_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<QtSurface> surface_;
};

}  // namespace zarvo
