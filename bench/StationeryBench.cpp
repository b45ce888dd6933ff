// The stationery under the sheet of the Layout page: repainting a 1000 x 800
// pixel exposed area from a 300 dpi A4 scan (2480 x 3508) at the sheet's
// resolution (114 dpi from the cache of the shrunk picture, 456 and 912 dpi
// enlarged from the source), and building the cache at 114 and 228 dpi.

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

#include "stationery/StationeryLayer.h"

namespace {

// A 300 dpi A4 scan with ruled boxes, so that scaling has edges to smooth.
zarvo::StationeryPicture a4Scan() {
    QImage image(2480, 3508, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(QPen(Qt::black, 3));
    for (int y = 100; y < image.height(); y += 118) painter.drawLine(100, y, 2380, y);
    for (int x = 100; x < image.width(); x += 236) painter.drawLine(x, 100, x, 3400);
    painter.end();
    return {image, 210, 297, {}};
}

void drawExposed(benchmark::State& state) {
    const int dpi = static_cast<int>(state.range(0));
    zarvo::StationeryLayer layer;
    layer.setPicture(a4Scan());
    layer.setShift(3, 4);
    layer.setStrength(40);
    const QRect exposed(200, 300, 1000, 800);
    QImage target(exposed.size(), QImage::Format_RGB32);
    QPainter painter(&target);
    painter.translate(-exposed.topLeft());
    layer.draw(painter, exposed, dpi);  // warms the cache
    for (auto _ : state) layer.draw(painter, exposed, dpi);
    state.SetItemsProcessed(state.iterations());
}

void buildCache(benchmark::State& state) {
    const int dpi = static_cast<int>(state.range(0));
    const zarvo::StationeryPicture picture = a4Scan();
    zarvo::StationeryLayer layer;
    layer.setStrength(40);
    QImage target(1, 1, QImage::Format_RGB32);
    QPainter painter(&target);
    for (auto _ : state) {
        layer.setPicture(picture);  // drops the cache
        layer.draw(painter, QRect(0, 0, 1, 1), dpi);
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(drawExposed)->Arg(114)->Arg(456)->Arg(912)->Unit(benchmark::kMillisecond);
BENCHMARK(buildCache)->Arg(114)->Arg(228)->Unit(benchmark::kMillisecond);

}  // namespace
