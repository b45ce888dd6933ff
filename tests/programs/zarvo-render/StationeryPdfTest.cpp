// zarvo-render --pdf over the report's stationery.

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "tests/common/Command.h"
#include "tests/common/TempDir.h"
#include "tests/support/PrivateCups.h"
#include "tests/support/RasterisedPages.h"
#include "tests/support/StationeryProof.h"

namespace zarvo {
namespace {

using test::CommandResult;
using test::TempDir;

class StationeryPdfTest : public ::testing::Test {
protected:
    CommandResult render(const std::string& args) {
        return test::runCommand(std::string(ZARVO_RENDER) + " --data-dir '" + (dir.path() / "data").string() + "' " +
                                    args,
                                dir);
    }
    // The one page of --pdf written with extra options, rasterised at dpi.
    QImage printed(const std::string& extra, int dpi) {
        const std::string pdf = (dir.path() / "out.pdf").string();
        const CommandResult result = render("--print --pdf '" + pdf + "' " + extra + " '" + report + "' '" +
                                            (dir.path() / "delivery_note_data.txt").string() + "'");
        EXPECT_EQ(result.status, 0) << result.err;
        const auto pages = test::rasterisedPages(pdf, dpi, dir.path());
        EXPECT_EQ(pages.size(), 1u);
        return pages.empty() ? QImage() : pages.front();
    }

    TempDir dir;
    std::string report = test::reportOverStationery(dir.path(), "delivery_note");
};

TEST_F(StationeryPdfTest, ThePictureLiesUnderTheFormWhichStartsAtTheChosenPrintersCorner) {
    test::PrivateCups cups;
    cups.addQueue("Office");
    constexpr double kMmPerPoint = 25.4 / 72;
    struct Case {
        std::string options;
        QPointF originMm;
    };
    const Case cases[] = {
        {"--stationery", {0, 0}},
        {"--stationery --printer-origin Office",
         {test::PrivateCups::kMargins.left * kMmPerPoint, test::PrivateCups::kMargins.top * kMmPerPoint}},
    };
    constexpr int kDpi = 127;
    const QRect picture = test::pictureArea(kDpi);
    const QImage plain = printed("", kDpi);
    EXPECT_LT(test::pixelsBetween(plain, picture, test::kPictureGrayLow, test::kPictureGrayHigh),
              picture.width() * picture.height() / 10);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        const QImage over = printed(c.options, kDpi);
        EXPECT_GT(test::pixelsBetween(over, picture, test::kPictureGrayLow, test::kPictureGrayHigh),
                  picture.width() * picture.height() / 2);
        EXPECT_GT(test::pixelsBetween(over, picture, 0, 40), 0);
        const QRect expected = test::formInkBounds(plain).translated((c.originMm * kDpi / 25.4).toPoint());
        const QRect found = test::formInkBounds(over);
        EXPECT_NEAR(found.left(), expected.left(), 1);
        EXPECT_NEAR(found.top(), expected.top(), 1);
        EXPECT_NEAR(found.right(), expected.right(), 1);
        EXPECT_NEAR(found.bottom(), expected.bottom(), 1);
    }
}

TEST_F(StationeryPdfTest, AReportWithoutStationeryWritesNothing) {
    std::filesystem::remove(dir.path() / "delivery_note.zarvo");
    const std::string pdf = (dir.path() / "refused.pdf").string();
    const CommandResult result = render("--print --pdf '" + pdf + "' --stationery '" + report + "'");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("找不到底圖設定檔"), std::string::npos) << result.err;
    EXPECT_FALSE(std::filesystem::exists(pdf));
}

}  // namespace
}  // namespace zarvo
