#include "stationery/StationeryLayer.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include <QPainter>

#include "report/Units.h"

namespace zarvo {

namespace {

// The most pixels the scaled picture may have to be kept (40 MB).
constexpr double kMaxCachedPixels = 10e6;
// A PDF page's tiles: their side in pixels and how many are kept (64 MB),
// enough to cover a large window at any zoom.
constexpr int kTileSide = 1024;
constexpr std::size_t kKeptTiles = 16;

std::size_t bytesOf(const QImage& image) { return image.isNull() ? 0 : std::size_t(image.sizeInBytes()); }

}  // namespace

void StationeryLayer::setPicture(std::optional<StationeryPicture> picture) {
    picture_ = std::move(picture);
    cache_ = QImage();
    tiles_.clear();
}

void StationeryLayer::setShift(double dxMm, double dyMm) {
    dxMm_ = dxMm;
    dyMm_ = dyMm;
}

void StationeryLayer::setStrength(int percent) { strength_ = std::clamp(percent, 0, 100); }

std::size_t StationeryLayer::keptBytes() const {
    std::size_t bytes = bytesOf(cache_);
    if (picture_) bytes += bytesOf(picture_->image);
    for (const Tile& tile : tiles_) bytes += bytesOf(tile.image);
    return bytes;
}

void StationeryLayer::draw(QPainter& painter, const QRect& exposed, int dpi) const {
    if (!picture_ || strength_ == 0 || dpi <= 0) return;
    if (picture_->image.isNull()) {
        if (picture_->drawPart) drawTiles(painter, exposed, dpi);
        return;
    }
    // Shrinking averages many source pixels into each sheet pixel: worth
    // doing once. Enlarging from the source costs little more than copying
    // from a cache, which would only take memory (and time to build).
    const QSizeF size = area(dpi).size();
    const double scaledPixels = size.width() * size.height();
    const double sourcePixels = double(picture_->image.width()) * picture_->image.height();
    if (scaledPixels <= std::min(kMaxCachedPixels, sourcePixels)) {
        drawCached(painter, exposed, dpi);
    } else {
        drawTransformed(painter, exposed, dpi);
    }
}

QRectF StationeryLayer::area(int dpi) const {
    return {mmToDots(dxMm_, dpi), mmToDots(dyMm_, dpi), mmToDots(picture_->widthMm, dpi),
            mmToDots(picture_->heightMm, dpi)};
}

const QImage& StationeryLayer::cached(QSize size, int dpi) const {
    if (cache_.isNull() || cacheDpi_ != dpi) {
        cache_ = QImage();  // the old one goes before the new one is made
        cache_ = picture_->image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                     .convertToFormat(QImage::Format_RGB32);
        cacheDpi_ = dpi;
        ++scalings_;
    }
    return cache_;
}

void StationeryLayer::drawLightened(QPainter& painter, const QRectF& target, const QImage& image,
                                    const QRectF& source) const {
    painter.save();
    painter.fillRect(target, Qt::white);
    painter.setOpacity(strength_ / 100.0);
    painter.drawImage(target, image, source);
    painter.restore();
}

// Copies the exposed part from the cache, placed on whole pixels.
void StationeryLayer::drawCached(QPainter& painter, const QRect& exposed, int dpi) const {
    const QRectF exact = area(dpi);
    const QRect placed(exact.topLeft().toPoint(), exact.size().toSize());
    const QRect visible = placed & exposed;
    if (visible.isEmpty()) return;
    drawLightened(painter, visible, cached(placed.size(), dpi), visible.translated(-placed.topLeft()));
}

// Scales the source into the exposed part only.
void StationeryLayer::drawTransformed(QPainter& painter, const QRect& exposed, int dpi) const {
    const QRectF placed = area(dpi);
    const QRectF visible = placed & QRectF(exposed);
    if (visible.isEmpty()) return;
    painter.save();
    painter.setClipRect(visible, Qt::IntersectClip);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    drawLightened(painter, placed, picture_->image, picture_->image.rect());
    painter.restore();
}

// The page at this resolution is a grid of tiles from its placed corner;
// only those under the exposed part are drawn.
void StationeryLayer::drawTiles(QPainter& painter, const QRect& exposed, int dpi) const {
    const QRectF exact = area(dpi);
    const QRect placed(exact.topLeft().toPoint(), exact.size().toSize());
    const QRect visible = placed & exposed;
    if (visible.isEmpty()) return;
    const QRect inPage = visible.translated(-placed.topLeft());
    for (int row = inPage.top() / kTileSide; row <= inPage.bottom() / kTileSide; ++row) {
        for (int column = inPage.left() / kTileSide; column <= inPage.right() / kTileSide; ++column) {
            const QRect tileRect(column * kTileSide, row * kTileSide, kTileSide, kTileSide);
            const QRect part = tileRect & inPage;
            drawLightened(painter, part.translated(placed.topLeft()), tile({column, row}, dpi),
                          part.translated(-tileRect.topLeft()));
        }
    }
}

const QImage& StationeryLayer::tile(QPoint index, int dpi) const {
    const auto kept = std::find_if(tiles_.begin(), tiles_.end(),
                                   [&](const Tile& tile) { return tile.dpi == dpi && tile.index == index; });
    if (kept != tiles_.end()) {
        tiles_.splice(tiles_.begin(), tiles_, kept);
        return tiles_.front().image;
    }
    if (tiles_.size() >= kKeptTiles) tiles_.pop_back();
    const QSize page = area(dpi).size().toSize();
    const QRect part = QRect(index * kTileSide, QSize(kTileSide, kTileSide)) & QRect(QPoint(), page);
    QImage image = picture_->drawPart(dpi, part);
    ++scalings_;
    // Whatever the page could not draw shows as paper.
    if (image.size() != QSize(kTileSide, kTileSide)) {
        QImage whole(kTileSide, kTileSide, QImage::Format_RGB32);
        whole.fill(Qt::white);
        QPainter(&whole).drawImage(0, 0, image);
        image = std::move(whole);
    }
    tiles_.push_front(Tile{dpi, index, std::move(image)});
    return tiles_.front().image;
}

}  // namespace zarvo
