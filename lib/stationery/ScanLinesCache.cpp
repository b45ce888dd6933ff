#include "stationery/ScanLinesCache.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QtConcurrent/QtConcurrentRun>

#include "stationery/ScanLinesText.h"

namespace zarvo {
namespace {

// Raised whenever detection changes, so that old files are not read as new.
constexpr int kDetectorVersion = 1;

// A sound cache file is small; anything larger is not ours.
constexpr qint64 kLargestCacheFile = 16 * 1024 * 1024;

}  // namespace

QString scanLinesCacheFolder() {
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base)) base = QDir::homePath() + "/.cache";
    return base + "/zarvo";
}

QString scanLinesCacheName(const QImage& scan, double dpi, std::optional<double> skewDegrees) {
    const QImage pixels = scan.format() == QImage::Format_Grayscale8 || scan.format() == QImage::Format_RGB32
                              ? scan
                              : scan.convertToFormat(QImage::Format_RGB32);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const QByteArray settings = QStringLiteral("%1 %2x%3 %4 %5 %6")
                                    .arg(kDetectorVersion)
                                    .arg(pixels.width())
                                    .arg(pixels.height())
                                    .arg(int(pixels.format()))
                                    .arg(dpi, 0, 'g', 17)
                                    .arg(skewDegrees ? QString::number(*skewDegrees, 'g', 17) : QStringLiteral("auto"))
                                    .toUtf8();
    hash.addData(settings);
    // Row by row, so that padding at the end of a row counts for nothing.
    const qsizetype rowBytes = qsizetype(pixels.width()) * (pixels.depth() / 8);
    for (int y = 0; y < pixels.height(); ++y)
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(pixels.constScanLine(y)), rowBytes));
    return QString::fromLatin1(hash.result().toHex()) + ".lines";
}

ScanLines cachedScanLines(const QImage& scan, double dpi, std::optional<double> skewDegrees, const QString& folder) {
    const QString path = folder + "/" + scanLinesCacheName(scan, dpi, skewDegrees);
    QFile file(path);
    if (file.open(QIODevice::ReadOnly) && file.size() <= kLargestCacheFile) {
        const QByteArray bytes = file.read(kLargestCacheFile);
        if (auto lines = parseScanLines(std::string_view(bytes.constData(), bytes.size()))) return *lines;
    }
    file.close();
    const ScanLines lines = detectScanLines(scan, dpi, skewDegrees);
    if (QDir().mkpath(folder)) {
        QSaveFile out(path);
        if (out.open(QIODevice::WriteOnly)) {
            const std::string text = scanLinesText(lines);
            if (out.write(text.data(), qint64(text.size())) == qint64(text.size())) out.commit();
        }
    }
    return lines;
}

QFuture<ScanLines> scanLinesInBackground(const QImage& scan, double dpi, std::optional<double> skewDegrees) {
    const QString folder = scanLinesCacheFolder();
    return QtConcurrent::run([scan, dpi, skewDegrees, folder] { return cachedScanLines(scan, dpi, skewDegrees, folder); });
}

}  // namespace zarvo
