#include "guide/GuideLocation.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

namespace fs = std::filesystem;

TEST(GuideLocationTest, TheInstalledGuideBesideTheProgramComesBeforeTheSourceTree) {
    const std::vector<fs::path> folders = guideFolders("/opt/zarvo/bin");
    ASSERT_EQ(folders.size(), 3u);
    EXPECT_EQ(folders[0], fs::path("/opt/zarvo/share/zarvo/guide"));
    EXPECT_EQ(folders[1], fs::path(ZARVO_SOURCE_DIR) / "docs/guide");
    EXPECT_TRUE(folders[2].is_absolute());
    EXPECT_EQ(folders[2].filename(), "guide");
    EXPECT_EQ(guideFolders("").size(), 2u);
    // A program run from its build tree finds the source tree's guide.
    const fs::path here = fs::read_symlink("/proc/self/exe").parent_path();
    EXPECT_EQ(findGuide(guideFolders(here)), fs::path(ZARVO_SOURCE_DIR) / "docs/guide");
}

TEST(GuideLocationTest, TheFirstFolderWithItsContentsAsAFileIsTheGuide) {
    test::TempDir dir;
    for (const char* folder : {"empty", "folder/index.md", "whole", "later"}) fs::create_directories(dir.path() / folder);
    dir.write("whole/index.md", "# 目錄\n");
    dir.write("later/index.md", "# 目錄\n");
    const fs::path empty = dir.path() / "empty", folder = dir.path() / "folder", whole = dir.path() / "whole",
                   later = dir.path() / "later", missing = dir.path() / "missing";
    const struct {
        std::vector<fs::path> folders;
        std::optional<fs::path> found;
    } cases[] = {
        {{missing, empty, folder, whole, later}, whole},
        {{later, whole}, later},
        {{missing, empty, folder}, std::nullopt},
        {{}, std::nullopt},
    };
    for (const auto& [folders, found] : cases) EXPECT_EQ(findGuide(folders), found) << folders.size();
}

}  // namespace
}  // namespace zarvo
