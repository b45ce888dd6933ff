#include "scancaptions/ScanCaptions.h"

#include <algorithm>
#include <array>
#include <cmath>


namespace zarvo {

namespace {

// The white border around a caption cut out (pixels).
constexpr int kBorderPixels = 12;
// How much darker than the paper (the inside's median grey) a pixel must be
// to count as ink: far more than a scan's grain, less than faded toner.
constexpr int kInkContrast = 60;
// Ink specks smaller than this (mm², 20 pixels at 300 dpi) are dust, not
// a stroke of a character.
constexpr double kSpeckMm2 = 0.14;

int medianGrey(const QImage& grey) {
    std::array<int, 256> counts{};
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* line = grey.constScanLine(y);
        for (int x = 0; x < grey.width(); ++x) ++counts[line[x]];
    }
    const long half = long(grey.width()) * grey.height() / 2;
    long seen = 0;
    for (int v = 0; v < 256; ++v)
        if ((seen += counts[std::size_t(v)]) > half) return v;
    return 255;
}

// Which pixels of grey are ink: clearly darker than the paper, in a stroke
// larger than a speck (8-connected).
std::vector<bool> inkOf(const QImage& grey, int speckPixels) {
    const int width = grey.width(), height = grey.height();
    const int threshold = medianGrey(grey) - kInkContrast;
    std::vector<bool> dark(std::size_t(width) * height), ink(dark.size());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) dark[std::size_t(y) * width + x] = grey.constScanLine(y)[x] < threshold;
    std::vector<bool> seen(dark.size());
    std::vector<std::size_t> stroke, todo;
    for (std::size_t start = 0; start < dark.size(); ++start) {
        if (!dark[start] || seen[start]) continue;
        stroke.clear();
        todo = {start};
        seen[start] = true;
        while (!todo.empty()) {
            const std::size_t at = todo.back();
            todo.pop_back();
            stroke.push_back(at);
            const int x = int(at % width), y = int(at / width);
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= width || ny >= height) continue;
                    const std::size_t next = std::size_t(ny) * width + nx;
                    if (dark[next] && !seen[next]) seen[next] = true, todo.push_back(next);
                }
        }
        if (int(stroke.size()) >= speckPixels)
            for (std::size_t at : stroke) ink[at] = true;
    }
    return ink;
}

}  // namespace

QImage captionImage(const QImage& picture, double pixelsPerMm, const RectMm& box) {
    const auto px = [&](double mm) { return int(std::lround(mm * pixelsPerMm)); };
    const QRect inside = QRect(QPoint(px(box.left + kCaptionLineMm), px(box.top + kCaptionLineMm)),
                               QPoint(px(box.right - kCaptionLineMm) - 1, px(box.bottom - kCaptionLineMm) - 1))
                             .intersected(picture.rect());
    if (inside.isEmpty()) return {};
    const QImage grey = picture.copy(inside).convertToFormat(QImage::Format_Grayscale8);
    const int speckPixels = std::max(2, int(std::lround(kSpeckMm2 * pixelsPerMm * pixelsPerMm)));
    const std::vector<bool> ink = inkOf(grey, speckPixels);
    // Black ink on white, cut to the ink's bounds: the recogniser sees the
    // caption alone, without the paper's grain and the dust.
    QRect bounds;
    for (int y = 0; y < grey.height(); ++y)
        for (int x = 0; x < grey.width(); ++x)
            if (ink[std::size_t(y) * grey.width() + x]) bounds |= QRect(x, y, 1, 1);
    if (bounds.isEmpty()) return {};
    QImage caption(bounds.width() + 2 * kBorderPixels, bounds.height() + 2 * kBorderPixels, QImage::Format_Grayscale8);
    caption.fill(255);
    for (int y = bounds.top(); y <= bounds.bottom(); ++y) {
        uchar* line = caption.scanLine(y - bounds.top() + kBorderPixels);
        for (int x = bounds.left(); x <= bounds.right(); ++x)
            if (ink[std::size_t(y) * grey.width() + x]) line[x - bounds.left() + kBorderPixels] = 0;
    }
    const int dotsPerMetre = int(std::lround(pixelsPerMm * 1000));
    caption.setDotsPerMeterX(dotsPerMetre);
    caption.setDotsPerMeterY(dotsPerMetre);
    return caption;
}

std::vector<std::string> readCaptions(const QImage& picture, double pixelsPerMm, const std::vector<RectMm>& boxes,
                                      CaptionReader& reader, const std::function<void(int done)>& done,
                                      const std::function<bool()>& stop) {
    std::vector<std::string> texts(boxes.size());
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        if (stop && stop()) break;
        const QImage caption = captionImage(picture, pixelsPerMm, boxes[i]);
        if (!caption.isNull()) texts[i] = reader.read(caption);
        if (done) done(int(i) + 1);
    }
    return texts;
}

}  // namespace zarvo
