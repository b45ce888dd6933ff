// The service's log: what it says of requests and jobs, what it never
// says, and that it stays within its size.

#include <gtest/gtest.h>

#include <filesystem>

#include "service/ServiceLog.h"
#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

TEST(ServiceLog, SaysWhatHappenedWithoutSecretsOrValuesAndRotates) {
    test::TempDir dir;
    const std::string path = (dir.path() / "state/service.log").string();
    ServiceLog log(path, 400, 2);
    log.request({"POST", "/v1/jobs?token=abc", {{"authorization", "Bearer s3cret"}, {"origin", "https://erp.example"}},
                 R"({"records": [{"customer": "王小明"}]})"},
                202);
    JobRecord job;
    job.id = "00000000000000aa";
    job.form = "delivery_note";
    job.printer = "Office";
    job.state = JobState::Failed;
    job.message = "第 2 筆資料, 欄位「total」: 「12a」不是金額";
    log.job(job);
    const std::string text = test::TempDir::read(path);
    EXPECT_NE(text.find("POST /v1/jobs 202 https://erp.example\n"), std::string::npos) << text;
    EXPECT_NE(text.find("job 00000000000000aa delivery_note Office failed 第 2 筆資料, 欄位「…」: 「…」不是金額\n"),
              std::string::npos)
        << text;
    for (const char* secret : {"s3cret", "abc", "王小明", "12a"}) EXPECT_EQ(text.find(secret), std::string::npos) << secret;
    for (int i = 0; i < 40; ++i) log.note("line " + std::to_string(i));
    EXPECT_TRUE(std::filesystem::exists(path + ".1"));
    EXPECT_TRUE(std::filesystem::exists(path + ".2"));
    EXPECT_FALSE(std::filesystem::exists(path + ".3"));
    EXPECT_LE(std::filesystem::file_size(path), 400u + 64u);
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

}  // namespace
}  // namespace zarvo
