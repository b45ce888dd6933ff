#include "platform/recording/RecordingSurface.h"

#include <cmath>
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

// A font height rounded half up to two decimals, without trailing zeros:
// "94", "17.86", "17.5". Heights are layout heights scaled by a whole dpi
// over 1200, so their hundredths are multiples of 1/12: an exact half is
// never closer than 1/12 to another value, and the slack only keeps a half
// that binary arithmetic left a hair short from rounding down.
std::string heightText(double height) {
    const long long hundredths = std::llround(std::floor(height * 100 + 0.5 + 1e-6));
    const long long whole = hundredths / 100;
    int decimals = static_cast<int>(std::llabs(hundredths % 100));
    std::string text = (hundredths < 0 && whole == 0 ? "-" : "") + std::to_string(whole);
    if (decimals == 0) return text;
    char digits[4];
    std::snprintf(digits, sizeof digits, "%02d", decimals);
    text += '.';
    text += digits[0];
    if (digits[1] != '0') text += digits[1];
    return text;
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
         << " face=" << (font.face == FontFace::Kai ? "kai" : "ming") << " h=" << heightText(font.height)
         << " turned=" << (font.turned ? 1 : 0) << " color=" << hexColor(color_) << '\n';
}

void RecordingSurface::drawRect(int left, int top, int right, int bottom, const Pen& pen) {
    out_ << "rect " << left << ' ' << top << ' ' << right << ' ' << bottom << ' ' << penText(pen)
         << '\n';
}

void RecordingSurface::fillRect(double left, double top, double right, double bottom, Rgb color) {
    out_ << "fill " << std::llround(left) << ' ' << std::llround(top) << ' ' << std::llround(right) << ' '
         << std::llround(bottom) << " color=" << hexColor(color) << '\n';
}

void RecordingSurface::drawPicture(int left, int top, int right, int bottom, const PictureImage& picture) {
    out_ << "picture " << left << ' ' << top << ' ' << right << ' ' << bottom << " w=" << picture.width
         << " h=" << picture.height << '\n';
}

FontMetrics RecordingSurface::metrics(FontFace, int height) {
    return FontMetrics{height - height / 8, height};
}

}  // namespace zarvo
