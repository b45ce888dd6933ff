#pragma once
// A worn 300 dpi scan of a small bill drawn with Qt: two captioned boxes in
// a row (客戶名稱, 請款日期) and a table of four columns (品名, 數量, 單價,
// 金額) over six empty rows, on tinted paper with grey ink, blurred and
// speckled as an old photocopy. Where every box lies is kept in mm from the
// picture's top-left, for the tests and the caption benchmark.

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QString>

#include "layoutmodel/SceneTypes.h"

namespace zarvo::test {

struct WornCaption {
    std::string text;  // UTF-8
    RectMm box;        // the caption's box
};

struct WornCaptionForm {
    static constexpr double kDpi = 300;
    static constexpr double kWidthMm = 210;
    static constexpr double kHeightMm = 297;
    static constexpr int kTableRows = 6;
    static constexpr double kRowMm = 9;

    std::vector<WornCaption> captions;  // the two field captions, then the table's four
    std::vector<RectMm> fields;         // the empty boxes right of the field captions
    std::vector<std::vector<RectMm>> table;  // each column's empty boxes, first row first
    QImage scan;                        // Format_RGB32, 300 dpi

    static double px(double mm) { return mm * kDpi / 25.4; }
    static QRectF pxRect(const RectMm& r) { return QRectF(px(r.left), px(r.top), px(r.right - r.left), px(r.bottom - r.top)); }
};

namespace worn {

// Blurs grey values with a 3 x 3 box, as a scanner's optics soften print.
inline QImage blurred(const QImage& image) {
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    QImage out = grey;
    for (int y = 1; y + 1 < grey.height(); ++y) {
        uchar* to = out.scanLine(y);
        for (int x = 1; x + 1 < grey.width(); ++x) {
            int sum = 0;
            for (int dy = -1; dy <= 1; ++dy) {
                const uchar* from = grey.constScanLine(y + dy);
                sum += from[x - 1] + from[x] + from[x + 1];
            }
            to[x] = uchar(sum / 9);
        }
    }
    return out;
}

// Grain over the whole page and a sprinkle of dust, too little in any box
// to pass for a caption, from a fixed seed.
inline void speckle(QImage& grey) {
    std::mt19937 random(20261211);
    std::normal_distribution<double> grain(0, 9);
    for (int y = 0; y < grey.height(); ++y) {
        uchar* line = grey.scanLine(y);
        for (int x = 0; x < grey.width(); ++x) line[x] = uchar(std::clamp(line[x] + grain(random), 0.0, 255.0));
    }
    std::uniform_int_distribution<int> across(0, grey.width() - 3), down(0, grey.height() - 3);
    for (int i = 0; i < 300; ++i) {
        const int x = across(random), y = down(random);
        for (int dy = 0; dy < 2; ++dy)
            for (int dx = 0; dx < 2; ++dx) grey.scanLine(y + dy)[x + dx] = uchar(90 + i % 60);
    }
}

}  // namespace worn

inline WornCaptionForm wornCaptionForm() {
    using F = WornCaptionForm;
    F form;
    // No rule of the row lies within 8 mm of one of the table's rules.
    form.captions = {{"客戶名稱", {30, 30, 60, 40}}, {"請款日期", {125, 30, 158, 40}}};
    form.fields = {{60, 30, 125, 40}, {158, 30, 198, 40}};
    const double edges[] = {20, 90, 115, 150, 190};
    const char* const headers[] = {"品名", "數量", "單價", "金額"};
    for (int c = 0; c < 4; ++c) {
        form.captions.push_back({headers[c], {edges[c], 60, edges[c + 1], 70}});
        std::vector<RectMm> column;
        for (int r = 0; r < F::kTableRows; ++r)
            column.push_back({edges[c], 70 + r * F::kRowMm, edges[c + 1], 70 + (r + 1) * F::kRowMm});
        form.table.push_back(column);
    }

    QImage page(int(F::px(F::kWidthMm) + 0.5), int(F::px(F::kHeightMm) + 0.5), QImage::Format_RGB32);
    page.fill(QColor(0xee, 0xe8, 0xd8));  // yellowed paper
    {
        QPainter painter(&page);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor ink(0x38, 0x38, 0x40);
        // Ruled as a printer rules a form: each line once, end to end; the
        // table framed in 0.3 mm, its rows in hairlines.
        const auto rule = [&](double x1, double y1, double x2, double y2, double widthMm) {
            painter.setPen(QPen(ink, F::px(widthMm), Qt::SolidLine, Qt::FlatCap));
            painter.drawLine(QPointF(F::px(x1), F::px(y1)), QPointF(F::px(x2), F::px(y2)));
        };
        for (double y : {30.0, 40.0}) rule(30, y, 198, y, 0.2);
        for (double x : {30.0, 60.0, 125.0, 158.0, 198.0}) rule(x, 30, x, 40, 0.2);
        const double bottom = 70 + F::kTableRows * F::kRowMm;
        for (double y : {60.0, bottom}) rule(20, y, 190, y, 0.3);
        for (int r = 0; r < F::kTableRows; ++r) rule(20, 70 + r * F::kRowMm, 190, 70 + r * F::kRowMm, 0.12);
        for (double x : edges) rule(x, 60, x, bottom, 0.2);
        QFont font(QStringLiteral("AR PL UMing TW"));
        font.setPixelSize(int(F::px(4.5)));
        painter.setFont(font);
        for (const WornCaption& caption : form.captions)
            painter.drawText(F::pxRect(caption.box), Qt::AlignCenter, QString::fromStdString(caption.text));
    }
    QImage grey = worn::blurred(page);
    worn::speckle(grey);
    form.scan = grey.convertToFormat(QImage::Format_RGB32);
    const int dotsPerMetre = int(F::kDpi / 0.0254 + 0.5);
    form.scan.setDotsPerMeterX(dotsPerMetre);
    form.scan.setDotsPerMeterY(dotsPerMetre);
    return form;
}

}  // namespace zarvo::test
