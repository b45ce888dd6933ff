#include "picture/PictureTone.h"

#include <algorithm>
#include <vector>

namespace zarvo {

namespace {

// The grey of an unpremultiplied pixel laid on white paper, 0 (black) to 255.
int greyOnWhite(QRgb pixel) {
    const int grey = qGray(pixel);
    const int alpha = qAlpha(pixel);
    return (grey * alpha + 255 * (255 - alpha) + 127) / 255;
}

QImage grey(const QImage& source) {
    QImage image = source.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int g = qGray(line[x]);
            line[x] = qRgba(g, g, g, qAlpha(line[x]));
        }
    }
    return image;
}

QImage dots(const QImage& source) {
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int width = image.width();
    QImage out(image.size(), QImage::Format_ARGB32);
    // Two rows of errors, in sixteenths, carried to the next pixels.
    std::vector<int> current(static_cast<std::size_t>(width) + 2, 0);
    std::vector<int> next(static_cast<std::size_t>(width) + 2, 0);
    for (int y = 0; y < image.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        std::fill(next.begin(), next.end(), 0);
        for (int x = 0; x < width; ++x) {
            const int wanted = greyOnWhite(in[x]) * 16 + current[x + 1];
            const bool ink = wanted < 128 * 16;
            line[x] = ink ? qRgba(0, 0, 0, 255) : qRgba(0, 0, 0, 0);
            const int error = wanted - (ink ? 0 : 255 * 16);
            current[x + 2] += error * 7 / 16;
            next[x] += error * 3 / 16;
            next[x + 1] += error * 5 / 16;
            next[x + 2] += error / 16;
        }
        std::swap(current, next);
    }
    return out;
}

}  // namespace

QImage toneOf(const QImage& image, PictureTone tone) {
    switch (tone) {
    case PictureTone::Colour:
        return image;
    case PictureTone::Grey:
        return grey(image);
    case PictureTone::Dots:
        return dots(image);
    }
    return image;
}

}  // namespace zarvo
