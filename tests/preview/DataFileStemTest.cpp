#include "preview/DataFileStem.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/os/DataRoot.h"
#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

TEST(DataFileStemTest, TakesTheNextFreeSecond) {
    test::TempDir dir;
    setDataRootOverride(dir.path().string());
    std::filesystem::create_directories(dir.path() / "QEL/Tmp");
    dir.write("QEL/Tmp/10000.rpt", "taken\r\n");
    EXPECT_EQ(newDataFileStem(1000), "/QEL/Tmp/1001");
    EXPECT_EQ(newDataFileStem(1001), "/QEL/Tmp/1001");
    setDataRootOverride("");
}

// A data root that cannot be used must not keep a window from being made:
// the error belongs to the first page written.
TEST(DataFileStemTest, UnusableDataRootStillGivesAStem) {
    test::TempDir dir;
    std::filesystem::create_directory_symlink("/", dir.path() / "zarvo");
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    std::string previous = saved ? saved : "";
    setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
    EXPECT_ANY_THROW(dataRoot());
    EXPECT_EQ(newDataFileStem(42), "/QEL/Tmp/42");
    if (saved) setenv("XDG_RUNTIME_DIR", previous.c_str(), 1); else unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
}  // namespace zarvo
