#include "platform/recording/RecordingSurface.h"

#include <cstdio>
#include <string>

namespace zarvo {

namespace {

std::string hexColor(Rgb color) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%06x", static_cast<unsigned>(color & 0xffffff));
    return buffer;
}

std::string hexBytes(std::string_view bytes) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (unsigned char byte : bytes) {
        hex += digits[byte >> 4];
        hex += digits[byte & 0xf];
    }
    return hex;
}

std::string penText(const Pen& pen) {
    return "pen=" + std::to_string(pen.style) + "," + std::to_string(pen.width) + "," +
           hexColor(pen.color);
}

}  // namespace

RecordingSurface::RecordingSurface(std::ostream& out, int dpi) : out_(out), dpi_(dpi) {}

void RecordingSurface::resize(int width, int height) {
    width_ = width;
    height_ = height;
}

void RecordingSurface::clear() { out_ << "image " << width_ << ' ' << height_ << '\n'; }

void RecordingSurface::drawLine(int x1, int y1, int x2, int y2, const Pen& pen) {
    out_ << "line " << x1 << ' ' << y1 << ' ' << x2 << ' ' << y2 << ' ' << penText(pen) << '\n';
}

void RecordingSurface::drawText(int x, int y, std::string_view bytes, const Font& font) {
    out_ << "text " << x << ' ' << y << ' ' << hexBytes(bytes)
         << " face=" << (font.face == FontFace::Kai ? "kai" : "ming") << " h=" << font.height
         << " turned=" << (font.turned ? 1 : 0) << " color=" << hexColor(color_) << '\n';
}

void RecordingSurface::drawRect(int left, int top, int right, int bottom, const Pen& pen) {
    out_ << "rect " << left << ' ' << top << ' ' << right << ' ' << bottom << ' ' << penText(pen)
         << '\n';
}

FontMetrics RecordingSurface::metrics(const Font& font) {
    return FontMetrics{font.height - font.height / 8, font.height};
}

}  // namespace zarvo
