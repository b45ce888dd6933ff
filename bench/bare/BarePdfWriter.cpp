// The yardstick of DensePdfBench: a bare QPdfWriter program that draws
// given strings at given places, one drawText call per string, on A4
// portrait pages at 300 dpi, and nothing else.
//
// BarePdfWriter JOB OUTPUT.pdf
//
// JOB (UTF-8): line 1 "FAMILY TAB EM", the face and its em size in device
// pixels; then "page" opens the next page, and "X TAB BASELINE TAB TEXT"
// draws TEXT with its baseline's start at (X, BASELINE) device pixels.

#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QString>
#include <QTextStream>

#include <cstdio>

namespace {

constexpr int kDpi = 300;

bool draw(QTextStream& job, QPdfWriter& writer) {
    const QStringList face = job.readLine().split('\t');
    if (face.size() != 2) return false;
    QFont font(face[0]);
    font.setPointSizeF(face[1].toDouble() * 72.0 / kDpi);
    QPainter painter;
    bool first = true;
    for (QString line; job.readLineInto(&line);) {
        if (line == QLatin1String("page")) {
            if (first && !painter.begin(&writer)) return false;
            if (!first) writer.newPage();
            painter.setFont(font);
            first = false;
            continue;
        }
        const QStringList fields = line.split('\t');
        if (fields.size() != 3 || first) return false;
        painter.drawText(QPointF(fields[0].toInt(), fields[1].toInt()), fields[2]);
    }
    return !first && painter.end();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: BarePdfWriter JOB OUTPUT.pdf\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QFile input(QString::fromLocal8Bit(argv[1]));
    if (!input.open(QIODevice::ReadOnly)) return 1;
    QTextStream job(&input);
    QPdfWriter writer(QString::fromLocal8Bit(argv[2]));
    writer.setResolution(kDpi);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    return draw(job, writer) ? 0 : 1;
}
