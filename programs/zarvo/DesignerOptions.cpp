#include "zarvo/DesignerOptions.h"

namespace zarvo {

const char* const kDesignerUsage =
    "用法: zarvo [報表檔]\n"
    "      zarvo --help | --version | --guide\n"
    "  報表檔      啟動後開啟這個報表 (Big5 文字檔)\n"
    "  --help      顯示這段說明\n"
    "  --version   顯示版本\n"
    "  --guide     顯示使用手冊目錄頁的位置 (F1 開啟的手冊)\n";

const char* const kDesignerVersion = "zarvo 2.1";

std::optional<DesignerOptions> parseDesignerOptions(const std::vector<std::string>& args, std::string& error) {
    DesignerOptions options;
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg == "--help") {
            options.help = true;
        } else if (!optionsEnded && arg == "--version") {
            options.version = true;
        } else if (!optionsEnded && arg == "--guide") {
            options.guide = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            error = "zarvo: 不明的選項 " + arg;
            return std::nullopt;
        } else if (options.report) {
            error = "zarvo: 一次只能開啟一個報表, 多出的是 " + arg;
            return std::nullopt;
        } else {
            options.report = arg;
        }
    }
    return options;
}

}  // namespace zarvo
