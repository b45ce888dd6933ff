#include "document/Big5TextFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#include <gtest/gtest.h>

#include "report/ReportError.h"
#include "tests/common/RecordingPresenter.h"
#include "tests/common/TempDir.h"
#include "tests/common/FileSizeLimit.h"

namespace zarvo {
namespace {

using test::RecordingPresenter;
using test::TempDir;

TEST(Big5TextFileTest, LineBreaksOfEveryKindReadAsOneLineFeed) {
    const struct {
        std::string bytes;
        QString text;
    } cases[] = {
        {"a\r\nb\r\n", QStringLiteral("a\nb\n")},
        {"a\rb\nc\r", QStringLiteral("a\nb\nc\n")},
        {"a\n\r\n\rb", QStringLiteral("a\n\n\nb")},
        {"\r\r\n\n", QStringLiteral("\n\n\n")},
        {"\xA4\xA4\r\n\xFF\r\n", QStringLiteral("中\n") + QString::fromUcs4(U"\U000F00FF") + u'\n'},
    };
    for (const auto& c : cases) EXPECT_EQ(decodeBig5Text(c.bytes), c.text) << c.bytes;
}

TEST(Big5TextFileTest, EncodingWritesCrLfOrNamesTheFirstCharacterBig5Lacks) {
    EXPECT_EQ(std::get<std::string>(encodeBig5Text(QStringLiteral("中\n\tx\n"))), "\xA4\xA4\r\n\tx\r\n");
    const struct {
        QString text;
        char32_t character;
        int line;
    } refused[] = {
        {QStringLiteral("é"), U'é', 1},
        {QStringLiteral("0\t0\t0\nLINE_INFO\n中文 😀 x"), U'😀', 3},
        {QStringLiteral("a\n\n\u00e9\u00e8"), U'\u00e9', 3},
    };
    for (const auto& c : refused) {
        const auto encoded = encodeBig5Text(c.text);
        const auto* bad = std::get_if<UnencodableCharacter>(&encoded);
        ASSERT_NE(bad, nullptr) << c.text.toStdString();
        EXPECT_EQ(bad->character, c.character);
        EXPECT_EQ(bad->line, c.line);
    }
}

TEST(Big5TextFileTest, ACharacterBig5LacksIsReportedAndNothingIsWritten) {
    RecordingPresenter messages;
    TempDir dir;
    const std::string path = dir.write("r.txt", "old");
    EXPECT_FALSE(writeBig5TextFile(QString::fromStdString(path), QStringLiteral("a\nbé")));
    EXPECT_EQ(TempDir::read(path), "old");
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, MessageKind::Warning);
    EXPECT_EQ(messages.shown()[0].text, "第 2 行的字元「é」(U+00E9) 無法以 Big5 儲存, 所以沒有存檔.");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(Big5TextFileTest, AMissingFileIsAnErrorNamingIt) {
    TempDir dir;
    const std::string missing = (dir.path() / "missing.txt").string();
    try {
        readBig5TextFile(QString::fromStdString(missing));
        ADD_FAILURE() << "no error";
    } catch (const ReportError& error) {
        EXPECT_EQ(std::string(error.what()), "找不到檔案:\n\n" + missing);
    }
}

// A write that fails, whether the directory refuses the file or the disk
// fills part way, names the file and leaves the old one whole.
TEST(Big5TextFileTest, AFailedWriteLeavesTheOldFileWhole) {
    const struct {
        const char* name;
        bool lockDirectory;
    } cases[] = {{"disk full", false}, {"directory not writable", true}};
    for (const auto& c : cases) {
        if (c.lockDirectory && geteuid() == 0) continue;  // root writes anywhere
        TempDir dir;
        const std::string old = dir.write("old.txt", "old bytes");
        if (c.lockDirectory) chmod(dir.path().c_str(), 0500);
        try {
            std::optional<test::FileSizeLimit> limit;
            if (!c.lockDirectory) limit.emplace(4);
            writeBig5TextFile(QString::fromStdString(old), QStringLiteral("new and longer text"));
            ADD_FAILURE() << c.name << ": no error";
        } catch (const ReportError& error) {
            EXPECT_EQ(std::string(error.what()),
                      "無法寫入檔案:\n\n" + old + "\n\n" + (c.lockDirectory ? "沒有存取權限" : "檔案太大") +
                          ", 檔案都沒有改變.")
                << c.name;
        }
        chmod(dir.path().c_str(), 0700);
        EXPECT_EQ(TempDir::read(old), "old bytes") << c.name;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << c.name;
    }
}

}  // namespace
}  // namespace zarvo
