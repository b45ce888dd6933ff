#include "picture/PictureDecoder.h"

#include <algorithm>
#include <cmath>
#include <regex>

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>

namespace zarvo {

namespace {

QByteArray viewOf(const std::string& bytes) {
    return QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

bool looksLikeSvg(const std::string& bytes) {
    const std::string head = bytes.substr(0, 4096);
    return head.find("<svg") != std::string::npos;
}

// An SVG may name only its own parts (#id) and data: images; entities
// could expand without bound or reach files.
std::string svgFault(const std::string& bytes, const std::string& shownName) {
    if (bytes.size() > kMaxSvgBytes) return "SVG 圖片「" + shownName + "」超過 4 MiB";
    if (bytes.find("<!ENTITY") != std::string::npos) return "SVG 圖片「" + shownName + "」含有實體宣告, 不能使用";
    // Text needs the fonts of a GUI application; without one Qt would abort.
    if (bytes.find("<text") != std::string::npos && !qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        return "SVG 圖片「" + shownName + "」含有文字, 這裡沒有字型可以畫它, 請把文字轉成外框";
    }
    static const std::regex reference(R"(href\s*=\s*["']\s*([^"']*)["'])", std::regex::icase);
    for (auto it = std::sregex_iterator(bytes.begin(), bytes.end(), reference); it != std::sregex_iterator(); ++it) {
        const std::string target = (*it)[1].str();
        if (target.rfind('#', 0) != 0 && target.rfind("data:", 0) != 0) {
            return "SVG 圖片「" + shownName + "」引用了外部檔案「" + target + "」";
        }
    }
    return {};
}

// The scaled size and the offset of the part kept, for a picture of
// source size placed in width x height under style.
struct Scaling {
    QSize size;
    QPoint offset;
};
Scaling scalingFor(int sourceWidth, int sourceHeight, int width, int height, const PictureStyle& style) {
    if (style.fit != PictureFit::Cover) return {QSize(width, height), QPoint(0, 0)};
    const double scale = std::max(double(width) / sourceWidth, double(height) / sourceHeight);
    const QSize size(std::max(width, int(std::ceil(sourceWidth * scale))),
                     std::max(height, int(std::ceil(sourceHeight * scale))));
    const int spareX = size.width() - width;
    const int spareY = size.height() - height;
    const int x = style.hAlign == PictureHAlign::Left ? 0 : style.hAlign == PictureHAlign::Right ? spareX : spareX / 2;
    const int y = style.vAlign == PictureVAlign::Top ? 0 : style.vAlign == PictureVAlign::Bottom ? spareY : spareY / 2;
    return {size, QPoint(x, y)};
}

DecodedPicture drawSvg(const std::string& bytes, const PictureHeader& header, int width, int height,
                       const PictureStyle& style, const std::string& shownName) {
    QSvgRenderer renderer(viewOf(bytes));
    if (!renderer.isValid()) return {QImage(), "無法解碼 SVG 圖片「" + shownName + "」"};
    const Scaling scaling = scalingFor(header.width, header.height, width, height, style);
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(-scaling.offset.x(), -scaling.offset.y(), scaling.size.width(),
                                     scaling.size.height()));
    painter.end();
    return {image, ""};
}

}  // namespace

void limitPictureAllocation() {
    // Four bytes a pixel of the largest picture allowed, and some room.
    QImageReader::setAllocationLimit(int(kMaxPicturePixels * 4 / (1024 * 1024)) + 64);
}

PictureHeader readPictureHeader(const std::string& bytes, const std::string& shownName) {
    PictureHeader header;
    if (looksLikeSvg(bytes)) {
        header.svg = true;
        header.error = svgFault(bytes, shownName);
        if (!header.ok()) return header;
        QSvgRenderer renderer(viewOf(bytes));
        const QSize size = renderer.defaultSize();
        if (!renderer.isValid() || size.isEmpty()) {
            header.error = "無法解碼 SVG 圖片「" + shownName + "」";
            return header;
        }
        header.width = size.width();
        header.height = size.height();
        return header;
    }
    QByteArray data = viewOf(bytes);
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!reader.canRead() || !size.isValid() || size.isEmpty()) {
        header.error = "「" + shownName + "」不是可用的圖片 (PNG、JPEG、TIFF 或 SVG)";
        return header;
    }
    if (std::int64_t(size.width()) * size.height() > kMaxPicturePixels) {
        header.error = "圖片「" + shownName + "」有 " + std::to_string(size.width()) + " x " +
                       std::to_string(size.height()) + " 像素, 超過 1 億像素";
        return header;
    }
    header.width = size.width();
    header.height = size.height();
    return header;
}

DecodedPicture decodePicture(const std::string& bytes, const PictureHeader& header, int width, int height,
                             const PictureStyle& style, const std::string& shownName) {
    if (width <= 0 || height <= 0) return {QImage(), ""};
    if (header.svg) return drawSvg(bytes, header, width, height, style, shownName);
    QByteArray data = viewOf(bytes);
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    QImage image = reader.read();
    if (image.isNull() || image.width() != header.width || image.height() != header.height) {
        return {QImage(), "無法解碼圖片「" + shownName + "」: 檔案損壞或不完整"};
    }
    // The picture's own resolution is ignored: it takes the place it is given.
    const Scaling scaling = scalingFor(header.width, header.height, width, height, style);
    image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                .scaled(scaling.size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (image.size() != QSize(width, height)) image = image.copy(QRect(scaling.offset, QSize(width, height)));
    return {image, ""};
}

}  // namespace zarvo
