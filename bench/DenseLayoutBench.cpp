// The Layout page on a dense form (2,000 lines, 2,000 captions and 2,000
// frames with test data) over a 300 dpi A4 scan, at 25 % to 800 %: a block
// dragged by real pointer events, each step painted as the window paints
// it (target: within a 16 ms frame); a press and release on it; and coming
// back to the page.

#include <benchmark/benchmark.h>

#include <memory>

#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTabWidget>

#include "bench/GuiApplication.h"
#include "bench/RuledScan.h"
#include "designer/SourceEditor.h"
#include "designer/MainWindow.h"
#include "layout/LayoutPage.h"
#include "layout/LayoutView.h"

namespace {

constexpr int kRows = 2000;

// A 40 x 50 grid of cells of 4.75 x 5.5 mm: a line, a caption and a frame in each.
QString denseReport() {
    QString text = QStringLiteral("0\t10\t8\nLINE_INFO\t%1\n").arg(kRows);
    const auto x = [](int i) { return QString::number(5 + (i % 40) * 4.75, 'f', 2); };
    const auto y = [](int i) { return QString::number(5 + (i / 40) * 5.5, 'f', 2); };
    for (int i = 0; i < kRows; ++i) text += QStringLiteral("0\t1\t%1\t%2\t%1\t%3\t\n").arg(x(i), y(i), y(i + 40));
    text += QStringLiteral("LABEL_STRING\t%1\n").arg(kRows);
    for (int i = 0; i < kRows; ++i) text += QStringLiteral("0\t%1\t%2\t4.5\t2.5\t0\t0\t3\t0\t2\t0\t0\t標%3\n").arg(x(i), y(i)).arg(i);
    text += QStringLiteral("BLOCK_INFO\t%1\n").arg(kRows);
    for (int i = 0; i < kRows; ++i) {
        text += QStringLiteral("0\t%1\t%2\t4.5\t2.5\t0\t0\t3\t0\t2\t0\t0\tf%3\n")
                    .arg(QString::number(5 + (i % 40) * 4.75, 'f', 2), QString::number(7.7 + (i / 40) * 5.5, 'f', 2))
                    .arg(i);
    }
    return text;
}

QString denseData() {
    QString text;
    for (int i = 0; i < kRows; ++i) text += QStringLiteral("f%1,%1\n").arg(i);
    return text;
}

std::unique_ptr<zarvo::MainWindow> denseFormOnLayoutPage(int dpi) {
    ensureGuiApplication();
    auto window = std::make_unique<zarvo::MainWindow>(benchPrinters());
    window->resize(1100, 900);
    window->show();
    window->ME_text->setPlainText(denseReport());
    window->ME_data->setPlainText(denseData());
    window->PageControl1->setCurrentWidget(window->TabSheet6);
    zarvo::LayoutView& view = *window->TabSheet6->layoutView;
    view.stationery().setPicture(ruledScan());
    view.stationery().setStrength(60);
    view.setDpi(dpi);
    // The dragged block, f820 (row 20, column 20), in the middle of the view.
    const QPointF block = view.viewportPointOf({102, 120});
    view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->value() + int(block.x()) - view.viewport()->width() / 2);
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->value() + int(block.y()) - view.viewport()->height() / 2);
    QApplication::processEvents();
    return window;
}

void send(QWidget* target, QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
    QMouseEvent event(type, at, target->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      buttons, {});
    QCoreApplication::sendEvent(target, &event);
    // The repaint that the event asked for, as the event loop does it.
    QApplication::processEvents();
}

void BM_DenseDragStep(benchmark::State& state) {
    const auto window = denseFormOnLayoutPage(int(state.range(0)));
    zarvo::LayoutView& view = *window->TabSheet6->layoutView;
    QWidget* viewport = view.viewport();
    const QPointF from = view.viewportPointOf({102, 120});
    send(viewport, QEvent::MouseButtonPress, from, Qt::LeftButton);
    int step = 0;
    for (auto _ : state) {
        step = (step + 1) % 40;
        send(viewport, QEvent::MouseMove, from + QPointF(step, step / 2), Qt::LeftButton);
    }
    send(viewport, QEvent::MouseButtonRelease, from, Qt::NoButton);
}
BENCHMARK(BM_DenseDragStep)->Arg(29)->Arg(57)->Arg(86)->Arg(114)->Arg(228)->Arg(912)->Unit(benchmark::kMillisecond);

void BM_DensePressRelease(benchmark::State& state) {
    const auto window = denseFormOnLayoutPage(int(state.range(0)));
    QWidget* viewport = window->TabSheet6->layoutView->viewport();
    const QPointF at = window->TabSheet6->layoutView->viewportPointOf({102, 120});
    for (auto _ : state) {
        send(viewport, QEvent::MouseButtonPress, at, Qt::LeftButton);
        send(viewport, QEvent::MouseButtonRelease, at, Qt::NoButton);
    }
}
BENCHMARK(BM_DensePressRelease)->Arg(29)->Arg(86)->Unit(benchmark::kMillisecond);

void BM_DenseEnterPage(benchmark::State& state) {
    const auto window = denseFormOnLayoutPage(int(state.range(0)));
    for (auto _ : state) {
        window->PageControl1->setCurrentWidget(window->TabSheet1);
        QApplication::processEvents();
        window->PageControl1->setCurrentWidget(window->TabSheet6);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_DenseEnterPage)->Arg(29)->Arg(86)->Unit(benchmark::kMillisecond);

}  // namespace
