// The keys of a kind=image section and where a picture lands in its frame.

#include <gtest/gtest.h>

#include "picture/PictureStyle.h"

namespace zarvo {
namespace {

using Keys = std::vector<std::pair<std::string, std::string>>;

TEST(PictureStyleTest, KeysAreReadOrRefusedNamingTheKey) {
    struct Case {
        Keys keys;
        std::string error;
    };
    const Case cases[] = {
        {{{"kind", "image"}, {"fit", "cover"}, {"align", "left bottom"}, {"dither", "yes"}}, ""},
        {{{"kind", "image"}, {"Fit", "STRETCH"}, {"color", "keep"}}, ""},
        {{{"kind", "image"}, {"fit", "fill"}}, "fit 必須是 contain、cover 或 stretch"},
        {{{"kind", "image"}, {"align", "left right"}}, "align 的水平或垂直位置只能各給一個"},
        {{{"kind", "image"}, {"align", "up"}}, "align 必須是 left、centre、right 與 top、middle、bottom"},
        {{{"kind", "image"}, {"picture", "/etc/seal.png"}}, "picture 必須是報表資料夾裡的相對路徑"},
        {{{"kind", "image"}, {"picture", "a/../../seal.png"}}, "picture 不可用「..」離開報表資料夾"},
        {{{"kind", "image"}, {"dither", "1"}}, "dither 必須是 yes 或 no"},
    };
    for (const Case& each : cases) {
        const ParsedPictureStyle parsed = readPictureStyle(each.keys);
        EXPECT_EQ(parsed.error, each.error) << each.keys.back().first;
        if (!parsed.error.empty()) continue;
        // What pictureKeys writes reads back as the same style.
        EXPECT_EQ(readPictureStyle(pictureKeys(parsed.style)).style, parsed.style);
    }
}

TEST(PictureStyleTest, ContainKeepsProportionsWhereAlignSaysAndTheOthersTakeTheFrame) {
    const DeviceFrame frame{100, 200, 400, 400};  // 300 x 200
    const PixelRect whole{100, 200, 400, 400};
    struct Case {
        PictureFit fit;
        PictureHAlign across;
        PictureVAlign down;
        int width, height;
        PixelRect expected;
    };
    const Case cases[] = {
        {PictureFit::Contain, PictureHAlign::Centre, PictureVAlign::Middle, 200, 100, {100, 225, 400, 375}},
        {PictureFit::Contain, PictureHAlign::Centre, PictureVAlign::Top, 200, 100, {100, 200, 400, 350}},
        {PictureFit::Contain, PictureHAlign::Left, PictureVAlign::Middle, 100, 100, {100, 200, 300, 400}},
        {PictureFit::Contain, PictureHAlign::Right, PictureVAlign::Bottom, 100, 100, {200, 200, 400, 400}},
        {PictureFit::Contain, PictureHAlign::Centre, PictureVAlign::Middle, 1, 100000, {250, 200, 251, 400}},
        {PictureFit::Cover, PictureHAlign::Left, PictureVAlign::Top, 100, 100, whole},
        {PictureFit::Stretch, PictureHAlign::Centre, PictureVAlign::Middle, 10, 1000, whole},
    };
    // Edges between pixels go to the nearest; a frame of nothing holds nothing.
    EXPECT_EQ(placePicture(DeviceFrame{10.4, 20.6, 30.5, 40.2}, 1, 1, PictureStyle{}), (PixelRect{11, 21, 30, 40}));
    EXPECT_TRUE(placePicture(DeviceFrame{10, 10, 10.2, 50}, 1, 1, PictureStyle{}).empty());
    for (const Case& each : cases) {
        PictureStyle style;
        style.fit = each.fit;
        style.hAlign = each.across;
        style.vAlign = each.down;
        const PixelRect placed = placePicture(frame, each.width, each.height, style);
        EXPECT_EQ(placed, each.expected) << each.width << "x" << each.height;
    }
}

}  // namespace
}  // namespace zarvo
