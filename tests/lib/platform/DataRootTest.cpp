// The per-user data root.

#include "platform/os/DataRoot.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "report/ReportError.h"
#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

class DataRootTest : public ::testing::Test {
protected:
    DataRootTest() {
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        if (old) saved = old;
        setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
    }
    ~DataRootTest() override {
        if (saved.empty()) {
            unsetenv("XDG_RUNTIME_DIR");
        } else {
            setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
        }
    }
    test::TempDir dir;
    std::string saved;
};

TEST_F(DataRootTest, IsCreatedPrivateUnderTheRuntimeDirectory) {
    std::string root = dataRoot();
    EXPECT_EQ(root, (dir.path() / "zarvo").string());
    struct stat info {};
    ASSERT_EQ(stat(root.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(dataRoot(), root);  // an existing root of ours is taken as it is
}

TEST_F(DataRootTest, ASymlinkedRootIsRefused) {
    std::filesystem::create_directory(dir.path() / "elsewhere");
    std::filesystem::create_directory_symlink(dir.path() / "elsewhere", dir.path() / "zarvo");
    EXPECT_THROW(dataRoot(), ReportError);
}

TEST_F(DataRootTest, AFileInThePlaceOfTheRootIsRefused) {
    dir.write("zarvo", "not a directory");
    EXPECT_THROW(dataRoot(), ReportError);
}

TEST_F(DataRootTest, TheOverrideWinsUntilCleared) {
    setDataRootOverride("/somewhere/else");
    EXPECT_EQ(dataRoot(), "/somewhere/else");
    setDataRootOverride("");
    EXPECT_EQ(dataRoot(), (dir.path() / "zarvo").string());
}

}  // namespace
}  // namespace zarvo
