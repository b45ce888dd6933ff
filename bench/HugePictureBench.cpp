// A stationery picture from a PDF page of 200 x 200 inches under the Layout
// page at fit page: loading it (the bytes kept and the process's peak
// memory as counters; target: about 200 MB at most) and a step of the
// strength slider, repainted.

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <memory>

#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>

#include "bench/GuiApplication.h"
#include "designer/MainWindow.h"
#include "layout/LayoutPage.h"
#include "layout/LayoutView.h"
#include "stationery/StationeryPicture.h"

namespace {

// A ruled 200 x 200 inch page (the largest a PDF may have) in dir.
QString hugePage(const QTemporaryDir& dir) {
    const QString path = dir.filePath(QStringLiteral("huge.pdf"));
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QSizeF(200, 200), QPageSize::Inch));
    writer.setResolution(72);
    QPainter painter(&writer);
    painter.setPen(QPen(Qt::black, 2));
    for (int y = 36; y < 14400; y += 72) painter.drawLine(36, y, 14364, y);
    return path;
}

double peakMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

void BM_HugePdfLoad(benchmark::State& state) {
    ensureGuiApplication();
    const QTemporaryDir dir;
    const QString path = hugePage(dir);
    std::size_t kept = 0;
    for (auto _ : state) {
        zarvo::StationeryLayer layer;
        layer.setPicture(zarvo::loadStationeryPicture(path, 1, 0).picture);
        QImage sheet(1200, 1700, QImage::Format_RGB32);
        QPainter painter(&sheet);
        layer.draw(painter, sheet.rect(), 912);
        kept = layer.keptBytes();
    }
    state.counters["kept_MB"] = double(kept) / (1024 * 1024);
    state.counters["peak_MB"] = peakMb();
}
BENCHMARK(BM_HugePdfLoad)->Unit(benchmark::kMillisecond);

void BM_HugePdfStrengthStep(benchmark::State& state) {
    ensureGuiApplication();
    const QTemporaryDir dir;
    const QString path = hugePage(dir);
    auto window = std::make_unique<zarvo::MainWindow>(benchPrinters());
    window->resize(1100, 900);
    window->show();
    window->PageControl1->setCurrentWidget(window->TabSheet6);
    zarvo::LayoutPage& page = *window->TabSheet6;
    page.layoutView->stationery().setPicture(zarvo::loadStationeryPicture(path, 1, 0).picture);
    page.layoutView->setDpi(page.layoutView->fitPageDpi());
    QApplication::processEvents();
    int strength = 50;
    for (auto _ : state) {
        strength = strength >= 90 ? 10 : strength + 1;
        page.TB_strength->setValue(strength);
        page.layoutView->viewport()->repaint();
    }
    state.counters["kept_MB"] = double(page.layoutView->stationery().keptBytes()) / (1024 * 1024);
    state.counters["peak_MB"] = peakMb();
}
BENCHMARK(BM_HugePdfStrengthStep)->Unit(benchmark::kMillisecond);

}  // namespace
