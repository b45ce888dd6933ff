// The profile beside a report: a damaged one is opened without its faults
// and kept aside, and a save writes the profile only where there is one to
// write or one to overwrite.

#include "document/ReportProfileFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

using test::TempDir;

TEST(ReportProfileFilesTest, ADamagedProfileOpensWithoutItsFaultsAndIsKeptAside) {
    TempDir dir;
    const std::string report = (dir.path() / "note.txt").string();
    EXPECT_TRUE(openProfileBeside(report).profile.empty());
    EXPECT_EQ(openProfileBeside(report).warning, "");

    const std::string damaged = "[Paper]\nwidth=241.3\n[Block total]\nkind=code128\n";
    const std::string profilePath = dir.write("note.zarvo", damaged);
    const OpenedProfile opened = openProfileBeside(report);
    EXPECT_FALSE(opened.profile.stoppingFault());
    EXPECT_EQ(opened.warning.find("表單設定檔 " + profilePath + " 第 1 行"), 0u) << opened.warning;
    EXPECT_NE(opened.warning.find("損壞的檔案已另存為 " + profilePath + ".damaged."), std::string::npos)
        << opened.warning;
    EXPECT_EQ(TempDir::read(profilePath + ".damaged"), damaged);
}

TEST(ReportProfileFilesTest, ASaveWritesTheProfileWhereThereIsOneToWriteOrToOverwrite) {
    TempDir dir;
    const FormProfile empty;
    const FormProfile paper = parseFormProfile("[Paper]\nwidth=241.3\nheight=139.7\n");
    const std::string report = (dir.path() / "note.txt").string();
    const std::string profilePath = (dir.path() / "note.zarvo").string();
    const std::string sameName = (dir.path() / "form.zarvo").string();
    const std::string warning = "報表檔名與表單設定檔同名, 表單設定 (紙張、底圖) 沒有存檔";

    EXPECT_EQ(profileSaveFor(report, empty).path, "");
    EXPECT_EQ(profileSaveFor(report, paper).path, profilePath);
    dir.write("note.zarvo", "[Paper]\n");
    EXPECT_EQ(profileSaveFor(report, empty).path, profilePath);
    EXPECT_EQ(profileSaveFor(report, paper).warning, "");
    EXPECT_EQ(profileSaveFor(sameName, paper).path, "");
    EXPECT_EQ(profileSaveFor(sameName, paper).warning, warning);
    EXPECT_EQ(profileSaveFor(sameName, empty).warning, "");
}

}  // namespace
}  // namespace zarvo
