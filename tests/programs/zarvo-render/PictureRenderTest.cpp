// zarvo-render with pictures in blocks: a picture lands in its frame as
// fit and align say on every output and resolution, a picture that cannot
// be drawn stops a data file before anything is written, and a picture on
// every sheet is stored once in a PDF.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>

#include <QColor>
#include <QImage>
#include <QImageReader>

#include "tests/common/Command.h"
#include "tests/common/TempDir.h"
#include "tests/support/PrivateCups.h"
#include "tests/support/RasterisedPages.h"

namespace zarvo {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;
using test::CommandResult;
using test::TempDir;

// The frame of block "seal": 30 x 20 mm at (20, 40) mm; no margins.
constexpr double kLeftMm = 20, kTopMm = 40, kWidthMm = 30, kHeightMm = 20;

struct Box {
    double left = 0, top = 0, right = 0, bottom = 0;
};

// The pixels darker than mid-grey in image; an empty box when none.
Box inkOf(const QImage& picture) {
    const QImage image = picture.convertToFormat(QImage::Format_Grayscale8);
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* line = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] >= 160) continue;
            left = std::min(left, x);
            right = std::max(right, x + 1);
            top = std::min(top, y);
            bottom = std::max(bottom, y + 1);
        }
    }
    return right < 0 ? Box{} : Box{double(left), double(top), double(right), double(bottom)};
}

// Where a 2:1 picture (fit, align) lies in the frame, in mm.
Box expectedMm(const std::string& fit, const std::string& align) {
    if (fit != "contain") return {kLeftMm, kTopMm, kLeftMm + kWidthMm, kTopMm + kHeightMm};
    const double height = kWidthMm / 2;  // 2:1 in a 3:2 frame: the width fills it
    const double spare = kHeightMm - height;
    const double top = kTopMm + (align.find("top") != std::string::npos      ? 0
                                 : align.find("bottom") != std::string::npos ? spare
                                                                             : spare / 2);
    return {kLeftMm, top, kLeftMm + kWidthMm, top + height};
}

class PictureRenderTest : public ::testing::Test {
protected:
    PictureRenderTest() {
        // A page at 600 dpi is larger than Qt reads by default.
        QImageReader::setAllocationLimit(0);
        // A 2:1 picture, solid dark red: its ink is the picture.
        QImage seal(400, 200, QImage::Format_RGB32);
        seal.fill(QColor(0x90, 0x10, 0x10));
        seal.save(QString::fromStdString(path("seal.png")));
    }
    CommandResult render(const std::string& args) {
        return test::runCommand(std::string(ZARVO_RENDER) + " --data-dir '" + path("data") + "' " + args, dir);
    }
    std::string path(const std::string& name) const { return (dir.path() / name).string(); }
    // A form with blocks "seal" (the frame above) and "no", the seal's section holding keys.
    std::string form(const std::string& keys) {
        dir.write("form.zarvo", "[Block seal]\nkind=image\n" + keys);
        return dir.write("form.txt",
                         "0\t0\t0\r\nLINE_INFO\t0\r\nLABEL_STRING\t0\r\nBLOCK_INFO\t2\r\n"
                         "0\t20\t40\t30\t20\t0\t0\t0\t0\t5\t0\t0\tseal\r\n"
                         "0\t20\t80\t60\t10\t0\t0\t0\t0\t5\t0\t0\tno\r\n");
    }
    TempDir dir;
};

void expectNear(const Box& ink, const Box& mm, int dpi, double tolerance, const std::string& what) {
    const double scale = dpi / 25.4;
    EXPECT_NEAR(ink.left, mm.left * scale, tolerance) << what;
    EXPECT_NEAR(ink.top, mm.top * scale, tolerance) << what;
    EXPECT_NEAR(ink.right, mm.right * scale, tolerance) << what;
    EXPECT_NEAR(ink.bottom, mm.bottom * scale, tolerance) << what;
}

TEST_F(PictureRenderTest, APictureLandsInItsFrameAsFitAndAlignSayOnEveryOutput) {
    const std::pair<std::string, std::string> cases[] = {
        {"contain", ""}, {"contain", "top"}, {"contain", "bottom"}, {"cover", ""}, {"stretch", ""}};
    for (const auto& [fit, align] : cases) {
        const std::string what = fit + " " + align;
        const std::string report = form("picture=seal.png\nfit=" + fit + (align.empty() ? "" : "\nalign=" + align) +
                                        "\ncolor=keep\n");
        const Box mm = expectedMm(fit, align);
        // The preview image, 114 dpi.
        const CommandResult png = render("--png '" + path("out.png") + "' '" + report + "'");
        ASSERT_EQ(png.status, 0) << png.err;
        expectNear(inkOf(QImage(QString::fromStdString(path("out.png")))), mm, 114, 1, what + " png");
        // A printer's device pixels at 300 and 600 dpi, as the trace gives them.
        for (const int dpi : {114, 300, 600}) {
            const CommandResult trace = render("--print --trace --dpi " + std::to_string(dpi) + " '" + report + "'");
            ASSERT_EQ(trace.status, 0) << trace.err;
            std::istringstream lines(trace.out.substr(trace.out.find("picture ")));
            std::string word;
            Box drawn;
            lines >> word >> drawn.left >> drawn.top >> drawn.right >> drawn.bottom;
            expectNear(drawn, mm, dpi, 1, what + " trace " + std::to_string(dpi));
        }
        // The PDF, drawn at 300 dpi, rasterised at 300 and 600: one PDF
        // pixel is two at 600.
        const CommandResult pdf = render("--print --pdf '" + path("out.pdf") + "' '" + report + "'");
        ASSERT_EQ(pdf.status, 0) << pdf.err;
        for (const int dpi : {300, 600}) {
            const CommandResult raster = test::runCommand("pdftoppm -gray -r " + std::to_string(dpi) +
                                                              " -png -singlefile '" + path("out.pdf") + "' '" +
                                                              path("page") + "'",
                                                          dir);
            ASSERT_EQ(raster.status, 0) << raster.err;
            expectNear(inkOf(QImage(QString::fromStdString(path("page.png")))), mm, dpi, dpi / 300.0 + 1,
                       what + " pdf " + std::to_string(dpi));
        }
    }
}

// On a CUPS queue the form's (0, 0) is the printable corner, the queue's
// margins (points) from the sheet's edges.
TEST_F(PictureRenderTest, APictureLandsInItsFrameOnAPrinterAtItsResolution) {
    test::PrivateCups cups;
    const int resolutions[] = {300, 600};
    for (const int dpi : resolutions) cups.addQueue("office" + std::to_string(dpi), std::to_string(dpi) + "dpi");
    const std::pair<std::string, std::string> cases[] = {{"contain", "bottom"}, {"stretch", ""}};
    std::size_t jobs = 0;
    for (const auto& [fit, align] : cases) {
        const std::string report =
            form("picture=seal.png\nfit=" + fit + (align.empty() ? "" : "\nalign=" + align) + "\n");
        for (const int dpi : resolutions) {
            const std::string what = fit + " " + align + " " + std::to_string(dpi);
            const CommandResult printed = render("--print --printer office" + std::to_string(dpi) + " '" + report + "'");
            ASSERT_EQ(printed.status, 0) << printed.err;
            const std::filesystem::path job = cups.waitForJobs(++jobs).back();
            const std::vector<QImage> pages = test::rasterisedPages(job, dpi, dir.path());
            ASSERT_EQ(pages.size(), 1u) << what;
            Box ink = inkOf(pages.front());
            // Back to the form's own origin, the printable corner.
            const double left = test::PrivateCups::kMargins.left * dpi / 72.0;
            const double top = test::PrivateCups::kMargins.top * dpi / 72.0;
            ink = Box{ink.left - left, ink.top - top, ink.right - left, ink.bottom - top};
            expectNear(ink, expectedMm(fit, align), dpi, 1.5, what);
        }
    }
}

// The dots of ESC * graphics (24-pin: three bytes a column) in a printer's
// own stream.
long graphicsDots(const std::string& stream) {
    long dots = 0;
    for (std::size_t at = stream.find("\x1b*"); at != std::string::npos && at + 5 <= stream.size();
         at = stream.find("\x1b*", at)) {
        const int mode = static_cast<unsigned char>(stream[at + 2]);
        const std::size_t columns =
            static_cast<unsigned char>(stream[at + 3]) + 256u * static_cast<unsigned char>(stream[at + 4]);
        const std::size_t bytes = columns * (mode >= 32 ? 3 : 1);
        at += 5;
        for (std::size_t i = at; i < std::min(stream.size(), at + bytes); ++i) {
            dots += __builtin_popcount(static_cast<unsigned char>(stream[i]));
        }
        at += bytes;
    }
    return dots;
}

TEST_F(PictureRenderTest, ADitheredPictureOnADotMatrixPrinterHasDotsAsDenseAsItsGrey) {
    test::PrivateCups cups;
    cups.addEpson24Queue("epson", "180dpi");
    const std::string report = form("picture=grey.png\nfit=stretch\ndither=yes\n");
    const int greys[] = {0, 64, 128, 192};
    std::vector<long> dots;
    for (std::size_t i = 0; i < std::size(greys); ++i) {
        QImage grey(300, 200, QImage::Format_RGB32);
        grey.fill(QColor(greys[i], greys[i], greys[i]));
        grey.save(QString::fromStdString(path("grey.png")));
        const CommandResult printed = render("--print --printer epson '" + report + "'");
        ASSERT_EQ(printed.status, 0) << printed.err;
        dots.push_back(graphicsDots(TempDir::read(cups.waitForJobs(i + 1).back().string())));
    }
    // Solid black is every dot of the frame at 180 dpi.
    const double frameDots = (kWidthMm * 180 / 25.4) * (kHeightMm * 180 / 25.4);
    EXPECT_NEAR(dots[0], frameDots, frameDots * 0.05);
    for (std::size_t i = 1; i < std::size(greys); ++i) {
        EXPECT_NEAR(double(dots[i]) / dots[0], 1 - greys[i] / 255.0, 0.05) << greys[i];
    }
}

TEST_F(PictureRenderTest, APictureThatCannotBeDrawnStopsADataFileBeforeAnythingIsWritten) {
    const std::string report = form("");
    QImage good(20, 10, QImage::Format_RGB32);
    good.fill(Qt::darkBlue);
    good.save(QString::fromStdString(path("good.png")));
    // Its header whole, its pixels cut short.
    const std::string whole = TempDir::read(path("good.png"));
    dir.write("broken.png", whole.substr(0, whole.size() - 20));
    dir.write("notes.txt", "not a picture at all");
    // A header that claims 20000 x 20000 pixels: refused before decoding.
    dir.write("huge.ppm", "P6\n20000 20000\n255\n" + std::string(64, '\0'));
    std::filesystem::create_directory(path("inner"));
    std::filesystem::create_symlink("/etc/passwd", path("inner/away.png"));
    const std::pair<std::string, std::string> cases[] = {
        {"missing.png", "找不到圖片「missing.png」"},
        {"broken.png", "無法解碼圖片「broken.png」: 檔案損壞或不完整"},
        {"notes.txt", "「notes.txt」不是可用的圖片 (PNG、JPEG、TIFF 或 SVG)"},
        {"huge.ppm", "圖片「huge.ppm」有 20000 x 20000 像素, 超過 1 億像素"},
        {"../seal.png", "圖片「../seal.png」必須是資料夾裡的相對路徑, 不可用絕對路徑或「..」"},
        {"/etc/hostname", "圖片「/etc/hostname」必須是資料夾裡的相對路徑, 不可用絕對路徑或「..」"},
        {"inner/away.png", "圖片「inner/away.png」在資料夾之外 (連結指向別處)"},
        {"data:image/png;base64,@@@", "data: 圖片的 base64 內容有誤"},
        // Longer than a page's data file keeps a value: refused, not cut short.
        {"data:image/png;base64," + std::string(std::size_t(1) << 20, 'A'), "data: 圖片超過 1 MiB, 請改用圖片檔"},
    };
    for (const auto& [value, reason] : cases) {
        const std::string data = dir.write("orders.csv", "no,seal\r\n1,good.png\r\n2,good.png\r\n3,\"" + value + "\"\r\n");
        const std::string shown = value.size() > 100 ? value.substr(0, 40) : value;
        for (const std::string& output : {"--print --pdf '" + path("out.pdf") + "'", std::string("--print --trace")}) {
            const CommandResult result = render(output + " --data '" + data + "' '" + report + "'");
            EXPECT_EQ(result.status, 1) << shown;
            // The decoder may say something of its own before.
            EXPECT_THAT("\n" + result.err, EndsWith("\n第 3 筆資料, 欄位「seal」: " + reason + "\n")) << shown;
            EXPECT_EQ(result.out.find("sheet 0"), std::string::npos) << shown;
        }
        EXPECT_FALSE(std::filesystem::exists(path("out.pdf"))) << shown;
    }
}

TEST_F(PictureRenderTest, AMissingFixedPictureStopsAPrintAndThePreviewMarksItsFrame) {
    const std::string report = form("picture=gone.png\n");
    const CommandResult pdf = render("--print --pdf '" + path("out.pdf") + "' '" + report + "'");
    EXPECT_EQ(pdf.status, 1);
    EXPECT_THAT(pdf.err, HasSubstr("欄位「seal」: 找不到圖片「gone.png」"));
    EXPECT_FALSE(std::filesystem::exists(path("out.pdf")));
    const CommandResult preview = render("--trace '" + report + "'");
    EXPECT_EQ(preview.status, 0) << preview.err;
    EXPECT_THAT(preview.out, HasSubstr("info 欄位「seal」: 找不到圖片「gone.png」\n"));
    EXPECT_THAT(preview.out, HasSubstr("\nrect "));
}

TEST_F(PictureRenderTest, ThousandSheetsWithTheSameSealStoreItOnceAndStaySmall) {
    std::string csv = "no\r\n";
    for (int record = 1; record <= 1000; ++record) csv += std::to_string(record) + "\r\n";
    const std::string data = dir.write("orders.csv", csv);
    // A seal that would not compress to nothing: a gradient.
    QImage seal(400, 200, QImage::Format_RGB32);
    for (int y = 0; y < seal.height(); ++y) {
        for (int x = 0; x < seal.width(); ++x) seal.setPixel(x, y, qRgb(x % 256, y, (x * y) % 256));
    }
    seal.save(QString::fromStdString(path("seal.png")));
    const std::string with = form("picture=seal.png\n");
    ASSERT_EQ(render("--print --pdf '" + path("with.pdf") + "' --data '" + data + "' '" + with + "'").status, 0);
    const std::string without = form("");
    ASSERT_EQ(render("--print --pdf '" + path("without.pdf") + "' --data '" + data + "' '" + without + "'").status,
              0);
    const CommandResult images = test::runCommand("pdfimages -list '" + path("with.pdf") + "'", dir);
    ASSERT_EQ(images.status, 0) << images.err;
    // Two heading lines, then one line an image drawn on a page: every
    // sheet draws it, all of them the same object.
    std::istringstream lines(images.out);
    std::string line;
    std::getline(lines, line);
    std::getline(lines, line);
    std::set<std::string> objects;
    int drawn = 0;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string field[12];
        for (std::string& each : field) fields >> each;
        if (field[2] != "image") continue;
        ++drawn;
        objects.insert(field[10] + " " + field[11]);
    }
    EXPECT_EQ(drawn, 1000);
    EXPECT_EQ(objects.size(), 1u);
    const auto extra = double(std::filesystem::file_size(path("with.pdf"))) -
                       double(std::filesystem::file_size(path("without.pdf")));
    const auto sealBytes = double(std::filesystem::file_size(path("seal.png")));
    EXPECT_LT(extra, 2048.0 * 1000 + 4 * sealBytes);
}

}  // namespace
}  // namespace zarvo
