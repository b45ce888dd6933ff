#include "document/WindowPlacement.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/common/ScopedEnv.h"
#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

using test::TempDir;

TEST(WindowPlacementTest, APlaceIsUsedOnlyWhenTheTopOfTheWindowLiesOnAScreen) {
    // Side by side: 1920 x 1080, then 1280 x 1024 to its right.
    const QList<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    struct Case {
        QRect window;
        bool reachable;
    };
    const Case cases[] = {
        {{100, 100, 681, 430}, true},
        {{2000, 50, 681, 430}, true},     // on the second screen
        {{1800, 100, 681, 430}, true},    // across both
        {{-641, 100, 681, 430}, true},    // 40 px left on the screen
        {{-642, 100, 681, 430}, false},   // 39 px
        {{3200, 100, 681, 430}, false},   // right of every screen
        {{100, -1, 681, 430}, false},     // its top above the screen
        {{100, 1040, 681, 430}, true},    // its top 40 px on the screen
        {{100, 1041, 681, 430}, false},
        {{2000, 1000, 681, 430}, false},  // below the second screen, which is shorter
        {{10, 10, 20, 20}, true},         // a window smaller than the strip, whole on the screen
        {{-5, 10, 20, 20}, false},
        {{100, 100, 0, 0}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(reachableOnSomeScreen(c.window, screens), c.reachable)
            << c.window.x() << ", " << c.window.y() << " " << c.window.width() << " x " << c.window.height();
    }
    EXPECT_FALSE(reachableOnSomeScreen({100, 100, 681, 430}, {}));
}

TEST(WindowPlacementTest, WhatIsWrittenIsReadBackAndOtherGroupsStay) {
    const TempDir config;
    const test::ScopedEnv home("XDG_CONFIG_HOME", config.path().string());
    const QString path = windowSettingsPath();
    EXPECT_EQ(path.toStdString(), (config.path() / "zarvo" / "zarvo.conf").string());
    EXPECT_EQ(readWindowPlacement(path), std::nullopt);

    const WindowPlacement placements[] = {{{-300, 20, 900, 600}, false}, {{40, 50, 681, 430}, true}};
    for (const WindowPlacement& placement : placements) {
        ASSERT_TRUE(writeWindowPlacement(path, placement));
        EXPECT_EQ(readWindowPlacement(path), placement);
    }
    // A group another part of the program keeps survives.
    const std::string other = config.write("other.conf", "[Other]\nkey=1\n");
    ASSERT_TRUE(writeWindowPlacement(QString::fromStdString(other), placements[0]));
    EXPECT_NE(TempDir::read(other).find("[Other]\nkey=1\n"), std::string::npos) << TempDir::read(other);
}

TEST(WindowPlacementTest, AFileWrittenThroughQSettingsIsReadAndKeepsItsOtherLines) {
    const TempDir config;
    // As the build before this one wrote it: keys sorted, a group of another version after it.
    const std::string path = config.write("zarvo.conf",
                                          "[MainWindow]\nheight=768\nmaximized=true\nwidth=1024\nx=-8\ny=20\n\n"
                                          "; kept by hand\n[Later]\nkey=\"a, b\"\n");
    EXPECT_EQ(readWindowPlacement(QString::fromStdString(path)), (WindowPlacement{{-8, 20, 1024, 768}, true}));
    ASSERT_TRUE(writeWindowPlacement(QString::fromStdString(path), {{1, 2, 300, 200}, false}));
    EXPECT_EQ(TempDir::read(path), "[MainWindow]\nheight=200\nmaximized=false\nwidth=300\nx=1\ny=2\n\n"
                                   "; kept by hand\n[Later]\nkey=\"a, b\"\n");
}

TEST(WindowPlacementTest, DamagedValuesGiveNoPlacement) {
    const TempDir config;
    const char* const texts[] = {
        "[MainWindow]\nx=1\ny=2\nwidth=640\nheight=400\n",  // no maximised state
        "[MainWindow]\nx=1\ny=2\nwidth=640\nheight=400\nmaximized=yes\n",
        "[MainWindow]\nx=a\ny=2\nwidth=640\nheight=400\nmaximized=false\n",
        "[MainWindow]\nx=1\ny=2\nwidth=0\nheight=400\nmaximized=false\n",
        "[MainWindow]\nx=1\ny=2\nwidth=640\nheight=32768\nmaximized=false\n",
        "[MainWindow]\nx=1\ny=2\nwidth=640,400\nheight=400\nmaximized=false\n",
        "\x01\x02\xff binary",
    };
    int file = 0;
    for (const char* text : texts) {
        // A file of its own each time: QSettings keeps what it read of a path.
        const QString path = QString::fromStdString(config.write("damaged" + std::to_string(file++), text));
        EXPECT_EQ(readWindowPlacement(path), std::nullopt) << text;
    }
}

TEST(WindowPlacementTest, SomethingOtherThanAFileIsNeitherOpenedNorReplaced) {
    const TempDir config;
    const std::filesystem::path fifo = config.path() / "fifo.conf";
    const std::filesystem::path folder = config.path() / "folder.conf";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_directory(folder);
    for (const std::filesystem::path& path : {fifo, folder}) {
        // Opening the FIFO for reading would wait for a writer for ever.
        EXPECT_EQ(readWindowPlacement(QString::fromStdString(path.string())), std::nullopt);
        EXPECT_FALSE(writeWindowPlacement(QString::fromStdString(path.string()), {{1, 2, 300, 200}, false}));
    }
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

}  // namespace
}  // namespace zarvo
