// Pictures made for one place: one QImage for every page, bounded memory.

#include <gtest/gtest.h>

#include <QImage>

#include "picture/BlockPicture.h"
#include "picture/PictureCache.h"
#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

TEST(PictureCacheTest, TheSamePictureAndSizeIsOneImageAndOthersAreDroppedBeyondTheBudget) {
    test::TempDir dir;
    QImage seal(60, 30, QImage::Format_RGB32);
    seal.fill(Qt::red);
    seal.save(QString::fromStdString((dir.path() / "seal.png").string()));
    const PictureFolders folders{dir.path().string(), dir.path().string()};
    PictureStyle style;
    const DeviceFrame frame{10, 10, 110, 110};
    const PreparedPicture first = preparePicture(style, "seal.png", folders, frame, PictureTone::Colour);
    const PreparedPicture again = preparePicture(style, "seal.png", folders, DeviceFrame{500, 0, 600, 100},
                                                 PictureTone::Colour);
    ASSERT_TRUE(first.ok()) << first.error;
    EXPECT_EQ(first.image.image, again.image.image);
    EXPECT_EQ(first.place, (PixelRect{10, 35, 110, 85}));
    EXPECT_EQ(again.place, (PixelRect{500, 25, 600, 75}));
    // Another size or tone is another picture.
    EXPECT_NE(preparePicture(style, "seal.png", folders, frame, PictureTone::Grey).image.image, first.image.image);

    PictureCache cache(100 * 100 * 4 * 2);
    for (int i = 0; i < 50; ++i) {
        cache.keep(std::to_string(i), CachedPicture{std::make_shared<const QImage>(100, 100, QImage::Format_ARGB32)});
        EXPECT_LE(cache.bytes(), 100u * 100 * 4 * 2);
    }
    EXPECT_TRUE(cache.find("49").image);
    EXPECT_FALSE(cache.find("0").image);
}

}  // namespace
}  // namespace zarvo
