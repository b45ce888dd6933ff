#include "cli/RenderOptions.h"

#include <charconv>

namespace zarvo {

const char* const kRenderUsage =
    "用法: zarvo-render [--print] [--trace] [--png FILE] [--pdf FILE] [--printer NAME]\n"
    "                    [--dpi N] [--data-dir DIR] [--keep] REPORT [TESTDATA]\n"
    "      zarvo-render ... --pages PAGE.rpt [PAGE.rpt ...]\n"
    "      zarvo-render --list-printers | --help | --version\n"
    "  --print            列印工作 (全部黑色, 每頁用報表的紙張)\n"
    "  --printer NAME     以系統印表機 NAME 列印 (需要 --print)\n"
    "  --pdf FILE         把列印工作寫成 PDF 檔 (需要 --print)\n"
    "  --png FILE         預覽圖檔\n"
    "  --trace            在標準輸出列出每個繪圖動作\n"
    "  --dpi N            --print --trace 模擬印表機的解析度 (300)\n"
    "  --list-printers    列出系統的印表機, 預設的一台後面加 \" *\"\n";

const char* const kRenderVersion = "zarvo-render 2.1";

namespace {

bool parsePositive(const std::string& text, int& value) {
    auto end = text.data() + text.size();
    auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end && value > 0;
}

// Checks the combination of options; returns an error message or "".
std::string checkCombination(const RenderOptions& o) {
    if (!o.trace && o.pngFile.empty() && o.pdfFile.empty() && o.printer.empty())
        return "請至少指定一種輸出: --trace, --png, --pdf 或 --printer";
    if (o.print && !o.pngFile.empty()) return "--png 只用於預覽, 不能與 --print 一起使用";
    if (!o.print && (!o.pdfFile.empty() || !o.printer.empty()))
        return "--pdf 與 --printer 需要 --print";
    if (o.inputs.empty()) return o.pages ? "--pages 之後需要至少一個資料檔" : "請指定報表檔";
    if (!o.pages && o.inputs.size() > 2) return "只能指定一個報表檔和一個測試資料檔";
    return "";
}

}  // namespace

std::optional<RenderOptions> parseRenderOptions(const std::vector<std::string>& args,
                                                std::string& error) {
    RenderOptions o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size()) {
                error = arg + " 需要一個參數";
                return false;
            }
            into = args[++i];
            return true;
        };
        std::string dpiText;
        if (arg == "--help") o.help = true;
        else if (arg == "--version") o.version = true;
        else if (arg == "--list-printers") o.listPrinters = true;
        else if (arg == "--print") o.print = true;
        else if (arg == "--trace") o.trace = true;
        else if (arg == "--keep") o.keep = true;
        else if (arg == "--pages") o.pages = true;
        else if (arg == "--png") { if (!value(o.pngFile)) return std::nullopt; }
        else if (arg == "--pdf") { if (!value(o.pdfFile)) return std::nullopt; }
        else if (arg == "--printer") { if (!value(o.printer)) return std::nullopt; }
        else if (arg == "--data-dir") { if (!value(o.dataDir)) return std::nullopt; }
        else if (arg == "--dpi") {
            if (!value(dpiText)) return std::nullopt;
            if (!parsePositive(dpiText, o.dpi)) {
                error = "--dpi 需要正整數, 而不是 '" + dpiText + "'";
                return std::nullopt;
            }
        } else if (arg.size() > 1 && arg.starts_with("-")) {
            error = "不明的選項: " + arg;
            return std::nullopt;
        } else {
            o.inputs.push_back(arg);
        }
    }
    // These three draw nothing, so nothing else on the line matters.
    if (o.help || o.version || o.listPrinters) return o;
    error = checkCombination(o);
    if (!error.empty()) return std::nullopt;
    return o;
}

}  // namespace zarvo
