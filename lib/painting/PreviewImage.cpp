#include "painting/PreviewImage.h"

#include <QSaveFile>

#include "report/ReportError.h"
#include "report/Units.h"

namespace zarvo {

namespace {
constexpr int kDotsPerMetre = static_cast<int>(kPreviewDpi * 1000 / kMmPerInch + 0.5);
}  // namespace

void PreviewImage::endPainting() {
    surface_.reset();
    painter_.reset();
}

Surface& PreviewImage::resize(int width, int height) {
    endPainting();
    image_ = QImage(width, height, QImage::Format_RGB32);
    image_.setDotsPerMeterX(kDotsPerMetre);
    image_.setDotsPerMeterY(kDotsPerMetre);
    image_.fill(Qt::white);
    painter_ = std::make_unique<QPainter>(&image_);
    surface_ = std::make_unique<QtSurface>(*painter_, kPreviewDpi);
    return *surface_;
}

const QImage& PreviewImage::image() {
    endPainting();
    return image_;
}

void PreviewImage::save(const std::string& path) {
    endPainting();
    QSaveFile file(QString::fromStdString(path));
    bool written = file.open(QIODevice::WriteOnly) && image_.save(&file, "PNG") && file.commit();
    if (!written) {
        throw ReportError("無法寫入圖檔 " + path + ": " + file.errorString().toStdString());
    }
}

}  // namespace zarvo
