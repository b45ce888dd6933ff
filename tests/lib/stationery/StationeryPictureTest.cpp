#include "stationery/StationeryPicture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include <QBuffer>
#include <QMarginsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QtEndian>

#include "tests/common/FifoWatchdog.h"
#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

using test::TempDir;

constexpr double kDotsPerMetrePerDpi = 1000 / 25.4;

std::string encoded(const QImage& image, const char* format) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return buffer.data().toStdString();
}

// A white width x height image with a black square, storing dpi (Qt always
// stores one; see withoutResolution).
QImage scan(int width, int height, double dpi) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter(&image).fillRect(10, 10, 20, 20, Qt::black);
    image.setDotsPerMeterX(qRound(dpi * kDotsPerMetrePerDpi));
    image.setDotsPerMeterY(qRound(dpi * kDotsPerMetrePerDpi));
    return image;
}

// bytes of a PNG or JPEG file made to store no resolution: the PNG without
// its pHYs chunk, the JPEG with density unit 0 (an aspect ratio only).
std::string withoutResolution(std::string bytes) {
    if (bytes.compare(1, 3, "PNG") != 0) {
        const std::size_t jfif = bytes.find(std::string("JFIF\0", 5));
        bytes[jfif + 7] = 0;
        return bytes;
    }
    for (std::size_t at = 8; at + 8 <= bytes.size();) {
        const std::size_t chunk = 12 + qFromBigEndian<quint32>(bytes.data() + at);
        if (bytes.compare(at + 4, 4, "pHYs") == 0) return bytes.erase(at, chunk);
        at += chunk;
    }
    return bytes;
}

// A JPEG whose header claims width x height pixels (up to 65535).
std::string jpegClaiming(int width, int height) {
    std::string bytes = encoded(scan(16, 16, 300), "JPEG");
    const std::size_t frame = bytes.find("\xff\xc0");
    qToBigEndian<quint16>(height, bytes.data() + frame + 5);
    qToBigEndian<quint16>(width, bytes.data() + frame + 7);
    return bytes;
}

// A one-page PDF (A4 unless size says otherwise) with a black 2 mm square
// whose top-left is (10 mm, 20 mm).
std::string onePagePdf(const TempDir& dir, const QPageSize& size = QPageSize(QPageSize::A4)) {
    const std::string path = (dir.path() / "form.pdf").string();
    QPdfWriter writer(QString::fromStdString(path));
    writer.setPageSize(size);
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(300);
    QPainter painter(&writer);
    const double perMm = 300 / 25.4;
    painter.fillRect(QRectF(10 * perMm, 20 * perMm, 2 * perMm, 2 * perMm), Qt::black);
    return path;
}

TEST(StationeryPictureTest, ScansTakeTheirSizeFromTheirResolution) {
    const std::string a4 = encoded(scan(2480, 3508, 300), "PNG");
    const std::string small = encoded(scan(600, 300, 300), "PNG");
    const struct {
        const char* name;
        std::string bytes;
        double typedDpi;
        bool needsDpi;
        double widthMm;
        double heightMm;
    } cases[] = {
        {"png 300 dpi", a4, 0, false, 210, 297},
        {"png 300 dpi, typed 200", a4, 200, false, 210, 297},
        {"png none", withoutResolution(a4), 0, true, 0, 0},
        {"png none, typed 200", withoutResolution(a4), 200, false, 314.96, 445.52},
        {"png none, typed absurd", withoutResolution(small), 1, true, 0, 0},
        {"png stores 72 dpi", encoded(scan(600, 300, 72), "PNG"), 0, false, 211.67, 105.83},
        {"jpeg 300 dpi", encoded(scan(600, 300, 300), "JPEG"), 0, false, 50.8, 25.4},
        {"jpeg none", withoutResolution(encoded(scan(600, 300, 300), "JPEG")), 0, true, 0, 0},
        {"tiff 300 dpi", encoded(scan(600, 300, 300), "TIFF"), 0, false, 50.8, 25.4},
        {"tiff 72 dpi, typed 150", encoded(scan(600, 300, 72), "TIFF"), 150, false, 101.6, 50.8},
    };
    TempDir dir;
    for (const auto& c : cases) {
        const QString path = QString::fromStdString(dir.write("scan", c.bytes));
        const PictureLoad load = loadStationeryPicture(path, 1, c.typedDpi);
        EXPECT_EQ(load.problem, QString()) << c.name;
        EXPECT_EQ(load.needsDpi, c.needsDpi) << c.name;
        ASSERT_EQ(load.picture.has_value(), !c.needsDpi) << c.name;
        if (!load.picture) continue;
        EXPECT_NEAR(load.picture->widthMm, c.widthMm, 0.1) << c.name;
        EXPECT_NEAR(load.picture->heightMm, c.heightMm, 0.1) << c.name;
        EXPECT_EQ(load.picture->image.format(), QImage::Format_RGB32) << c.name;
        EXPECT_LT(qGray(load.picture->image.pixel(20, 20)), 60) << c.name;
    }
}

TEST(StationeryPictureTest, TransparencyShowsWhite) {
    QImage clear(40, 40, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    TempDir dir;
    const PictureLoad load = loadStationeryPicture(
        QString::fromStdString(dir.write("clear.png", encoded(clear, "PNG"))), 1, 300);
    ASSERT_TRUE(load.picture.has_value()) << load.problem.toStdString();
    EXPECT_EQ(load.picture->image.format(), QImage::Format_RGB32);
    EXPECT_EQ(load.picture->image.pixel(5, 5), qRgb(255, 255, 255));
}

TEST(StationeryPictureTest, APdfPageIsDrawnAt300Dpi) {
    TempDir dir;
    const PictureLoad load = loadStationeryPicture(QString::fromStdString(onePagePdf(dir)), 1, 0);
    ASSERT_TRUE(load.picture.has_value()) << load.problem.toStdString();
    const StationeryPicture& picture = *load.picture;
    EXPECT_NEAR(picture.widthMm, 210, 0.1);
    EXPECT_NEAR(picture.heightMm, 297, 0.1);
    EXPECT_NEAR(picture.image.width(), 2480, 2);
    EXPECT_NEAR(picture.image.height(), 3508, 2);
    EXPECT_EQ(picture.image.format(), QImage::Format_RGB32);
    EXPECT_LT(qGray(picture.image.pixel(130, 248)), 60);  // inside the square at 11 mm, 21 mm
    EXPECT_EQ(picture.image.pixel(20, 20), qRgb(255, 255, 255));
}

TEST(StationeryPictureTest, UnusableFilesGiveAProblemNamingThem) {
    TempDir dir;
    const std::string pdf = onePagePdf(dir);
    const std::string pdfBytes = TempDir::read(pdf);
    const std::string smallPng = encoded(scan(40, 40, 300), "PNG");
    const struct {
        const char* name;
        std::string path;
        int page;
        const char* mentions;
    } cases[] = {
        {"page beyond the PDF", pdf, 2, "第 2 頁"},
        {"page 0", pdf, 0, "第 0 頁"},
        {"missing file", (dir.path() / "none.png").string(), 1, ""},
        {"folder", dir.path().string(), 1, ""},
        {"truncated PDF", dir.write("cut.pdf", pdfBytes.substr(0, 300)), 1, ""},
        {"text", dir.write("note.txt", "hello, world\n"), 1, ""},
        {"BMP", dir.write("a.bmp", encoded(scan(40, 40, 300), "BMP")), 1, ""},
        {"truncated PNG", dir.write("cut.png", smallPng.substr(0, 60)), 1, ""},
        {"huge JPEG", dir.write("huge.jpg", jpegClaiming(30000, 30000)), 1, "30000 x 30000"},
    };
    for (const auto& c : cases) {
        const QString path = QString::fromStdString(c.path);
        const PictureLoad load = loadStationeryPicture(path, c.page, 300);
        EXPECT_FALSE(load.picture.has_value()) << c.name;
        EXPECT_FALSE(load.needsDpi) << c.name;
        EXPECT_TRUE(load.problem.contains(path)) << c.name << ": " << load.problem.toStdString();
        EXPECT_TRUE(load.problem.contains(QString::fromUtf8(c.mentions))) << c.name;
    }
}

// A picture that is no regular file is damaged, said at once.
TEST(StationeryPictureTest, APictureThatIsNoRegularFileIsDamagedAndNothingWaits) {
    TempDir dir;
    const std::string fifoPath = (dir.path() / "scan.png").string();
    const test::FifoWatchdog fifo(fifoPath);
    ASSERT_TRUE(fifo.made());
    for (const std::string& path : {fifoPath, std::string("/dev/zero")}) {
        SCOPED_TRACE(path);
        const auto start = std::chrono::steady_clock::now();
        const PictureLoad load = loadStationeryPicture(QString::fromStdString(path), 1, 300);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
        EXPECT_FALSE(load.picture.has_value());
        EXPECT_EQ(load.problem.toStdString(), "無法解讀底圖 " + path + ", 檔案可能已損壞或太大");
    }
    EXPECT_FALSE(fifo.fired());
}

}  // namespace
TEST(StationeryPictureTest, AHugePdfPageIsKeptUndrawnAndDrawnInPartsWhereItIsShown) {
    TempDir dir;
    const QPageSize huge(QSizeF(200, 200), QPageSize::Inch);
    const PictureLoad load = loadStationeryPicture(QString::fromStdString(onePagePdf(dir, huge)), 1, 0);
    ASSERT_TRUE(load.picture.has_value()) << load.problem.toStdString();
    const StationeryPicture& picture = *load.picture;
    EXPECT_NEAR(picture.widthMm, 5080, 0.5);
    EXPECT_NEAR(picture.heightMm, 5080, 0.5);
    EXPECT_TRUE(picture.image.isNull());
    ASSERT_TRUE(picture.drawPart);
    // At 254 dpi (10 pixels a mm) the square covers (100, 200)..(120, 220).
    const QImage part = picture.drawPart(254, QRect(90, 190, 40, 40));
    EXPECT_EQ(part.size(), QSize(40, 40));
    EXPECT_EQ(part.format(), QImage::Format_RGB32);
    EXPECT_LT(qGray(part.pixel(20, 20)), 60);
    EXPECT_EQ(part.pixel(3, 3), qRgb(255, 255, 255));
}

TEST(StationeryPictureTest, AScanFinerThanTheViewShowsIsKeptAtTheViewsFinestResolution) {
    const struct {
        const char* name;
        int width;
        double dpi;
        int keptWidth;
    } cases[] = {{"300 dpi, kept as is", 600, 300, 600}, {"2400 dpi, kept at 912", 2400, 2400, 912}};
    for (const auto& c : cases) {
        TempDir dir;
        const QString path = QString::fromStdString(dir.write("scan.png", encoded(scan(c.width, c.width, c.dpi), "PNG")));
        const PictureLoad load = loadStationeryPicture(path, 1, 0);
        ASSERT_TRUE(load.picture.has_value()) << c.name;
        EXPECT_NEAR(load.picture->image.width(), c.keptWidth, 1) << c.name;
        EXPECT_NEAR(load.picture->widthMm, c.width * 25.4 / c.dpi, 0.01) << c.name;
    }
}

}  // namespace zarvo
