#include "painting/QtSurface.h"

#include <QImage>

#include <algorithm>
#include <cmath>
#include <optional>

#include <QGlyphRun>
#include <QPaintDevice>
#include <QColor>
#include <QPainter>
#include <QPen>
#include <QPolygon>
#include <QString>
#include <QVector>

#include "painting/FontFaces.h"
#include "report/Big5.h"
#include "report/Units.h"

namespace zarvo {

namespace {

// Distinct sizes a surface keeps before it starts over; reports use a few.
constexpr std::size_t kMaxCachedFonts = 64;
// The null pen's style code: nothing is drawn with it.
constexpr int kNullPenStyle = 5;
// The resolution at which dash patterns have Qt's own lengths; finer
// devices stretch them so that a dashed line looks the same on paper.
constexpr double kDashBaseDpi = kPreviewDpi;

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

// The key of a string of one or two bytes in a glyph cache; no two such
// strings share one.
std::uint32_t glyphKey(std::string_view bytes) {
    const auto byte = [bytes](std::size_t i) { return std::uint32_t{static_cast<unsigned char>(bytes[i])}; };
    return bytes.size() == 1 ? byte(0) : 0x10000 | byte(0) << 8 | byte(1);
}

}  // namespace

QtSurface::QtSurface(QPainter& painter, int dpi, TextDelivery delivery)
    : painter_(painter), dpi_(dpi), delivery_(delivery) {
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
}

void QtSurface::clear() {
    flushText();
    const QPaintDevice* device = painter_.device();
    painter_.fillRect(QRect(0, 0, device->width(), device->height()), Qt::white);
}

void QtSurface::drawLine(int x1, int y1, int x2, int y2, const Pen& pen) {
    flushText();
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
    SizedFont& sized = sizedFont(font);
    if (sized.empty()) return;
    if (delivery_ == TextDelivery::Runs) {
        const GlyphChoice glyph = glyphFor(sized, bytes);
        if (glyph.kind == GlyphKind::Nothing) return;
        if (glyph.kind == GlyphKind::Glyph) {
            addCellInk(x, y, bytes, font, sized);
            addToRun(x, y, glyph.index, font, sized);
            return;
        }
        // What is drawn at once goes after what was gathered before it.
        flushText();
    }
    const QString text = drawableText(bytes);
    if (text.isEmpty()) return;
    addCellInk(x, y, bytes, font, sized);
    drawShaped(x, y, text, font, sized);
}

void QtSurface::addCellInk(int x, int y, std::string_view bytes, const Font& font, const SizedFont& sized) {
    const int cellWidth = bytes.size() > 1 ? sized.metrics.maxCharWidth : sized.metrics.maxCharWidth / 2;
    const int cellHeight = sized.metrics.height;
    addInk(font.turned ? QRect(x - cellHeight, y, cellHeight, cellWidth) : QRect(x, y, cellWidth, cellHeight));
}

void QtSurface::drawShaped(int x, int y, const QString& text, const Font& font, const SizedFont& sized) {
    painter_.setFont(sized.font);
    painter_.setPen(toQColor(textColor_));
    if (!font.turned) {
        painter_.drawText(QPointF(x, y + sized.ascent), text);
        return;
    }
    // Turned 90 degrees clockwise about the reference point: the text runs
    // downward, the glyph tops face right and the cell lies left of x.
    painter_.save();
    painter_.translate(x, y);
    painter_.rotate(90);
    painter_.drawText(QPointF(0, sized.ascent), text);
    painter_.restore();
}

QtSurface::GlyphChoice QtSurface::glyphFor(SizedFont& sized, std::string_view bytes) {
    const bool oneCharacter = bytes.size() == 1 || bytes.size() == 2;
    const auto cached = oneCharacter ? sized.glyphs.find(glyphKey(bytes)) : sized.glyphs.end();
    if (cached != sized.glyphs.end()) return cached->second;
    const QString text = drawableText(bytes);
    GlyphChoice choice{text.isEmpty() ? GlyphKind::Nothing : GlyphKind::Shaped};
    quint32 glyphs[2] = {};
    int count = 2;
    // Glyph 0 is the face's "missing" glyph: shaping lets another face draw it.
    if (text.toUcs4().size() == 1 &&
        sized.raw.glyphIndexesForChars(text.constData(), static_cast<int>(text.size()), glyphs, &count) &&
        count == 1 && glyphs[0] != 0) {
        choice = GlyphChoice{GlyphKind::Glyph, glyphs[0]};
    }
    if (oneCharacter) sized.glyphs.emplace(glyphKey(bytes), choice);
    return choice;
}

void QtSurface::addToRun(int x, int y, quint32 glyph, const Font& font, const SizedFont& sized) {
    if (!run_.takes(font, textColor_)) {
        flushText();
        run_.face = font.face;
        run_.height = font.height;
        run_.turned = font.turned;
        run_.color = textColor_;
        run_.font = sized.raw;
    }
    run_.glyphs.append(glyph);
    // A turned run is drawn in the frame turned 90 degrees clockwise about
    // the device origin, where the device point (x, y) lies at (y, -x); the
    // baseline lies ascent below the cell's top there, as upright.
    run_.positions.append(font.turned ? QPointF(y, sized.ascent - x) : QPointF(x, y + sized.ascent));
}

void QtSurface::flushText() {
    if (run_.glyphs.isEmpty()) return;
    {
        // Dropped before the lists are emptied, so that they keep their
        // storage for the next run instead of being copied.
        QGlyphRun glyphRun;
        glyphRun.setRawFont(run_.font);
        glyphRun.setGlyphIndexes(run_.glyphs);
        glyphRun.setPositions(run_.positions);
        painter_.setPen(toQColor(run_.color));
        if (run_.turned) {
            painter_.save();
            painter_.rotate(90);
        }
        painter_.drawGlyphRun(QPointF(0, 0), glyphRun);
        if (run_.turned) painter_.restore();
    }
    run_.glyphs.clear();
    run_.positions.clear();
}

void QtSurface::drawRect(int left, int top, int right, int bottom, const Pen& pen) {
    flushText();
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

void QtSurface::fillRect(double left, double top, double right, double bottom, Rgb color) {
    flushText();
    const QRectF area = QRectF(QPointF(left, top), QPointF(right, bottom)).normalized();
    if (area.isEmpty()) return;
    painter_.fillRect(area, QColor::fromRgb(static_cast<QRgb>(color)));
    addInk(area.toAlignedRect());
}

void QtSurface::drawPicture(int left, int top, int right, int bottom, const PictureImage& picture) {
    flushText();
    const QRect area(QPoint(left, top), QPoint(right - 1, bottom - 1));
    if (!picture.image || area.isEmpty()) return;
    // The same QImage on every page: a PDF writer stores it once.
    painter_.drawImage(area, *picture.image);
    addInk(area);
}

namespace {

// The em size of a face for a height: a positive height is the cell, a
// negative one (as with the system font calls) the em size itself.


}  // namespace

FontMetrics QtSurface::metrics(FontFace face, int height) { return faceMetrics(faceShape(face), height); }

QtSurface::SizedFont& QtSurface::sizedFont(const Font& font) {
    const auto key = std::make_pair(font.face, font.height);
    auto found = fonts_.find(key);
    if (found != fonts_.end()) return found->second;
    if (fonts_.size() >= kMaxCachedFonts) fonts_.clear();
    return fonts_.emplace(key, makeSizedFont(font.face, font.height)).first->second;
}

QtSurface::SizedFont QtSurface::makeSizedFont(FontFace face, double height) const {
    SizedFont sized;
    if (height == 0) return sized;
    const FaceShape& shape = faceShape(face);
    const double em = emFor(shape, height);
    QPaintDevice* device = painter_.device();
    sized.font = QFont(shape.family);
    // Point sizes keep fractional pixel sizes; the device's own resolution
    // turns them back into pixels. Hinting would snap the glyphs to the
    // pixel grid and make them larger or smaller than on paper.
    sized.font.setPointSizeF(em * 72.0 / device->logicalDpiY());
    sized.font.setHintingPreference(QFont::PreferNoHinting);
    sized.ascent = em * shape.ascentPerEm;
    sized.metrics = faceMetrics(shape, height);
    // Resolved for the device, as the painter resolves the font it draws with.
    if (delivery_ == TextDelivery::Runs) sized.raw = QRawFont::fromFont(QFont(sized.font, device));
    return sized;
}

}  // namespace zarvo
