#include "stationery/StationeryPicture.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>

#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QPointF>
#include <QSizeF>
#include <QtEndian>
#include <poppler-qt6.h>

#include "platform/os/RegularFile.h"
#include "report/StationeryKeys.h"
#include "report/Units.h"

namespace zarvo {

namespace {

constexpr double kPointsPerInch = 72;
constexpr double kPdfDpi = 300;
constexpr int kMaxSide = 20000;
constexpr double kMaxPixels = 200e6;
// What a decoder may allocate for one image: the largest one at 16 bits a
// channel (8 bytes a pixel), in MiB.
constexpr int kAllocationLimitMb = static_cast<int>(kMaxPixels * 8 / (1024 * 1024)) + 1;
// 72 dpi: what many programs store when they do not know the resolution.
constexpr int kUnknownDotsPerMetre = 2835;

// No scan or PDF page that can be used comes near this size.
constexpr std::uint64_t kMaxFileBytes = std::uint64_t(1) << 30;

PictureLoad problem(const QString& text) { return {std::nullopt, false, text}; }

QString damaged(const QString& path) { return QStringLiteral("無法解讀底圖 %1, 檔案可能已損壞或太大").arg(path); }

bool fits(QSizeF pixels) {
    return pixels.width() <= kMaxSide && pixels.height() <= kMaxSide &&
           pixels.width() * pixels.height() <= kMaxPixels;
}

PictureLoad tooLarge(const QString& path, QSize pixels) {
    return problem(QStringLiteral("底圖 %1 太大 (%2 x %3 像素), 無法使用")
                       .arg(path)
                       .arg(pixels.width())
                       .arg(pixels.height()));
}

// Sets QImageReader's allocation limit (process-wide) to ours while it lives.
class AllocationLimit {
public:
    AllocationLimit() : saved_(QImageReader::allocationLimit()) {
        QImageReader::setAllocationLimit(kAllocationLimitMb);
    }
    ~AllocationLimit() { QImageReader::setAllocationLimit(saved_); }
    AllocationLimit(const AllocationLimit&) = delete;
    AllocationLimit& operator=(const AllocationLimit&) = delete;

private:
    int saved_;
};

// image as Format_RGB32, transparent parts showing white.
QImage opaqueOnWhite(const QImage& image) {
    if (!image.hasAlphaChannel()) return image.convertToFormat(QImage::Format_RGB32);
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter(&flat).drawImage(0, 0, image);
    return flat;
}

// The dots per metre of the pHYs chunk (unit 1: metres) before the image
// data of the PNG in file: the only way to tell a stored resolution from the
// default that Qt gives an image.
std::optional<QPoint> pngDotsPerMetre(QIODevice& file) {
    constexpr int kSignatureBytes = 8;
    constexpr int kPhysBytes = 9;  // x and y (big-endian), unit
    if (!file.seek(kSignatureBytes)) return std::nullopt;
    for (;;) {
        const QByteArray header = file.read(8);  // length (big-endian) and type
        if (header.size() < 8) return std::nullopt;
        const QByteArray type = header.mid(4);
        if (type == "IDAT" || type == "IEND") return std::nullopt;
        if (type == "pHYs") {
            const QByteArray phys = file.read(kPhysBytes);
            if (phys.size() < kPhysBytes || phys.back() != 1) return std::nullopt;
            return QPoint(qFromBigEndian<qint32>(phys.constData()),
                          qFromBigEndian<qint32>(phys.constData() + 4));
        }
        const quint32 length = qFromBigEndian<quint32>(header.constData());
        if (!file.seek(file.pos() + length + 4)) return std::nullopt;  // data and CRC
    }
}

// The dots per metre stored in the file of image, nullopt when none.
std::optional<QPoint> storedDotsPerMetre(const QImage& image, const QByteArray& format,
                                         QIODevice& file) {
    if (format == "png") return pngDotsPerMetre(file);
    // Qt leaves a new image's resolution when a JPEG or TIFF has none.
    const QImage fresh(1, 1, QImage::Format_RGB32);
    const QPoint dotsPerMetre(image.dotsPerMeterX(), image.dotsPerMeterY());
    if (dotsPerMetre == QPoint(fresh.dotsPerMeterX(), fresh.dotsPerMeterY()) ||
        dotsPerMetre == QPoint(kUnknownDotsPerMetre, kUnknownDotsPerMetre)) {
        return std::nullopt;
    }
    return dotsPerMetre;
}

// The plausible resolution in dots per inch that the file of image stores.
std::optional<QPointF> storedDpi(const QImage& image, const QByteArray& format, QIODevice& file) {
    const std::optional<QPoint> dotsPerMetre = storedDotsPerMetre(image, format, file);
    if (!dotsPerMetre) return std::nullopt;
    const QPointF dpi = QPointF(*dotsPerMetre) * kMmPerInch / 1000;
    if (!isPlausibleDpi(dpi.x()) || !isPlausibleDpi(dpi.y())) return std::nullopt;
    return dpi;
}

// image (mm on paper) shrunk to what the view can show: at most
// kMaxPictureDpi and kMaxKeptPixels.
QImage keptScan(QImage image, QSizeF mm) {
    const QSizeF finest = mm * (kMaxPictureDpi / kMmPerInch);
    const double pixels = double(image.width()) * image.height();
    const double scale = std::min({1.0, finest.width() / image.width(), finest.height() / image.height(),
                                   std::sqrt(kMaxKeptPixels / pixels)});
    if (scale >= 1.0) return image;
    const QSize size(std::max(1, int(image.width() * scale)), std::max(1, int(image.height() * scale)));
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).convertToFormat(QImage::Format_RGB32);
}

// A scan (PNG, JPEG or TIFF) from file, open at its start.
PictureLoad loadScan(QFile& file, const QString& path, double typedDpi) {
    QImageReader reader(&file);
    reader.setAutoTransform(true);
    const QByteArray format = reader.format();
    if (format != "png" && format != "jpeg" && format != "tiff") {
        return problem(QStringLiteral("底圖 %1 不是 PNG、JPEG、TIFF 或 PDF 檔").arg(path));
    }
    if (reader.size().isValid() && !fits(reader.size())) return tooLarge(path, reader.size());
    QImage image;
    {
        const AllocationLimit limit;
        if (!reader.read(&image)) {
            return problem(damaged(path));
        }
    }
    if (!fits(image.size())) return tooLarge(path, image.size());
    std::optional<QPointF> dpi = storedDpi(image, format, file);
    if (!dpi && isPlausibleDpi(typedDpi)) dpi = QPointF(typedDpi, typedDpi);
    if (!dpi) return {std::nullopt, true, {}};
    const QSizeF mm(image.width() * kMmPerInch / dpi->x(), image.height() * kMmPerInch / dpi->y());
    return {StationeryPicture{keptScan(opaqueOnWhite(image), mm), mm.width(), mm.height(), {}}, false, {}};
}

void ignorePopplerMessage(const QString&, const QVariant&) {}

// Whether the page of points drawn at 300 dpi is small enough to keep.
bool keptWhole(QSizeF points) {
    const QSizeF pixels = points * (kPdfDpi / kPointsPerInch);
    return pixels.width() * pixels.height() <= kMaxKeptPixels;
}

// A page kept with its document, drawn a part at a time.
struct PdfPageParts {
    std::unique_ptr<Poppler::Document> document;
    std::unique_ptr<Poppler::Page> page;

    QImage draw(int dpi, const QRect& part) const {
        const QImage image = page->renderToImage(dpi, dpi, part.x(), part.y(), part.width(), part.height());
        if (image.isNull()) return {};
        return opaqueOnWhite(image);
    }
};

bool isDrawable(QSizeF points) {
    return std::isfinite(points.width()) && std::isfinite(points.height()) && points.width() > 0 &&
           points.height() > 0;
}

// Page pageNumber (from 1) of the PDF at path, open in file.
PictureLoad loadPdfPage(QIODevice& file, const QString& path, int pageNumber) {
    // A damaged file is reported by our message; Poppler's own go nowhere.
    Poppler::setDebugErrorFunction(ignorePopplerMessage, {});
    // The document keeps its own copy of the bytes: a page drawn in parts
    // outlives the file it was read from.
    std::unique_ptr<Poppler::Document> document = Poppler::Document::loadFromData(file.readAll());
    if (!document) return problem(QStringLiteral("無法開啟 PDF 底圖 %1, 檔案可能已損壞").arg(path));
    if (document->isLocked()) {
        return problem(QStringLiteral("PDF 底圖 %1 有密碼保護, 無法開啟").arg(path));
    }
    if (pageNumber < 1 || pageNumber > document->numPages()) {
        return problem(QStringLiteral("PDF 底圖 %1 沒有第 %2 頁").arg(path).arg(pageNumber));
    }
    const QString cannotDraw =
        QStringLiteral("無法繪出 PDF 底圖 %1 的第 %2 頁").arg(path).arg(pageNumber);
    std::unique_ptr<Poppler::Page> page = document->page(pageNumber - 1);
    const QSizeF points = page ? page->pageSizeF() : QSizeF();
    if (!isDrawable(points)) return problem(cannotDraw);
    document->setRenderHint(Poppler::Document::Antialiasing);
    document->setRenderHint(Poppler::Document::TextAntialiasing);
    const QSizeF mm = points * (kMmPerInch / kPointsPerInch);
    if (!keptWhole(points)) {
        // Drawn where and as fine as the sheet shows it, never whole.
        auto parts = std::make_shared<PdfPageParts>(PdfPageParts{std::move(document), std::move(page)});
        if (parts->draw(1, QRect(0, 0, 1, 1)).isNull()) return problem(cannotDraw);
        return {StationeryPicture{QImage(), mm.width(), mm.height(),
                                  [parts](int dpi, const QRect& part) { return parts->draw(dpi, part); }},
                false,
                {}};
    }
    const QImage image = page->renderToImage(kPdfDpi, kPdfDpi);
    if (image.isNull()) return problem(cannotDraw);
    return {StationeryPicture{opaqueOnWhite(image), mm.width(), mm.height(), {}}, false, {}};
}

}  // namespace


PictureLoad loadStationeryPicture(const QString& path, int pdfPage, double typedDpi) {
    // Looked at before a byte is read, and read from the very file looked
    // at: a FIFO or a device in the picture's place is a damaged picture,
    // never one to wait on.
    OpenedRegularFile opened = openRegularFile(QFile::encodeName(path).toStdString(), kMaxFileBytes);
    switch (opened.status) {
    case RegularFileStatus::Missing: return problem(QStringLiteral("找不到底圖 %1").arg(path));
    case RegularFileStatus::Unreadable: return problem(QStringLiteral("無法讀取底圖 %1").arg(path));
    case RegularFileStatus::NotRegular:
    case RegularFileStatus::TooLarge: return problem(damaged(path));
    case RegularFileStatus::Opened: break;
    }
    QFile file;
    if (!file.open(opened.fd.get(), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        return problem(QStringLiteral("無法讀取底圖 %1").arg(path));
    }
    opened.fd.release();
    if (file.peek(4) == "%PDF") return loadPdfPage(file, path, pdfPage);
    return loadScan(file, path, typedDpi);
}

}  // namespace zarvo
