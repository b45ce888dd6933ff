#pragma once
// A grey ruled A4 page at 300 dpi, standing in for a scan of the stationery
// under the Layout page's benchmarks.

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPen>

#include "stationery/StationeryPicture.h"

inline zarvo::StationeryPicture ruledScan() {
    QImage image(2480, 3508, QImage::Format_RGB32);
    image.fill(QColor(0xf4, 0xf0, 0xe8));
    QPainter painter(&image);
    painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 3));
    for (int y = 100; y < image.height(); y += 94) painter.drawLine(80, y, image.width() - 80, y);
    return zarvo::StationeryPicture{image, 210, 297, {}};
}
