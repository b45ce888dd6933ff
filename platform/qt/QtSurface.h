#pragma once
// A surface over a QPainter: the preview image and PDF pages. Keeps the
// semantics the engine was designed for: the font height is the character
// cell height, text is placed by the top-left of its cell, a line leaves out
// its end point, a rectangle is filled white.

#include <map>
#include <utility>

#include <QFont>
#include <QRect>

#include "platform/Surface.h"

class QPainter;

namespace zarvo {

class QtSurface : public Surface {
public:
    // Draws through painter (not owned; active on its device while the
    // surface is used) at dpi dots per inch.
    QtSurface(QPainter& painter, int dpi);

    int dotsPerInch() const override { return dpi_; }
    void clear() override;
    void drawLine(int x1, int y1, int x2, int y2, const Pen& pen) override;
    void setTextColor(Rgb color) override { textColor_ = color; }
    void drawText(int x, int y, std::string_view bytes, const Font& font) override;
    void drawRect(int left, int top, int right, int bottom, const Pen& pen) override;
    // A positive height is the cell height, a negative one the em size, 0 an
    // empty font (nothing drawn); maxCharWidth is the full-width advance.
    FontMetrics metrics(const Font& font) override;

    // The device pixels that lines, characters and rectangles have covered
    // since the surface was made or last reset (a character by its cell);
    // empty when nothing was drawn.
    QRect inkBounds() const { return ink_; }
    void resetInkBounds() { ink_ = QRect(); }

private:
    // A face at one size on this device, in device pixels.
    struct SizedFont {
        QFont font;
        int ascent = 0;
        FontMetrics metrics;
        bool empty() const { return metrics.height <= 0; }
    };

    const SizedFont& sizedFont(const Font& font);
    SizedFont makeSizedFont(FontFace face, int height) const;

    void addInk(const QRect& area) { ink_ |= area; }

    QPainter& painter_;
    QRect ink_;
    int dpi_;
    Rgb textColor_ = kBlack;
    // Keyed by face and height only (upright and turned share a QFont), and
    // bounded, so that a long job does not collect fonts.
    std::map<std::pair<FontFace, int>, SizedFont> fonts_;
};

}  // namespace zarvo
