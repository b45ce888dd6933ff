// On PDF pages the Qt surface gathers characters into glyph runs and hands
// them over later. Whatever is drawn between, the page must look as if every
// character had been drawn when the engine asked: in order with rectangles,
// in its own colour, turned or not, on its own sheet.

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QRect>

#include <functional>
#include <string>
#include <vector>

#include "painting/PdfSpooler.h"
#include "tests/common/Command.h"
#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

constexpr int kPdfDpi = 300;
constexpr int kImageDpi = 75;
const std::string kZhong = "\xa4\xa4";  // 中
const Font kUpright{FontFace::Ming, 100, false};
const Font kTurned{FontFace::Ming, 100, true};
const Pen kNoOutline{5, 1, kBlack};

enum class Ink { None, Black, Red };

// What a place of a sheet shows: a place in device pixels at 300 dpi.
struct Expected {
    int sheet;
    QRect place;
    Ink ink;
};

struct Case {
    const char* name;
    std::function<void(PrintJob&)> draw;
    std::vector<Expected> expected;
};

Ink inkIn(const QImage& image, const QRect& place) {
    const QRect scaled(place.topLeft() * kImageDpi / kPdfDpi, place.size() * kImageDpi / kPdfDpi);
    Ink found = Ink::None;
    for (int y = scaled.top(); y <= scaled.bottom(); ++y) {
        for (int x = scaled.left(); x <= scaled.right(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.red() > 200 && pixel.green() < 100 && pixel.blue() < 100) return Ink::Red;
            if (pixel.red() < 100 && pixel.green() < 100 && pixel.blue() < 100) found = Ink::Black;
        }
    }
    return found;
}

// The sheets of a PDF file as images at 75 dpi.
std::vector<QImage> sheets(const std::string& pdf, const test::TempDir& dir) {
    const std::string stem = (dir.path() / "sheet").string();
    test::runCommand("pdftoppm -r " + std::to_string(kImageDpi) + " '" + pdf + "' '" + stem + "'", dir);
    std::vector<QImage> images;
    for (int page = 1;; ++page) {
        QImage image(QString::fromStdString(stem + "-" + std::to_string(page) + ".ppm"));
        if (image.isNull()) return images;
        images.push_back(image);
    }
}

const char* inkName(Ink ink) {
    switch (ink) {
    case Ink::None: return "none";
    case Ink::Black: return "black";
    case Ink::Red: return "red";
    }
    return "?";
}

TEST(PdfTextRunsTest, PagesShowCharactersAsIfEachWereDrawnWhenAskedFor) {
    const Case cases[] = {
        {"a rectangle covers the characters drawn before it, not those drawn after",
         [](PrintJob& job) {
             job.surface().drawText(400, 400, kZhong, kUpright);
             job.surface().drawRect(380, 380, 820, 540, kNoOutline);
             job.surface().drawText(700, 420, kZhong, kUpright);
         },
         {{0, {400, 400, 100, 100}, Ink::None}, {0, {700, 420, 100, 100}, Ink::Black}}},
        {"every character keeps the colour it was drawn in",
         [](PrintJob& job) {
             job.surface().setTextColor(kRed);
             job.surface().drawText(400, 400, kZhong, kUpright);
             job.surface().setTextColor(kBlack);
             job.surface().drawText(600, 400, kZhong, kUpright);
             job.surface().setTextColor(kRed);
             job.surface().drawText(800, 400, kZhong, kUpright);
         },
         {{0, {400, 400, 100, 100}, Ink::Red}, {0, {600, 400, 100, 100}, Ink::Black},
          {0, {800, 400, 100, 100}, Ink::Red}}},
        {"a turned character lies left of its reference point, between upright ones",
         [](PrintJob& job) {
             job.surface().drawText(400, 400, kZhong, kUpright);
             job.surface().drawText(700, 400, "L", kTurned);
             job.surface().drawText(800, 400, kZhong, kUpright);
         },
         {{0, {600, 400, 100, 50}, Ink::Black}, {0, {500, 400, 100, 100}, Ink::None},
          {0, {700, 400, 100, 100}, Ink::None}, {0, {800, 400, 100, 100}, Ink::Black}}},
        {"characters stay on the sheet they were drawn on",
         [](PrintJob& job) {
             job.surface().drawText(400, 400, kZhong, kUpright);
             job.nextSheet(0);
             job.surface().drawText(400, 800, kZhong, kUpright);
         },
         {{0, {400, 400, 100, 100}, Ink::Black}, {0, {400, 800, 100, 100}, Ink::None},
          {1, {400, 400, 100, 100}, Ink::None}, {1, {400, 800, 100, 100}, Ink::Black}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        const std::string pdf = (dir.path() / "runs.pdf").string();
        PdfSpooler spooler(pdf);
        auto job = spooler.startJob("PDF", "runs", 0);
        c.draw(*job);
        job->finish();
        const std::vector<QImage> images = sheets(pdf, dir);
        for (const Expected& expected : c.expected) {
            ASSERT_LT(expected.sheet, static_cast<int>(images.size()));
            const Ink ink = inkIn(images[static_cast<std::size_t>(expected.sheet)], expected.place);
            EXPECT_EQ(ink, expected.ink) << "sheet " << expected.sheet << " at " << expected.place.x() << ","
                                         << expected.place.y() << ": " << inkName(ink);
        }
    }
}

}  // namespace
}  // namespace zarvo
