// DrawFrameText calls per second on the recording surface (trace formatted
// and discarded) and on a 114 dpi preview image through the Qt surface, for
// a one-line caption, a wrapped paragraph and a vertical column.

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>

#include "bench/GuiApplication.h"
#include "engine/XPrint.h"
#include "painting/QtSurface.h"
#include "platform/recording/RecordingSurface.h"

namespace {

// A stream buffer that takes every character and keeps none.
class DiscardBuffer : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

struct Case {
    int left, top, right, bottom, style, mode, fontCode, charHeight;
    std::string text;
    int colGap, rowGap;
};

// 出貨日期 (shipping date), centred on one line.
const Case kCaption{10, 10, 210, 50, 0, 3, 0, 24, "\xa5\x58\xb3\x66\xa4\xe9\xb4\xc1", 2, 0};

// 台北市中正區重慶南路一段 (an address) and digits, three times, wrapped in a box.
const Case kParagraph{10,
                      10,
                      310,
                      210,
                      0,
                      0,
                      1,
                      20,
                      std::string("\xa5\x78\xa5\x5f\xa5\xab\xa4\xa4\xa5\xbf\xb0\xcf\xad\xab\xbc\x79"
                                  "\xab\x6e\xb8\xf4\xa4\x40\xac\x71"
                                  " 122 ") +
                          "\xa5\x78\xa5\x5f\xa5\xab\xa4\xa4\xa5\xbf\xb0\xcf\xad\xab\xbc\x79"
                          "\xab\x6e\xb8\xf4\xa4\x40\xac\x71 122 "
                          "\xa5\x78\xa5\x5f\xa5\xab\xa4\xa4\xa5\xbf\xb0\xcf\xad\xab\xbc\x79"
                          "\xab\x6e\xb8\xf4\xa4\x40\xac\x71 122",
                      1,
                      4};

// 統一編號 (tax number) and its digits turned, one column centred both ways.
const Case kColumn{10,
                   10,
                   60,
                   400,
                   2,
                   4,
                   2,
                   24,
                   "\xb2\xce\xa4\x40\xbd\x73\xb8\xb9"
                   "12345678",
                   0,
                   2};

void drawCase(zarvo::XPrint& engine, const Case& c) {
    engine.DrawFrameText(c.left, c.top, c.right, c.bottom, c.style, c.mode, c.fontCode,
                         c.charHeight, c.text, c.colGap, c.rowGap);
}

void recordingSurface(benchmark::State& state, const Case& c) {
    DiscardBuffer buffer;
    std::ostream out(&buffer);
    zarvo::RecordingSurface surface(out, 114);
    zarvo::XPrint engine;
    engine.surface = &surface;
    for (auto _ : state) drawCase(engine, c);
    state.SetItemsProcessed(state.iterations());
}

void previewImage(benchmark::State& state, const Case& c) {
    ensureGuiApplication();
    QImage image(800, 600, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    zarvo::QtSurface surface(painter, 114);
    zarvo::XPrint engine;
    engine.surface = &surface;
    for (auto _ : state) drawCase(engine, c);
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK_CAPTURE(recordingSurface, caption, kCaption);
BENCHMARK_CAPTURE(recordingSurface, paragraph, kParagraph);
BENCHMARK_CAPTURE(recordingSurface, column, kColumn);
BENCHMARK_CAPTURE(previewImage, caption, kCaption);
BENCHMARK_CAPTURE(previewImage, paragraph, kParagraph);
BENCHMARK_CAPTURE(previewImage, column, kColumn);

}  // namespace
