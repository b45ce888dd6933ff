#pragma once
// A surface over a QPainter: the preview image and PDF pages. Keeps the
// semantics the engine was designed for: the font height is the character
// cell height, text is placed by the top-left of its cell, a line leaves out
// its end point, a rectangle is filled white.

#include <cstdint>
#include <map>
#include <unordered_map>
#include <utility>

#include <QFont>
#include <QList>
#include <QPointF>
#include <QRawFont>
#include <QRect>

#include "platform/Surface.h"

class QPainter;

namespace zarvo {

// How characters reach the painter.
enum class TextDelivery {
    // One drawing call each, at once: images keep the pixels the preview
    // has always had.
    Immediate,
    // Consecutive characters of one face, size, turn and colour gathered
    // into one glyph run at the positions the engine gave them, unshaped,
    // and handed over when something else is drawn or flushText() is
    // called: a PDF writer then writes one text object per run instead of
    // one per character.
    Runs,
};

class QtSurface : public Surface {
public:
    // Draws through painter (not owned; active on its device while the
    // surface is used) at dpi dots per inch, text delivered as asked.
    QtSurface(QPainter& painter, int dpi, TextDelivery delivery = TextDelivery::Immediate);

    int dotsPerInch() const override { return dpi_; }
    void clear() override;
    void drawLine(int x1, int y1, int x2, int y2, const Pen& pen) override;
    void setTextColor(Rgb color) override { textColor_ = color; }
    void drawText(int x, int y, std::string_view bytes, const Font& font) override;
    void drawRect(int left, int top, int right, int bottom, const Pen& pen) override;
    // A filled QRectF: exact on a PDF page, the painter's pixels on an image.
    void fillRect(double left, double top, double right, double bottom, Rgb color) override;
    // The picture's pixels into the rectangle; one device pixel each when
    // the picture was made at the rectangle's size.
    void drawPicture(int left, int top, int right, int bottom, const PictureImage& picture) override;
    // A positive height is the cell height, a negative one the em size, 0 an
    // empty font (nothing drawn); maxCharWidth is the full-width advance.
    // Both come from the face's proportions, so they scale with the height.
    FontMetrics metrics(FontFace face, int height) override;

    // The device pixels that lines, characters and rectangles have covered
    // since the surface was made or last reset (a character by its cell);
    // empty when nothing was drawn.
    QRect inkBounds() const { return ink_; }
    void resetInkBounds() { ink_ = QRect(); }

    // Hands the characters gathered so far to the painter; call before the
    // painter's page, transform or state changes outside this surface, and
    // before painting ends. Nothing to do with immediate delivery.
    void flushText();

private:
    // How the characters of a font are drawn: a glyph of its face, nothing
    // (no character the face can show), or through shaping, for what one
    // glyph cannot stand for (several characters, or one that the face
    // lacks and another face stands in for).
    enum class GlyphKind { Glyph, Nothing, Shaped };
    struct GlyphChoice {
        GlyphKind kind = GlyphKind::Nothing;
        quint32 index = 0;
    };

    // A face at one size on this device, in device pixels, unhinted so that
    // a glyph has the size it has on paper.
    struct SizedFont {
        QFont font;
        QRawFont raw;  // the same face and size, for glyph runs
        double ascent = 0;
        FontMetrics metrics;  // the cell and full-width advance, rounded
        // The glyphs of the characters met so far, by their bytes.
        std::unordered_map<std::uint32_t, GlyphChoice> glyphs;
        bool empty() const { return metrics.height <= 0; }
    };

    // Characters waiting to be drawn as one glyph run.
    struct PendingRun {
        FontFace face = FontFace::Ming;
        double height = 0;
        bool turned = false;
        Rgb color = kBlack;
        QRawFont font;
        QList<quint32> glyphs;
        QList<QPointF> positions;  // baselines, in the run's own frame
        bool takes(const Font& f, Rgb c) const {
            return face == f.face && height == f.height && turned == f.turned && color == c;
        }
    };

    SizedFont& sizedFont(const Font& font);
    SizedFont makeSizedFont(FontFace face, double height) const;
    // How bytes are drawn with sized when characters go in glyph runs.
    static GlyphChoice glyphFor(SizedFont& sized, std::string_view bytes);
    void addCellInk(int x, int y, std::string_view bytes, const Font& font, const SizedFont& sized);
    // Draws text through shaping, at once.
    void drawShaped(int x, int y, const QString& text, const Font& font, const SizedFont& sized);
    void addToRun(int x, int y, quint32 glyph, const Font& font, const SizedFont& sized);

    void addInk(const QRect& area) { ink_ |= area; }

    QPainter& painter_;
    QRect ink_;
    int dpi_;
    TextDelivery delivery_;
    Rgb textColor_ = kBlack;
    PendingRun run_;
    // Keyed by face and height only (upright and turned share a QFont), and
    // bounded, so that a long job does not collect fonts.
    std::map<std::pair<FontFace, double>, SizedFont> fonts_;
};

}  // namespace zarvo
