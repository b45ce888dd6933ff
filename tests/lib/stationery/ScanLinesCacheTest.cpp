#include "stationery/ScanLinesCache.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <QDir>

#include "stationery/ScanLinesText.h"
#include "tests/common/ScopedEnv.h"
#include "tests/common/TempDir.h"
#include "tests/lib/stationery/ScanDrawing.h"

namespace zarvo {
namespace {

void overwrite(const std::filesystem::path& file, const std::string& text) { std::ofstream(file, std::ios::binary) << text; }

const std::string kSound =
    "zarvo-scan-lines 1\nskew 0.4000\nh 30.0000 20.0000 190.0000 0.2500\nv 20.0000 30.0000 64.0000 0.2500\n"
    "box 20.0000 30.0000 50.0000 40.0000 1\nend\n";

// What a cache file reads back as: sound files whole, anything else refused
// so that the lines are found again.
TEST(ScanLinesCacheTest, ReadsOnlySoundFiles) {
    struct Case {
        const char* name;
        std::string text;
        bool sound;
    };
    const Case cases[] = {
        {"sound", kSound, true},
        {"no lines", "zarvo-scan-lines 1\nskew 0.0000\nend\n", true},
        {"empty", "", false},
        {"another version", "zarvo-scan-lines 2\nskew 0\nend\n", false},
        {"cut short", kSound.substr(0, kSound.size() - 4), false},
        {"no final newline", kSound.substr(0, kSound.size() - 1), false},
        {"no skew", "zarvo-scan-lines 1\nh 1 0 2 0.1\nend\n", false},
        {"two skews", "zarvo-scan-lines 1\nskew 0\nskew 1\nend\n", false},
        {"skew out of range", "zarvo-scan-lines 1\nskew 90\nend\n", false},
        {"not a number", "zarvo-scan-lines 1\nskew 0\nh 1 0 x 0.1\nend\n", false},
        {"infinite", "zarvo-scan-lines 1\nskew 0\nh inf 0 2 0.1\nend\n", false},
        {"not a number at all", "zarvo-scan-lines 1\nskew 0\nh nan 0 2 0.1\nend\n", false},
        {"backwards", "zarvo-scan-lines 1\nskew 0\nv 1 5 2 0.1\nend\n", false},
        {"negative thickness", "zarvo-scan-lines 1\nskew 0\nv 1 0 2 -0.1\nend\n", false},
        {"empty box", "zarvo-scan-lines 1\nskew 0\nbox 1 1 1 2 0\nend\n", false},
        {"ink neither 0 nor 1", "zarvo-scan-lines 1\nskew 0\nbox 1 1 2 2 2\nend\n", false},
        {"a field too many", "zarvo-scan-lines 1\nskew 0\nh 1 0 2 0.1 5\nend\n", false},
        {"double space", "zarvo-scan-lines 1\nskew 0\nh 1  0 2 0.1\nend\n", false},
        {"unknown word", "zarvo-scan-lines 1\nskew 0\nq 1 0 2 0.1\nend\n", false},
        {"after end", kSound + "h 1 0 2 0.1\n", false},
        {"a huge number", "zarvo-scan-lines 1\nskew 0\nh 1e300 0 2 0.1\nend\n", false},
    };
    for (const Case& c : cases) {
        const std::optional<ScanLines> lines = parseScanLines(c.text);
        EXPECT_EQ(lines.has_value(), c.sound) << c.name;
        if (lines) {
            EXPECT_EQ(scanLinesText(*lines), c.text) << c.name;
        }
    }
    ScanLines many;
    many.horizontal.assign(kMaxScanLinesItems + 1, ScanLine{1, 0, 2, 0.1});
    EXPECT_FALSE(parseScanLines(scanLinesText(many))) << "too many lines";
}

// Lines written and read back are the lines found, to 0.0001 mm.
TEST(ScanLinesCacheTest, WritesWhatItReads) {
    const ScanLines lines{-0.25,
                          {{30.12346, 20, 190, 0.25}, {40, 20, 190, 0.1}},
                          {{-0.0, 30, 64, 0.3}},
                          {{20, 30, 50, 40, true}, {50, 30, 120, 40, false}}};
    const std::optional<ScanLines> back = parseScanLines(scanLinesText(lines));
    ASSERT_TRUE(back);
    EXPECT_DOUBLE_EQ(back->horizontal[0].position, 30.1235);
    EXPECT_EQ(back->boxes, lines.boxes);
    EXPECT_EQ(scanLinesText(*back), scanLinesText(lines));
}

// The cache folder follows XDG_CACHE_HOME, else the home folder's .cache.
TEST(ScanLinesCacheTest, KeepsItsFilesInTheUsersCache) {
    struct Case {
        std::optional<std::string> cacheHome;
        QString folder;
    };
    const Case cases[] = {{"/tmp/c", "/tmp/c/zarvo"},
                          {std::nullopt, QDir::homePath() + "/.cache/zarvo"},
                          {"", QDir::homePath() + "/.cache/zarvo"},
                          {"relative", QDir::homePath() + "/.cache/zarvo"}};
    for (const Case& c : cases) {
        test::ScopedEnv env("XDG_CACHE_HOME", c.cacheHome);
        EXPECT_EQ(scanLinesCacheFolder(), c.folder) << c.cacheHome.value_or("(unset)");
    }
}

// A picture's lines are found once and then read back; a damaged or foreign
// file in the cache is found again and replaced; another picture, dpi or skew
// has a file of its own.
TEST(ScanLinesCacheTest, FindsEachPicturesLinesOnce) {
    test::TempDir dir;
    const QString folder = QString::fromStdString((dir.path() / "cache" / "zarvo").string());
    const QImage scan = test::drawForm({{20, 30, 190, 30}, {20, 60, 190, 60}, {20, 30, 20, 60}, {190, 30, 190, 60}}, {}, 150);
    const ScanLines first = cachedScanLines(scan, 150, std::nullopt, folder);
    ASSERT_EQ(first.boxes.size(), 1u);
    const std::filesystem::path file = dir.path() / "cache" / "zarvo" / scanLinesCacheName(scan, 150, std::nullopt).toStdString();
    ASSERT_TRUE(std::filesystem::exists(file));

    // A file that reads as other lines is taken: proof the picture was not looked at again.
    const std::string planted = "zarvo-scan-lines 1\nskew 0.1000\nend\n";
    overwrite(file, planted);
    EXPECT_EQ(cachedScanLines(scan, 150, std::nullopt, folder).skewDegrees, 0.1);

    overwrite(file, "zarvo-scan-lines 1\nskew 0.1000\nh 1 0\n");
    EXPECT_EQ(cachedScanLines(scan, 150, std::nullopt, folder), first);
    EXPECT_EQ(test::TempDir::read(file.string()), scanLinesText(first)) << "the damaged file is replaced";

    QImage other = scan.copy();
    other.setPixel(0, 0, qRgb(0, 0, 0));
    const QString names[] = {scanLinesCacheName(scan, 150, std::nullopt), scanLinesCacheName(other, 150, std::nullopt),
                             scanLinesCacheName(scan, 300, std::nullopt), scanLinesCacheName(scan, 150, 0.0),
                             scanLinesCacheName(scan.convertToFormat(QImage::Format_ARGB32), 150, std::nullopt)};
    for (int i = 0; i < 4; ++i)
        for (int j = i + 1; j < 4; ++j) EXPECT_NE(names[i], names[j]) << i << " " << j;
    EXPECT_EQ(names[4], names[0]) << "the same pixels in another format";
}

// The background job finds the lines off the calling thread and keeps them
// in the user's cache.
TEST(ScanLinesCacheTest, FindsLinesInTheBackground) {
    test::TempDir dir;
    test::ScopedEnv env("XDG_CACHE_HOME", dir.path().string());
    const QImage scan = test::drawForm({{20, 30, 190, 30}, {20, 60, 190, 60}, {20, 30, 20, 60}, {190, 30, 190, 60}}, {}, 150);
    QFuture<ScanLines> job = scanLinesInBackground(scan, 150);
    const ScanLines lines = job.result();
    EXPECT_EQ(lines.boxes.size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "zarvo" / scanLinesCacheName(scan, 150, std::nullopt).toStdString()));
}

}  // namespace
}  // namespace zarvo
