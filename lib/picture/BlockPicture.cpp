#include "picture/BlockPicture.h"

#include <algorithm>
#include <memory>

#include "picture/PictureCache.h"
#include "picture/PictureDecoder.h"
#include "picture/PictureFile.h"
#include "picture/PictureTone.h"

namespace zarvo {

namespace {

// The location of the picture style or value names, and the name to show.
PictureLocation locate(const PictureStyle& style, const std::string& value, const PictureFolders& folders,
                       std::string& shownName) {
    const bool fixed = !style.fixedFile.empty();
    shownName = fixed ? style.fixedFile : value.rfind("data:", 0) == 0 ? "data:" : value;
    return fixed ? locatePicture(folders.report, style.fixedFile) : locatePicture(folders.values, value);
}

// The key of the picture at location made place's size in tone.
std::string cacheKey(const std::string& where, int width, int height, const PictureStyle& style, PictureTone tone) {
    return where + "\n" + std::to_string(width) + "x" + std::to_string(height) + "/" +
           std::to_string(int(style.fit)) + std::to_string(int(style.hAlign)) + std::to_string(int(style.vAlign)) +
           std::to_string(int(tone));
}

PreparedPicture failed(std::string error) {
    PreparedPicture prepared;
    prepared.error = std::move(error);
    return prepared;
}

// The bytes of a picture and its header, read once when first wanted.
class PictureSource {
public:
    PictureSource(const PictureLocation& location, std::string shownName)
        : location_(location), shownName_(std::move(shownName)) {}

    // Reads and checks the picture unless done; the error, if any.
    const std::string& read() {
        if (done_) return error_;
        done_ = true;
        bytes_ = readPicture(location_, shownName_);
        if (!bytes_.ok()) return error_ = bytes_.error;
        header_ = readPictureHeader(bytes_.bytes, shownName_);
        if (!header_.ok()) error_ = header_.error;
        return error_;
    }
    const PictureHeader& header() const { return header_; }
    const std::string& bytes() const { return bytes_.bytes; }
    const std::string& shownName() const { return shownName_; }

private:
    const PictureLocation& location_;
    std::string shownName_;
    bool done_ = false;
    PictureBytes bytes_;
    PictureHeader header_;
    std::string error_;
};

}  // namespace

PreparedPicture preparePicture(const PictureStyle& style, const std::string& value, const PictureFolders& folders,
                               const DeviceFrame& frame, PictureTone tone, bool scalable) {
    std::string shownName;
    const PictureLocation location = locate(style, value, folders, shownName);
    if (!location.ok()) return failed(location.error);
    PictureCache& cache = PictureCache::shared();
    PictureSource source(location, shownName);
    // The size decides a contained picture's place; known once read.
    auto [width, height] = cache.sourceSize(location.key);
    if (width <= 0) {
        if (const std::string& error = source.read(); !error.empty()) return failed(error);
        width = source.header().width;
        height = source.header().height;
        cache.keepSourceSize(location.key, width, height);
    }
    PreparedPicture prepared;
    prepared.place = placePicture(frame, width, height, style);
    if (prepared.place.empty()) return prepared;
    // Made at the place's size, or for a scaling device no larger than the
    // picture itself (an SVG is drawn for its place; cover cuts at it).
    int madeWidth = prepared.place.width();
    int madeHeight = prepared.place.height();
    if (scalable && style.fit != PictureFit::Cover && !location.key.empty()) {
        madeWidth = std::min(madeWidth, width);
        madeHeight = std::min(madeHeight, height);
    }
    const std::string key = cacheKey(location.key, madeWidth, madeHeight, style, tone);
    CachedPicture cached = cache.find(key);
    if (!cached.image) {
        // Read once; the bytes read are the ones checked and decoded.
        if (const std::string& error = source.read(); !error.empty()) return failed(error);
        if (source.header().svg) {
            madeWidth = prepared.place.width();
            madeHeight = prepared.place.height();
        }
        DecodedPicture decoded =
            decodePicture(source.bytes(), source.header(), madeWidth, madeHeight, style, source.shownName());
        if (decoded.image.isNull()) return failed(decoded.error);
        cached.image = std::make_shared<const QImage>(toneOf(decoded.image, tone));
        cache.keep(key, cached);
    }
    prepared.image = PictureImage{cached.image, cached.image->width(), cached.image->height()};
    return prepared;
}

std::string pictureFault(const PictureStyle& style, const std::string& value, const PictureFolders& folders) {
    std::string shownName;
    const PictureLocation location = locate(style, value, folders, shownName);
    if (!location.ok()) return location.error;
    const PictureBytes bytes = readPicture(location, shownName);
    if (!bytes.ok()) return bytes.error;
    const PictureHeader header = readPictureHeader(bytes.bytes, shownName);
    if (!header.ok()) return header.error;
    // Decoded small: what cannot be decoded at all fails here too, at a
    // fraction of the pixels.
    const int width = std::min(header.width, 64);
    const int height = std::min(header.height, 64);
    const DecodedPicture decoded = decodePicture(bytes.bytes, header, width, height, style, shownName);
    return decoded.image.isNull() ? decoded.error : std::string();
}

}  // namespace zarvo
