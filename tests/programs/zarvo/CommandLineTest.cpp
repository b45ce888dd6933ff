// zarvo --help, --version and --guide print and end without a display; an unknown
// option or a second report is an error, never a file to open.

#include <gtest/gtest.h>

#include <string>

#include "tests/common/Command.h"
#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

TEST(DesignerCommandLineTest, HelpAndVersionPrintAndEndWhileMistakesAreRefused) {
    struct Case {
        const char* args;
        int status;
        const char* out;  // what standard output starts with
        const char* err;  // what standard error starts with
    };
    const Case cases[] = {
        {"--help", 0, "用法: zarvo [報表檔]\n", ""},
        {"--version", 0, "zarvo 2.1\n", ""},
        // Run from the build, the guide is the source tree's.
        {"--guide", 0, ZARVO_SOURCE_DIR "/docs/guide/index.md\n", ""},
        {"--helpp", 2, "", "zarvo: 不明的選項 --helpp\n用法: zarvo"},
        {"-x a.txt", 2, "", "zarvo: 不明的選項 -x\n"},
        {"a.txt b.txt", 2, "", "zarvo: 一次只能開啟一個報表, 多出的是 b.txt\n"},
    };
    test::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        // No display: anything that tried to open a window would fail.
        const test::CommandResult result =
            test::runCommand("env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb " + std::string(ZARVO_DESIGNER) +
                                 " " + c.args,
                             dir);
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_EQ(result.out.rfind(c.out, 0), 0u) << result.out;
        EXPECT_EQ(result.err.rfind(c.err, 0), 0u) << result.err;
    }
}

}  // namespace
}  // namespace zarvo
