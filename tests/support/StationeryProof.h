#pragma once
// What the tests of PDF files over the stationery share: a report copied
// beside a stationery picture of one dark rectangle, and measures of the
// rasterised pages that tell the form and its data from the picture.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <QImage>
#include <QRect>
#include <QString>

namespace zarvo::test {

// The picture: kPictureMm (mm) of black at 254 dpi, placed at kPictureAtMm
// from the sheet's corner, at the default strength, so that it shows as mid
// gray: lighter than the form's red and black, darker than paper.
inline const QRect kPictureMm(40, 38, 40, 22);
inline constexpr int kPictureGrayLow = 110;
inline constexpr int kPictureGrayHigh = 145;
// Ink of the form and its data is darker than this; the picture is not.
inline constexpr int kFormInk = 100;

// Copies the example report named stem (with its test data) into dir with a
// settings file and picture beside it; returns the copy's path.
inline std::string reportOverStationery(const std::filesystem::path& dir, const std::string& stem) {
    const std::filesystem::path examples = std::filesystem::path(ZARVO_SOURCE_DIR) / "examples";
    for (const std::string suffix : {".txt", "_data.txt"}) {
        std::filesystem::copy_file(examples / (stem + suffix), dir / (stem + suffix),
                                   std::filesystem::copy_options::overwrite_existing);
    }
    QImage picture(kPictureMm.width() * 10, kPictureMm.height() * 10, QImage::Format_RGB32);
    picture.fill(Qt::black);
    picture.setDotsPerMeterX(10000);
    picture.setDotsPerMeterY(10000);
    picture.save(QString::fromStdString((dir / "stationery.png").string()));
    std::ofstream(dir / (stem + ".zarvo")) << "picture=stationery.png\ndx=" << kPictureMm.x()
                                           << "\ndy=" << kPictureMm.y() << "\n";
    return (dir / (stem + ".txt")).string();
}

// The smallest rectangle holding every pixel of page (gray) darker than
// kFormInk: the form and its data, without the picture.
inline QRect formInkBounds(const QImage& page) {
    QRect bounds;
    for (int y = 0; y < page.height(); ++y) {
        const uchar* line = page.constScanLine(y);
        for (int x = 0; x < page.width(); ++x) {
            if (line[x] < kFormInk) bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

// How many pixels of area on page (gray) have a gray in low..high.
inline int pixelsBetween(const QImage& page, const QRect& area, int low, int high) {
    int count = 0;
    const QRect inside = area & page.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const int gray = page.constScanLine(y)[x];
            if (gray >= low && gray <= high) ++count;
        }
    }
    return count;
}

// The picture's area in pixels at dpi, less a millimetre all round for its
// soft edges.
inline QRect pictureArea(int dpi) {
    const auto px = [dpi](double mm) { return int(mm * dpi / 25.4); };
    return QRect(px(kPictureMm.x() + 1), px(kPictureMm.y() + 1), px(kPictureMm.width() - 2),
                 px(kPictureMm.height() - 2));
}

}  // namespace zarvo::test
