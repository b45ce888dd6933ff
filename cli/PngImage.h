#pragma once
// A preview image that zarvo-render draws through the Qt surface and saves
// as a PNG file.

#include <memory>
#include <string>

#include <QImage>
#include <QPainter>

#include "platform/qt/QtSurface.h"

namespace zarvo {

class PngImage {
public:
    // Makes a white width x height image at 114 dpi and returns its surface.
    Surface& resize(int width, int height);

    // Writes the image to path, replacing it only when the whole file was
    // written. Throws ReportError naming the file when it cannot.
    void save(const std::string& path);

private:
    void endPainting();

    QImage image_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<QtSurface> surface_;
};

// FILE for one page; FILE with "-1", "-2", ... before its extension for
// page index 0, 1, ... of several.
std::string numberedFileName(const std::string& file, std::size_t index, std::size_t count);

}  // namespace zarvo
