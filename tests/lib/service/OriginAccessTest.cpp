// Web page origins: how they are compared, and what the person allowed
// kept across restarts in a file of the user's alone.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <thread>

#include "report/ReportError.h"
#include "service/OriginAccess.h"
#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

TEST(CanonicalOrigin, KeepsSchemeHostAndPortOnly) {
    struct Case {
        const char* given;
        std::optional<std::string> canonical;
    } cases[] = {
        {"https://erp.example.com", "https://erp.example.com"},
        {"HTTPS://ERP.Example.COM", "https://erp.example.com"},
        {"https://erp.example.com:443", "https://erp.example.com"},
        {"http://localhost:80", "http://localhost"},
        {"http://localhost:8080", "http://localhost:8080"},
        {"http://[::1]:8080", "http://[::1]:8080"},
        {"null", std::nullopt},
        {"", std::nullopt},
        {"file://", std::nullopt},
        {"ftp://example.com", std::nullopt},
        {"https://erp.example.com/", std::nullopt},
        {"https://user@erp.example.com", std::nullopt},
        {"https://erp.example.com:0", std::nullopt},
        {"https://erp.example.com:99999", std::nullopt},
        {"https://erp example.com", std::nullopt},
        {"https://[::1", std::nullopt},
        {"https://", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(canonicalOrigin(c.given), c.canonical) << c.given;
}

// Answers yes from another thread, as a window would.
class LaterYes : public OriginQuestion {
public:
    ~LaterYes() override {
        for (std::thread& t : threads) t.join();
    }
    void ask(const std::string&, std::function<void(bool)> answer) override {
        threads.emplace_back([answer] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            answer(true);
        });
    }
    std::vector<std::thread> threads;
};

TEST(OriginAccess, WhatThePersonAllowedIsKeptPrivatelyUntilTakenBack) {
    test::TempDir dir;
    const std::string store = (dir.path() / "paired-origins").string();
    const std::string page = "https://shop.example";
    std::string token;
    {
        LaterYes question;
        OriginAccess access({{}, store});
        EXPECT_FALSE(access.pair(page));  // no one to ask
        access.setQuestion(&question);
        token = access.pair(page).value_or("");
        EXPECT_EQ(token.size(), 64u);
    }
    struct stat info {};
    ASSERT_EQ(::stat(store.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    {
        OriginAccess access({{}, store});
        EXPECT_TRUE(access.allowed(page));
        EXPECT_TRUE(access.tokenFits(page, token));
        EXPECT_FALSE(access.tokenFits("https://shop.example:8443", token));
        access.forget(page);
        EXPECT_FALSE(access.tokenFits(page, token));
    }
    EXPECT_FALSE(OriginAccess({{}, store}).allowed(page));
    ::chmod(store.c_str(), 0644);
    EXPECT_THROW(OriginAccess({{}, store}), ReportError);
}

}  // namespace
}  // namespace zarvo
