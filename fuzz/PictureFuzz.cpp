// The picture fuzz target: the input as a picture's bytes (PNG, JPEG,
// TIFF, SVG or anything else), its header read and, when the header is
// accepted, decoded for a small place in each fit and tone; then the input
// as a data: value of a block.

#include <string>

#include <QGuiApplication>

#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzTargets.h"
#include "picture/BlockPicture.h"
#include "picture/PictureDecoder.h"
#include "picture/PictureFile.h"
#include "picture/PictureTone.h"

namespace zarvo::fuzz {

namespace {

// Once: the allocation limit every program sets, and the application an
// SVG's text needs for its fonts (offscreen; never destroyed, as Qt's own
// objects may be gone at exit).
void startOnce() {
    static const bool started = [] {
        limitPictureAllocation();
        if (!QCoreApplication::instance()) {
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
            static int argc = 1;
            static char name[] = "picture-fuzz";
            static char* argv[] = {name, nullptr};
            new QGuiApplication(argc, argv);
        }
        return true;
    }();
    (void)started;
}

}  // namespace

void fuzzPicture(const std::uint8_t* data, std::size_t size) {
    startOnce();
    const std::string bytes(asText(data, size));
    const PictureHeader header = readPictureHeader(bytes, "fuzz");
    if (header.ok()) {
        check(header.width > 0 && header.height > 0, "an accepted header has a size");
        check(std::int64_t(header.width) * header.height <= kMaxPicturePixels || header.svg,
              "an accepted raster header is within the pixel limit");
        for (const PictureFit fit : {PictureFit::Contain, PictureFit::Cover}) {
            PictureStyle style;
            style.fit = fit;
            const DecodedPicture decoded = decodePicture(bytes, header, 17, 9, style, "fuzz");
            check(decoded.image.isNull() != decoded.error.empty(), "a picture or a reason");
            if (decoded.image.isNull()) continue;
            check(decoded.image.width() == 17 && decoded.image.height() == 9, "the picture takes its place");
            check(toneOf(decoded.image, PictureTone::Dots).size() == decoded.image.size(), "dots keep the size");
        }
    }
    const PictureLocation location = locatePicture("/nonexistent", "data:image/png;base64," + bytes);
    if (location.ok()) (void)readPicture(location, "data:");
}

}  // namespace zarvo::fuzz
