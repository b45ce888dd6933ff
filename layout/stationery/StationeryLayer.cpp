#include "layout/stationery/StationeryLayer.h"

#include <algorithm>
#include <array>
#include <utility>

#include <QPainter>

namespace zarvo {

namespace {

constexpr double kMmPerInch = 25.4;
// The most pixels the scaled picture may have to be kept (160 MB).
constexpr double kMaxCachedPixels = 40e6;

double pixels(double mm, int dpi) { return mm * dpi / kMmPerInch; }

// Lightens image (Format_RGB32) toward white: strength percent of each
// channel's distance from white remains.
void lighten(QImage& image, int strength) {
    if (strength >= 100) return;
    std::array<int, 256> channel{};
    for (int value = 0; value < 256; ++value) {
        channel[value] = 255 - ((255 - value) * strength + 50) / 100;
    }
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x];
            line[x] = qRgb(channel[qRed(pixel)], channel[qGreen(pixel)], channel[qBlue(pixel)]);
        }
    }
}

}  // namespace

void StationeryLayer::setPicture(std::optional<StationeryPicture> picture) {
    picture_ = std::move(picture);
    cache_ = QImage();
}

void StationeryLayer::setShift(double dxMm, double dyMm) {
    dxMm_ = dxMm;
    dyMm_ = dyMm;
}

void StationeryLayer::setStrength(int percent) {
    percent = std::clamp(percent, 0, 100);
    if (percent == strength_) return;
    strength_ = percent;
    cache_ = QImage();
}

void StationeryLayer::draw(QPainter& painter, const QRect& exposed, int dpi) const {
    if (!picture_ || picture_->image.isNull() || strength_ == 0 || dpi <= 0) return;
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
    return {pixels(dxMm_, dpi), pixels(dyMm_, dpi), pixels(picture_->widthMm, dpi),
            pixels(picture_->heightMm, dpi)};
}

const QImage& StationeryLayer::cached(QSize size, int dpi) const {
    if (cache_.isNull() || cacheDpi_ != dpi) {
        cache_ = picture_->image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                     .convertToFormat(QImage::Format_RGB32);
        lighten(cache_, strength_);
        cacheDpi_ = dpi;
    }
    return cache_;
}

// Copies the exposed part from the cache, placed on whole pixels.
void StationeryLayer::drawCached(QPainter& painter, const QRect& exposed, int dpi) const {
    const QRectF exact = area(dpi);
    const QRect placed(exact.topLeft().toPoint(), exact.size().toSize());
    const QRect visible = placed & exposed;
    if (visible.isEmpty()) return;
    painter.drawImage(visible.topLeft(), cached(placed.size(), dpi),
                      visible.translated(-placed.topLeft()));
}

// Scales the source into the exposed part only, over white at the strength's
// opacity: the same lightening as the cache's.
void StationeryLayer::drawTransformed(QPainter& painter, const QRect& exposed, int dpi) const {
    const QRectF placed = area(dpi);
    const QRectF visible = placed & QRectF(exposed);
    if (visible.isEmpty()) return;
    painter.save();
    painter.setClipRect(visible, Qt::IntersectClip);
    painter.fillRect(visible, Qt::white);
    painter.setOpacity(strength_ / 100.0);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(placed, picture_->image);
    painter.restore();
}

}  // namespace zarvo
