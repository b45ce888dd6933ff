// The [Watch NAME] sections of service.conf: what is watched, and each
// fault named with its line.

#include <gtest/gtest.h>

#include "report/ReportError.h"
#include "service/ServiceFiles.h"

namespace zarvo {
namespace {

TEST(WatchConfig, ReadsEachWatchedFolderAndNamesTheLineOfAFault) {
    struct Case {
        const char* text;
        std::vector<std::string> folders;  // "NAME folder printer"
        const char* fault;                 // what the error says after the file's name; empty: none
    } cases[] = {
        {"port=8700\n", {}, ""},
        {"[Watch 出貨單]\nfolder=/srv/出貨單/\nprinter=Office\n[Watch b]\nfolder=/srv/./b\n",
         {"出貨單 /srv/出貨單 Office", "b /srv/b "}, ""},
        {"[Watched]\nfolder=rel\n", {}, ""},
        {"[Watch a]\nfolder=inbox\n", {}, "第 2 行: 監看的資料夾必須是完整路徑"},
        {"[Watch a]\nfolder=/in\ncopies=2\n", {}, "第 3 行: [Watch a] 不認得「copies」"},
        {"[Watch a]\nprinter=Office\n", {}, "第 1 行: [Watch a] 缺少要監看的資料夾"},
        {"[Watch a]\nfolder=\n", {}, "第 2 行: [Watch a] 缺少要監看的資料夾"},
        {"[Watch]\nfolder=/in\n", {}, "第 1 行: 監看資料夾的段落需要名稱"},
        {"[Watch a]\nfolder=/in\n\n[Watch b]\nfolder=/in/\n", {}, "第 5 行: 資料夾 /in 已由第 2 行的 [Watch a] 監看"},
        {"[Watch a]\nfolder=\"/in\n", {}, "第 2 行: [Watch a] 的 folder= 值無法讀取"},
    };
    for (const Case& c : cases) {
        try {
            const ServiceConfig config = parseServiceConfig(c.text, "/x/service.conf");
            std::vector<std::string> folders;
            for (const WatchedFolder& watched : config.watchedFolders) {
                folders.push_back(watched.name + " " + watched.folder + " " + watched.printer);
            }
            EXPECT_EQ(folders, c.folders) << c.text;
            EXPECT_STREQ(c.fault, "") << c.text;
        } catch (const ReportError& error) {
            EXPECT_NE(std::string(c.fault), "") << c.text << error.what();
            EXPECT_EQ(std::string(error.what()).rfind(std::string("設定檔 /x/service.conf ") + c.fault, 0), 0u)
                << c.text << error.what();
        }
    }
}

}  // namespace
}  // namespace zarvo
