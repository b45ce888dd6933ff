#include "platform/qt/QtSurface.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>
#include <QPolygon>
#include <QString>
#include <QVector>

#include "platform/qt/FontFaces.h"
#include "report/Big5.h"

namespace zarvo {

namespace {

// Distinct sizes a surface keeps before it starts over; reports use a few.
constexpr std::size_t kMaxCachedFonts = 64;
// The null pen's style code: nothing is drawn with it.
constexpr int kNullPenStyle = 5;
// The resolution at which dash patterns have Qt's own lengths; finer
// devices stretch them so that a dashed line looks the same on paper.
constexpr double kDashBaseDpi = 114.0;

QColor toQColor(Rgb color) {
    return QColor((color >> 16) & 0xff, (color >> 8) & 0xff, color & 0xff);
}

// Qt's dash patterns, in pen widths.
QVector<qreal> dashPattern(int style) {
    switch (style) {
    case PenDash: return {4, 2};
    case PenDot: return {1, 2};
    case PenDashDot: return {4, 2, 1, 2};
    case PenDashDotDot: return {4, 2, 1, 2, 1, 2};
    default: return {};
    }
}

// The Qt pen for a pen at dpi; nullopt for the null pen. Widths 0 and 1
// are one device pixel and styled; wider pens are solid whatever the style.
std::optional<QPen> toQPen(const Pen& pen, int dpi) {
    if (pen.style == kNullPenStyle) return std::nullopt;
    QPen qpen(toQColor(pen.color));
    qpen.setCapStyle(Qt::FlatCap);
    qpen.setJoinStyle(Qt::MiterJoin);
    if (pen.width > 1) {
        qpen.setWidth(pen.width);
        return qpen;
    }
    qpen.setCosmetic(true);
    qpen.setWidthF(1.0);
    QVector<qreal> pattern = dashPattern(pen.style);
    if (!pattern.isEmpty()) {
        const double stretch = std::max(1.0, dpi / kDashBaseDpi);
        for (qreal& length : pattern) length *= stretch;
        qpen.setDashPattern(pattern);
    }
    return qpen;
}

// Code points a face can draw: no controls, surrogates or private-use
// codes (the Big5 decoder's stand-ins for unmapped codes and stray bytes).
bool drawable(char32_t c) {
    if (c < 0x20 || (c >= 0x7f && c < 0xa0)) return false;
    if (c >= 0xd800 && c <= 0xdfff) return false;
    if (c >= 0xe000 && c <= 0xf8ff) return false;
    return c < 0xf0000;  // planes 15 and 16 are private use
}

QString drawableText(std::string_view bytes) {
    std::u32string codes = big5Decode(bytes);
    for (char32_t& c : codes) c = big5Glyph(c);
    std::erase_if(codes, [](char32_t c) { return !drawable(c); });
    return QString::fromUcs4(codes.data(), static_cast<qsizetype>(codes.size()));
}

}  // namespace

QtSurface::QtSurface(QPainter& painter, int dpi) : painter_(painter), dpi_(dpi) {
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
}

void QtSurface::clear() {
    const QPaintDevice* device = painter_.device();
    painter_.fillRect(QRect(0, 0, device->width(), device->height()), Qt::white);
}

void QtSurface::drawLine(int x1, int y1, int x2, int y2, const Pen& pen) {
    const std::optional<QPen> qpen = toQPen(pen, dpi_);
    if (!qpen || (x1 == x2 && y1 == y2)) return;
    // A flat-capped line covers its start pixel up to, not including, its end.
    painter_.setPen(*qpen);
    painter_.drawLine(x1, y1, x2, y2);
    const int half = std::max(qpen->width(), 1) / 2;
    addInk(QRect(QPoint(std::min(x1, x2), std::min(y1, y2)), QPoint(std::max(x1, x2), std::max(y1, y2)))
               .adjusted(-half, -half, half, half));
}

void QtSurface::drawText(int x, int y, std::string_view bytes, const Font& font) {
    const SizedFont& sized = sizedFont(font);
    const QString text = drawableText(bytes);
    if (sized.empty() || text.isEmpty()) return;
    painter_.setFont(sized.font);
    painter_.setPen(toQColor(textColor_));
    const int cellWidth = bytes.size() > 1 ? sized.metrics.maxCharWidth : sized.metrics.maxCharWidth / 2;
    const int cellHeight = sized.metrics.height;
    addInk(font.turned ? QRect(x - cellHeight, y, cellHeight, cellWidth) : QRect(x, y, cellWidth, cellHeight));
    if (!font.turned) {
        painter_.drawText(x, y + sized.ascent, text);
        return;
    }
    // Turned 90 degrees clockwise about the reference point: the text runs
    // downward, the glyph tops face right and the cell lies left of x.
    painter_.save();
    painter_.translate(x, y);
    painter_.rotate(90);
    painter_.drawText(0, sized.ascent, text);
    painter_.restore();
}

void QtSurface::drawRect(int left, int top, int right, int bottom, const Pen& pen) {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    const std::optional<QPen> qpen = toQPen(pen, dpi_);
    // Right and bottom are exclusive; without an outline the fill shrinks
    // by one more pixel, as the outline's pixels are not drawn.
    const int inset = qpen ? 1 : 2;
    const QRect inside(QPoint(left, top), QPoint(right - inset, bottom - inset));
    if (inside.isEmpty()) return;
    painter_.fillRect(inside, Qt::white);
    addInk(inside);
    if (!qpen) return;
    const QPolygon outline({inside.topLeft(), inside.topRight(), inside.bottomRight(),
                            inside.bottomLeft()});
    painter_.setPen(*qpen);
    painter_.setBrush(Qt::NoBrush);
    painter_.drawPolygon(outline);
}

FontMetrics QtSurface::metrics(const Font& font) { return sizedFont(font).metrics; }

const QtSurface::SizedFont& QtSurface::sizedFont(const Font& font) {
    const auto key = std::make_pair(font.face, font.height);
    auto found = fonts_.find(key);
    if (found != fonts_.end()) return found->second;
    if (fonts_.size() >= kMaxCachedFonts) fonts_.clear();
    return fonts_.emplace(key, makeSizedFont(font.face, font.height)).first->second;
}

QtSurface::SizedFont QtSurface::makeSizedFont(FontFace face, int height) const {
    SizedFont sized;
    if (height == 0) return sized;
    const FaceShape& shape = faceShape(face);
    // A positive height is the cell (ascent + descent); a negative one, as
    // with the system font calls, is the em size.
    const double em = height > 0 ? height / shape.cellPerEm : -height;
    const int cell = height > 0 ? height : static_cast<int>(std::lround(em * shape.cellPerEm));
    QPaintDevice* device = painter_.device();
    sized.font = QFont(shape.family);
    // Point sizes keep fractional pixel sizes; the device's own resolution
    // turns them back into pixels.
    sized.font.setPointSizeF(em * 72.0 / device->logicalDpiY());
    sized.ascent = static_cast<int>(std::lround(em * shape.ascentPerEm));
    const QFontMetricsF measured(sized.font, device);
    sized.metrics.height = cell;
    const double fullWidth = measured.horizontalAdvance(QChar(0x4e00));  // 一
    sized.metrics.maxCharWidth = static_cast<int>(std::lround(fullWidth));
    return sized;
}

}  // namespace zarvo
