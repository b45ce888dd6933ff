#include "cli/PngImage.h"

#include <QSaveFile>

#include <filesystem>

#include "report/ReportError.h"

namespace zarvo {

namespace {
constexpr int kPreviewDpi = 114;
constexpr int kDotsPerMetre = static_cast<int>(kPreviewDpi / 0.0254 + 0.5);
}  // namespace

void PngImage::endPainting() {
    surface_.reset();
    painter_.reset();
}

Surface& PngImage::resize(int width, int height) {
    endPainting();
    image_ = QImage(width, height, QImage::Format_RGB32);
    image_.setDotsPerMeterX(kDotsPerMetre);
    image_.setDotsPerMeterY(kDotsPerMetre);
    image_.fill(Qt::white);
    painter_ = std::make_unique<QPainter>(&image_);
    surface_ = std::make_unique<QtSurface>(*painter_, kPreviewDpi);
    return *surface_;
}

void PngImage::save(const std::string& path) {
    endPainting();
    QSaveFile file(QString::fromStdString(path));
    bool written = file.open(QIODevice::WriteOnly) && image_.save(&file, "PNG") && file.commit();
    if (!written) {
        throw ReportError("無法寫入圖檔 " + path + ": " + file.errorString().toStdString());
    }
}

std::string numberedFileName(const std::string& file, std::size_t index, std::size_t count) {
    if (count <= 1) return file;
    std::filesystem::path path(file);
    std::string numbered = path.stem().string() + "-" + std::to_string(index + 1) +
                           path.extension().string();
    return (path.parent_path() / numbered).string();
}

}  // namespace zarvo
