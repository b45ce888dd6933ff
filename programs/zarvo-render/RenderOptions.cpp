#include "zarvo-render/RenderOptions.h"

#include <charconv>
#include <string_view>

namespace zarvo {

const char* const kRenderUsage =
    "用法: zarvo-render [--print] [--trace] [--png FILE] [--pdf FILE] [--printer NAME]\n"
    "                    [--dpi N] [--data-dir DIR] [--keep] REPORT [TESTDATA]\n"
    "      zarvo-render ... --pages PAGE.rpt [PAGE.rpt ...]\n"
    "      zarvo-render ... --data FILE [--records A-B] REPORT\n"
    "      zarvo-render ... --database [--database-name NAME] [--param K=V ...] [--records A-B] REPORT\n"
    "      zarvo-render --print --pdf FILE --stationery [--printer-origin NAME] ...\n"
    "      zarvo-render --print --printer NAME --calibration-page [--paper CODE]\n"
    "      zarvo-render --calibration PRINTER | --calibrate PRINTER DX DY SX SY | --calibrate PRINTER reset\n"
    "      zarvo-render --list-printers | --help | --version\n"
    "  --print            列印工作 (全部黑色, 每頁用報表的紙張)\n"
    "  --printer NAME     以系統印表機 NAME 列印 (需要 --print)\n"
    "  --pdf FILE         把列印工作寫成 PDF 檔 (需要 --print)\n"
    "  --stationery       PDF 每頁先畫報表的底圖 (需要 --pdf)\n"
    "  --printer-origin N 含底圖時表格從印表機 N 的可列印範圍左上角起 (預設: 紙張左上角)\n"
    "  --png FILE         預覽圖檔\n"
    "  --trace            在標準輸出列出每個繪圖動作\n"
    "  --dpi N            --print --trace 模擬印表機的解析度 (300)\n"
    "  --list-printers    列出系統的印表機, 預設的一台後面加 \" *\"\n"
    "  --data FILE        資料檔 (.csv, .json, .jsonl) 的每一筆資料印成一頁\n"
    "  --records A-B      只取第 A 到第 B 筆資料 (--records A: 只取第 A 筆)\n"
    "  --database         表單設定檔 [Database] 查詢到的每一筆資料印成一頁\n"
    "  --database-name N  改用 [Database N] (需要 --database)\n"
    "  --param K=V        查詢的參數 :K 的值 (可以給多次)\n"
    "  --calibration-page 在 --printer 印出校正頁; --paper 0 (A4), 3 (B4) 或 4 (A3)\n"
    "  --calibration P    印表機 P 目前的校正值: dx dy (mm) sx sy (%)\n"
    "  --calibrate P ...  保存印表機 P 的校正值 DX DY SX SY, 或以 reset 取消\n";

const char* const kRenderVersion = "zarvo-render 2.1";

namespace {

bool parseNumber(const std::string& text, int& value) {
    auto end = text.data() + text.size();
    auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

bool parsePositive(const std::string& text, int& value) { return parseNumber(text, value) && value > 0; }

// "A-B" or "A", 1 <= A <= B.
std::optional<std::pair<std::int64_t, std::int64_t>> parseRecordRange(const std::string& text) {
    const std::size_t dash = text.find('-');
    const auto number = [](std::string_view part) -> std::optional<std::int64_t> {
        std::int64_t value = 0;
        const auto end = part.data() + part.size();
        const auto result = std::from_chars(part.data(), end, value);
        if (result.ec != std::errc() || result.ptr != end || value < 1) return std::nullopt;
        return value;
    };
    const std::optional<std::int64_t> first = number(std::string_view(text).substr(0, dash));
    const std::optional<std::int64_t> last =
        dash == std::string::npos ? first : number(std::string_view(text).substr(dash + 1));
    if (!first || !last || *last < *first) return std::nullopt;
    return std::pair{*first, *last};
}

// Checks the combination of options; returns an error message or "".
std::string checkCombination(const RenderOptions& o) {
    if (o.calibrationPage) {
        if (!o.print || o.printer.empty()) return "--calibration-page 需要 --print --printer NAME";
        if (!o.inputs.empty() || o.trace || !o.pdfFile.empty()) return "--calibration-page 只印校正頁, 不能指定報表或其他輸出";
        if (o.paper != 0 && o.paper != 3 && o.paper != 4) return "--paper 只能是 0 (A4), 3 (B4) 或 4 (A3)";
        return "";
    }
    if (!o.trace && o.pngFile.empty() && o.pdfFile.empty() && o.printer.empty())
        return "請至少指定一種輸出: --trace, --png, --pdf 或 --printer";
    if (o.print && !o.pngFile.empty()) return "--png 只用於預覽, 不能與 --print 一起使用";
    if (!o.print && (!o.pdfFile.empty() || !o.printer.empty()))
        return "--pdf 與 --printer 需要 --print";
    if (o.inputs.empty()) return o.pages ? "--pages 之後需要至少一個資料檔" : "請指定報表檔";
    if (!o.dataFile.empty() && (o.pages || o.inputs.size() != 1)) return "--data 只能配一個報表檔";
    if (o.database && !o.dataFile.empty()) return "--database 與 --data 只能用一個";
    if (o.database && (o.pages || o.inputs.size() != 1)) return "--database 只能配一個報表檔";
    if (!o.databaseName.empty() && !o.database) return "--database-name 需要 --database";
    if (!o.params.empty() && !o.database) return "--param 需要 --database";
    if (o.records && o.dataFile.empty() && !o.database) return "--records 需要 --data 或 --database";
    if (o.stationery && o.pdfFile.empty()) return "--stationery 需要 --pdf";
    if (!o.printerOrigin.empty() && !o.stationery) return "--printer-origin 需要 --stationery";
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
        std::string paperText;
        if (arg == "--help") o.help = true;
        else if (arg == "--calibration") { if (!value(o.calibrationOf)) return std::nullopt; }
        else if (arg == "--calibration-page") o.calibrationPage = true;
        else if (arg == "--data") { if (!value(o.dataFile)) return std::nullopt; }
        else if (arg == "--database") o.database = true;
        else if (arg == "--database-name") { if (!value(o.databaseName)) return std::nullopt; }
        else if (arg == "--param") {
            std::string text;
            if (!value(text)) return std::nullopt;
            const std::size_t equals = text.find('=');
            if (equals == std::string::npos || equals == 0 || (equals == 1 && text[0] == ':')) {
                error = "--param 需要 名稱=值, 而不是 '" + text + "'";
                return std::nullopt;
            }
            o.params.emplace_back(text.substr(text[0] == ':' ? 1 : 0, equals - (text[0] == ':' ? 1 : 0)),
                                  text.substr(equals + 1));
        }
        else if (arg == "--records") {
            std::string range;
            if (!value(range)) return std::nullopt;
            o.records = parseRecordRange(range);
            if (!o.records) {
                error = "--records 需要 A-B 或 A (從 1 起算的筆數), 而不是 '" + range + "'";
                return std::nullopt;
            }
        }
        else if (arg == "--paper") {
            if (!value(paperText)) return std::nullopt;
            if (paperText.size() != 1 || !parseNumber(paperText, o.paper)) {
                error = "--paper 需要紙張代碼, 而不是 '" + paperText + "'";
                return std::nullopt;
            }
        } else if (arg == "--calibrate") {
            // The values follow the printer whatever they look like: a
            // shift may well be negative.
            if (!value(o.calibratePrinter)) return std::nullopt;
            const std::size_t count = i + 1 < args.size() && args[i + 1] == "reset" ? 1 : 4;
            if (i + count >= args.size()) {
                error = "--calibrate 需要印表機名稱和 DX DY SX SY 四個值, 或 reset";
                return std::nullopt;
            }
            o.calibrateValues.assign(args.begin() + long(i) + 1, args.begin() + long(i + count) + 1);
            i += count;
        }
        else if (arg == "--version") o.version = true;
        else if (arg == "--list-printers") o.listPrinters = true;
        else if (arg == "--print") o.print = true;
        else if (arg == "--trace") o.trace = true;
        else if (arg == "--keep") o.keep = true;
        else if (arg == "--pages") o.pages = true;
        else if (arg == "--png") { if (!value(o.pngFile)) return std::nullopt; }
        else if (arg == "--pdf") { if (!value(o.pdfFile)) return std::nullopt; }
        else if (arg == "--stationery") o.stationery = true;
        else if (arg == "--printer-origin") { if (!value(o.printerOrigin)) return std::nullopt; }
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
    // These draw nothing, so nothing else on the line matters.
    if (o.drawsNoReport()) return o;
    error = checkCombination(o);
    if (!error.empty()) return std::nullopt;
    return o;
}

}  // namespace zarvo
