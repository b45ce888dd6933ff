#pragma once
// The stationery picture drawn under the form on the sheet: shifted, scaled
// to the sheet's resolution and lightened toward white, so that the form
// drawn over it stays readable. The lightening is an opacity over white,
// applied as it is drawn, so a change of strength scales nothing again.
// When the picture is shrunk, repaints copy from a cache of it already
// scaled, rebuilt only when the picture or the resolution changes; when it
// is enlarged, each exposed part is scaled from the source. A PDF page kept
// without an image is drawn at the sheet's resolution in tiles, of which a
// bounded number is kept.

#include <cstddef>
#include <list>
#include <optional>

#include <QImage>
#include <QRect>

#include "stationery/StationeryPicture.h"

class QPainter;

namespace zarvo {

class StationeryLayer {
public:
    // Shows picture (nullopt: none) from now on.
    void setPicture(std::optional<StationeryPicture> picture);
    // Whether there is a picture to show.
    bool hasPicture() const { return picture_.has_value(); }
    const std::optional<StationeryPicture>& picture() const { return picture_; }
    // Places the picture's top-left corner dxMm right of and dyMm below the sheet's.
    void setShift(double dxMm, double dyMm);
    // How strongly the picture shows, percent clamped to 0 (not at all)..100 (as is).
    void setStrength(int percent);

    // Paints the part of the picture inside exposed (sheet pixels at dpi dots
    // per inch, the sheet's top-left corner at (0, 0), which painter maps to
    // its own (0, 0)). The picture covers what it paints: nothing of what
    // was under it shows through.
    void draw(QPainter& painter, const QRect& exposed, int dpi) const;

    // How many times the picture has been scaled into the cache or a tile drawn.
    int scalings() const { return scalings_; }
    // The bytes of the images kept: the picture, its cache and its tiles.
    std::size_t keptBytes() const;

private:
    struct Tile {
        int dpi = 0;
        QPoint index;  // column and row of the tile grid at dpi
        QImage image;
    };

    // The picture's area on the sheet, in pixels at dpi.
    QRectF area(int dpi) const;
    // The picture scaled to size at dpi, rebuilt when stale.
    const QImage& cached(QSize size, int dpi) const;
    // Paints image over white at target, lightened by the strength.
    void drawLightened(QPainter& painter, const QRectF& target, const QImage& image, const QRectF& source) const;
    void drawCached(QPainter& painter, const QRect& exposed, int dpi) const;
    void drawTransformed(QPainter& painter, const QRect& exposed, int dpi) const;
    void drawTiles(QPainter& painter, const QRect& exposed, int dpi) const;
    // The tile at index of the page drawn at dpi, drawn when not kept.
    const QImage& tile(QPoint index, int dpi) const;

    std::optional<StationeryPicture> picture_;
    double dxMm_ = 0;
    double dyMm_ = 0;
    int strength_ = 50;

    mutable QImage cache_;  // null when stale
    mutable int cacheDpi_ = 0;
    mutable std::list<Tile> tiles_;  // the most recently used first
    mutable int scalings_ = 0;
};

}  // namespace zarvo
