// The service's settings file and its token.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "report/ReportError.h"
#include "service/ServiceFiles.h"
#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

TEST(ServiceConfig, ReadsThePortAndTheFormsFolders) {
    struct Case {
        const char* text;
        std::optional<int> port;
        std::vector<std::string> folders;
        bool refused;
    } cases[] = {
        {"", std::nullopt, {}, false},
        {"port=8700\n", 8700, {}, false},
        {"port=0\n", std::nullopt, {}, true},
        {"port=65536\n", std::nullopt, {}, true},
        {"port=80a\n", std::nullopt, {}, true},
        {"[Forms]\nfolder=/srv/forms\nfolder2=/home/a/forms\nother=/x\n", std::nullopt, {"/srv/forms", "/home/a/forms"}, false},
        {"[Forms]\nfolder=forms\n", std::nullopt, {}, true},
        {"[Forms]\nfolder=/a\nfolder=/b\n", std::nullopt, {}, true},
        {"port\n", std::nullopt, {}, true},
    };
    for (const Case& c : cases) {
        if (c.refused) {
            EXPECT_THROW(parseServiceConfig(c.text, "service.conf"), ReportError) << c.text;
            continue;
        }
        const ServiceConfig config = parseServiceConfig(c.text, "service.conf");
        EXPECT_EQ(config.port, c.port) << c.text;
        EXPECT_EQ(config.formFolders, c.folders) << c.text;
    }
}

TEST(ServiceToken, IsMadeOnceKeptPrivateAndReplacedOnlyWhenAsked) {
    test::TempDir dir;
    const std::string path = (dir.path() / "zarvo/service.token").string();
    const std::string token = loadServiceToken(path, false);
    EXPECT_EQ(token.size(), 64u);
    EXPECT_EQ(token.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_EQ(test::TempDir::read(path), token + "\n");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(loadServiceToken(path, false), token);

    const std::string renewed = loadServiceToken(path, true);
    EXPECT_NE(renewed, token);
    EXPECT_EQ(loadServiceToken(path, false), renewed);

    for (mode_t mode : {0640, 0604, 0660}) {
        ::chmod(path.c_str(), mode);
        EXPECT_THROW(loadServiceToken(path, false), ReportError) << std::oct << mode;
    }
    ::chmod(path.c_str(), 0600);
    dir.write("zarvo/service.token", "short\n");
    ::chmod(path.c_str(), 0600);
    EXPECT_THROW(loadServiceToken(path, false), ReportError);
}

TEST(SameSecret, IsEqualityWhateverTheLengths) {
    struct Case {
        const char* a;
        const char* b;
        bool same;
    } cases[] = {
        {"abcd", "abcd", true}, {"abce", "abcd", false}, {"abc", "abcd", false},
        {"abcde", "abcd", false}, {"", "abcd", false}, {"", "", true},
    };
    for (const Case& c : cases) EXPECT_EQ(sameSecret(c.a, c.b), c.same) << c.a << " / " << c.b;
}

}  // namespace
}  // namespace zarvo
