#include "stationery/StraightenedPicture.h"

#include <QPainter>

namespace zarvo {

StationeryPicture straightenedPicture(const StationeryPicture& picture, double skewDegrees) {
    if (picture.image.isNull() || skewDegrees == 0) return picture;
    QImage straight(picture.image.size(), QImage::Format_RGB32);
    straight.setDotsPerMeterX(picture.image.dotsPerMeterX());
    straight.setDotsPerMeterY(picture.image.dotsPerMeterY());
    straight.fill(Qt::white);
    {
        QPainter painter(&straight);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QPointF centre(straight.width() / 2.0, straight.height() / 2.0);
        painter.translate(centre);
        painter.rotate(-skewDegrees);
        painter.translate(-centre);
        painter.drawImage(0, 0, picture.image);
    }
    StationeryPicture turned = picture;
    turned.image = std::move(straight);
    return turned;
}

}  // namespace zarvo
