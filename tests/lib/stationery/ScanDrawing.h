#pragma once
// Synthetic scans of stationery for the line finder's tests and benchmark:
// ruled lines drawn at known places in millimetres, then turned, shifted,
// blurred and speckled as a worn scanner would.

#include <algorithm>
#include <cmath>
#include <vector>

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QString>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

namespace zarvo::test {

inline constexpr double kA4WidthMm = 210;
inline constexpr double kA4HeightMm = 297;

struct DrawnLine {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // mm
    double widthMm = 0.2;
    bool dotted = false;
};

struct DrawnCaption {
    double x = 0, y = 0;  // the text's top-left, mm
    double sizeMm = 4;
    QString text;
};

struct Damage {
    double turnDegrees = 0;  // clockwise on screen, about the page's centre
    double shiftMm = 0;      // to the right and down, before turning
    double blurSigmaPx = 0;
    double noiseSigma = 0;   // grey levels of Gaussian noise on every channel
    QColor ink = Qt::black;
    QColor paper = Qt::white;
};

// An A4 page at dpi with lines and captions drawn in ink on white.
inline QImage drawForm(const std::vector<DrawnLine>& lines, const std::vector<DrawnCaption>& captions, double dpi,
                       const QColor& ink = Qt::black) {
    const double perMm = dpi / 25.4;
    QImage image(qRound(kA4WidthMm * perMm), qRound(kA4HeightMm * perMm), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(perMm, perMm);
    for (const DrawnLine& line : lines) {
        QPen pen(ink, line.widthMm, line.dotted ? Qt::CustomDashLine : Qt::SolidLine, Qt::FlatCap);
        if (line.dotted) pen.setDashPattern({2, 3});  // in widths: dots of 0.4 mm, 0.6 mm apart at 0.2 mm
        painter.setPen(pen);
        painter.drawLine(QPointF(line.x1, line.y1), QPointF(line.x2, line.y2));
    }
    for (const DrawnCaption& caption : captions) {
        QFont font("AR PL UMing TW");
        font.setPixelSize(std::max(1, qRound(caption.sizeMm * perMm)));
        painter.resetTransform();
        painter.setFont(font);
        painter.setPen(ink);
        painter.drawText(QRectF(caption.x * perMm, caption.y * perMm, 400 * perMm, caption.sizeMm * 1.5 * perMm),
                         Qt::AlignLeft | Qt::AlignTop, caption.text);
    }
    return image;
}

// clean (white paper, black ink) as a worn scan: its ink recoloured, on
// coloured paper, shifted and turned, blurred and speckled (noise from a
// fixed seed, so every run sees the same scan).
inline QImage damaged(const QImage& clean, double dpi, const Damage& damage) {
    const double perMm = dpi / 25.4;
    QImage inked = clean.convertToFormat(QImage::Format_RGB32);
    if (damage.ink != QColor(Qt::black)) {
        // Ink's darkness carried over as a mix of paper white and the ink colour.
        for (int y = 0; y < inked.height(); ++y) {
            QRgb* row = reinterpret_cast<QRgb*>(inked.scanLine(y));
            for (int x = 0; x < inked.width(); ++x) {
                const double a = 1 - qGray(row[x]) / 255.0;
                row[x] = qRgb(qRound(255 - a * (255 - damage.ink.red())), qRound(255 - a * (255 - damage.ink.green())),
                              qRound(255 - a * (255 - damage.ink.blue())));
            }
        }
    }
    QImage scan(clean.size(), QImage::Format_RGB32);
    scan.fill(damage.paper);
    {
        QPainter painter(&scan);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setCompositionMode(QPainter::CompositionMode_Multiply);
        const QPointF centre(scan.width() / 2.0, scan.height() / 2.0);
        painter.translate(centre);
        painter.rotate(damage.turnDegrees);
        painter.translate(-centre);
        painter.translate(damage.shiftMm * perMm, damage.shiftMm * perMm);
        painter.drawImage(0, 0, inked);
    }
    cv::Mat pixels(scan.height(), scan.width(), CV_8UC4, scan.bits(), scan.bytesPerLine());
    if (damage.blurSigmaPx > 0) cv::GaussianBlur(pixels, pixels, cv::Size(0, 0), damage.blurSigmaPx);
    if (damage.noiseSigma > 0) {
        cv::RNG random(7);
        cv::Mat noise(pixels.size(), CV_16SC4);
        random.fill(noise, cv::RNG::NORMAL, 0, damage.noiseSigma);
        cv::Mat wide;
        pixels.convertTo(wide, CV_16SC4);
        wide += noise;
        wide.convertTo(pixels, CV_8UC4);  // saturates into the scan's own pixels
    }
    return scan;
}

}  // namespace zarvo::test
