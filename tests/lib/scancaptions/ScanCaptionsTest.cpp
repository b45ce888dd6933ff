// The captions of a scan: each box's inside cut out without its ruled lines
// and read in order; Tesseract's Traditional Chinese model reads the
// captions of a worn 300 dpi bill.

#include "scancaptions/ScanCaptions.h"

#include <gtest/gtest.h>

#include <QPainter>

#include "proposals/CaptionNames.h"
#include "tests/common/WornCaptionForm.h"

namespace zarvo {
namespace {

// Tells the size and darkest grey of each picture it is given, as text.
class MeasuringReader : public CaptionReader {
public:
    std::string read(const QImage& caption) override {
        int darkest = 255;
        for (int y = 0; y < caption.height(); ++y)
            for (int x = 0; x < caption.width(); ++x) darkest = std::min(darkest, qGray(caption.pixel(x, y)));
        seen.push_back(caption);
        return std::to_string(caption.width()) + "x" + std::to_string(caption.height()) + " " + std::to_string(darkest);
    }
    std::vector<QImage> seen;
};

// A white picture 10 pixels a mm with a black ruled box from (10, 10) to
// (40, 20) mm, a dark square inside it and a speck of two pixels left of it.
QImage ruledBox() {
    QImage picture(600, 400, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setPen(QPen(Qt::black, 3));
    painter.drawRect(100, 100, 300, 100);
    painter.fillRect(200, 130, 40, 40, QColor(40, 40, 40));
    painter.fillRect(150, 150, 1, 2, QColor(40, 40, 40));
    return picture;
}

// The ink inside each box is cut out, off the lines, black on white, to its
// bounds on a 12 pixel border; a box without ink, or off the picture, gives
// nothing to read; stop leaves the rest unread.
TEST(ScanCaptionsTest, CutsOutEachBoxsInside) {
    const QImage picture = ruledBox();
    struct Case {
        const char* name;
        std::vector<RectMm> boxes;
        int stopAfter;  // -1: never
        std::vector<std::string> want;
    };
    const Case cases[] = {
        {"the square and its border", {{10, 10, 40, 20}}, -1, {"64x64 0"}},
        {"the box's lines and the specks are no ink", {{9.9, 9.9, 19, 20.1}}, -1, {""}},
        {"a part without the square", {{25, 10, 40, 20}}, -1, {""}},
        {"off the picture", {{70, 50, 90, 60}}, -1, {""}},
        {"in order, stopped after one", {{10, 10, 40, 20}, {10, 10, 40, 20}}, 1, {"64x64 0", ""}},
    };
    for (const Case& c : cases) {
        MeasuringReader reader;
        std::vector<int> done;
        const auto texts = readCaptions(
            picture, 10, c.boxes, reader, [&](int n) { done.push_back(n); },
            [&] { return c.stopAfter >= 0 && int(done.size()) >= c.stopAfter; });
        EXPECT_EQ(texts, c.want) << c.name;
        for (const QImage& seen : reader.seen) {
            EXPECT_EQ(seen.format(), QImage::Format_Grayscale8) << c.name;
            EXPECT_EQ(seen.dotsPerMeterX(), 10000) << c.name << ": the resolution is told";
        }
    }
}

// At least five of the worn bill's six captions are read right (blanks and
// punctuation aside). Skipped only where the model is not installed.
TEST(ScanCaptionsTest, TesseractReadsTheCaptionsOfAWornScan) {
    const std::optional<std::filesystem::path> model = traditionalChineseModelDir();
    if (!model) GTEST_SKIP() << "tesseract-ocr-chi-tra is not installed";
    const test::WornCaptionForm form = test::wornCaptionForm();
    std::unique_ptr<CaptionReader> reader = tesseractCaptionReader(*model);
    ASSERT_NE(reader, nullptr);
    std::vector<RectMm> boxes;
    for (const test::WornCaption& caption : form.captions) boxes.push_back(caption.box);
    const std::vector<std::string> texts = readCaptions(form.scan, test::WornCaptionForm::px(1), boxes, *reader);
    ASSERT_EQ(texts.size(), form.captions.size());
    int right = 0;
    std::string misread;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (captionKey(texts[i]) == form.captions[i].text) {
            ++right;
        } else {
            misread += " " + form.captions[i].text + " as \"" + texts[i] + "\"";
        }
    }
    EXPECT_GE(right, 5) << "misread:" << misread;
}

}  // namespace
}  // namespace zarvo
