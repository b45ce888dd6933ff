#include "document/TestDataFileName.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

TEST(TestDataFileNameTest, TheReportsNameWithDataBeforeItsExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"/forms/delivery_note.txt", "/forms/delivery_note_data.txt"},
        {"/forms/receipt", "/forms/receipt_data"},
        {"/forms.v2/a.b.TXT", "/forms.v2/a.b_data.TXT"},
        {"", ""},
    };
    for (const auto& [report, data] : cases)
        EXPECT_EQ(testDataFileFor(QString::fromUtf8(report)), QString::fromUtf8(data)) << report;
}

TEST(TestDataFileNameTest, TheSameFileThroughALinkOrARelativePath) {
    test::TempDir dir;
    const QString report = QString::fromStdString(dir.write("r.txt", "0\t0\t0\r\n"));
    const std::filesystem::path link = dir.path() / "link.txt";
    std::filesystem::create_symlink(report.toStdString(), link);
    EXPECT_TRUE(isSameFile(report, QString::fromStdString(link.string())));
    EXPECT_TRUE(isSameFile(report, QString::fromStdString((dir.path() / "sub" / ".." / "r.txt").string())));
    EXPECT_FALSE(isSameFile(report, QString::fromStdString((dir.path() / "r_data.txt").string())));
}

}  // namespace
}  // namespace zarvo
