#pragma once
// A printed job's pages turned back into images with ghostscript, for the
// tests that measure where ink landed.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <QImage>
#include <QImageReader>

namespace zarvo::test {

// The pages of a PostScript or PDF file as gray images at dpi, made in
// workDir (and removed from it once read).
inline std::vector<QImage> rasterisedPages(const std::filesystem::path& file, int dpi,
                                           const std::filesystem::path& workDir) {
    // An A3 sheet at 600 dpi is larger than Qt reads by default.
    QImageReader::setAllocationLimit(0);
    const std::string stem = (workDir / file.stem()).string();
    std::system(("gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=pnggray -r" + std::to_string(dpi) + " -sOutputFile='" +
                 stem + "-%d.png' '" + file.string() + "'")
                    .c_str());
    std::vector<QImage> images;
    for (int page = 1;; ++page) {
        const std::string png = stem + "-" + std::to_string(page) + ".png";
        QImage image(QString::fromStdString(png));
        if (image.isNull()) return images;
        // Another service's job of the same id reads only its own pages.
        std::filesystem::remove(png);
        images.push_back(image.convertToFormat(QImage::Format_Grayscale8));
    }
}

}  // namespace zarvo::test
