#include "calibration/CalibrationSheet.h"

#include <cmath>
#include <cstdio>
#include <memory>

#include "engine/XPrint.h"
#include "compose/PageComposer.h"
#include "report/Big5.h"
#include "report/ProfilePaper.h"
#include "report/ReportError.h"

namespace zarvo {

namespace {

const std::string kSheetName = "校正頁";
// Half the length of a cross's arms, mm.
constexpr double kArmMm = 6;
// Character height of the sheet's texts and of the rulers' numbers, mm.
constexpr double kTextMm = 3;
constexpr double kNumberMm = 2.2;

std::string decimal(double value, int digits) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", digits, value);
    return text;
}

// A caption token in Big5: blanks and characters Big5 cannot hold become
// "?", since a caption is one whitespace-free token of the report.
std::string captionToken(const std::string& utf8) {
    std::string token;
    for (char32_t c : utf8Decode(utf8).value_or(U"?")) {
        const std::optional<std::string> bytes = c > U' ' ? utf8ToBig5(utf8Encode(std::u32string(1, c))) : std::nullopt;
        token += bytes.value_or("?");
    }
    return token;
}

class ReportText {
public:
    void line(double x1, double y1, double x2, double y2) {
        lines_ += "0\t0\t" + decimal(x1, 1) + '\t' + decimal(y1, 1) + '\t' + decimal(x2, 1) + '\t' +
                  decimal(y2, 1) + "\t\r\n";
        ++lineCount_;
    }
    void caption(double left, double top, double width, double height, const std::string& utf8) {
        captions_ += "0\t" + decimal(left, 1) + '\t' + decimal(top, 1) + '\t' + decimal(width, 1) + '\t' +
                     decimal(height, 1) + "\t0\t0\t0\t0\t" + decimal(height > 3.5 ? kTextMm : kNumberMm, 1) +
                     "\t0\t0\t" + captionToken(utf8) + "\r\n";
        ++captionCount_;
    }
    std::string text(int paperCode) const {
        return std::to_string(paperCode) + "\t0\t0\r\nLINE_INFO\t" + std::to_string(lineCount_) + "\r\n" + lines_ +
               "LABEL_STRING\t" + std::to_string(captionCount_) + "\r\n" + captions_ + "BLOCK_INFO\t0\r\n";
    }

private:
    std::string lines_;
    std::string captions_;
    int lineCount_ = 0;
    int captionCount_ = 0;
};

double tickLength(int mm) { return mm % 10 == 0 ? 5 : mm % 5 == 0 ? 3.5 : 2; }

// Millimetre rulers along the top and left edges of the printable area,
// numbered every 10 mm where the number fits inside it.
void rulers(ReportText& report, const CalibrationLayout& layout) {
    constexpr double kNumberWidthMm = 9;
    report.line(0, 0, layout.widthMm, 0);
    report.line(0, 0, 0, layout.heightMm);
    for (int mm = 1; mm <= int(layout.widthMm); ++mm) {
        report.line(mm, 0, mm, tickLength(mm));
        if (mm % 10 == 0 && mm + 0.5 + kNumberWidthMm <= layout.widthMm) {
            report.caption(mm + 0.5, 3, kNumberWidthMm, 3, std::to_string(mm));
        }
    }
    for (int mm = 1; mm <= int(layout.heightMm); ++mm) {
        report.line(0, mm, tickLength(mm), mm);
        if (mm % 10 == 0 && mm + 3.5 <= layout.heightMm) report.caption(3, mm + 0.5, kNumberWidthMm, 3, std::to_string(mm));
    }
}

// A cross centred at (x, y) from the printable corner, with the distances
// from the sheet's edges at which its centre should land.
void cross(ReportText& report, const CalibrationLayout& layout, const char* name, double x, double y,
           double captionLeft, double captionTop) {
    report.line(x - kArmMm, y, x + kArmMm, y);
    report.line(x, y - kArmMm, x, y + kArmMm);
    report.caption(captionLeft, captionTop, 120, 4,
                   std::string(name) + "：中心距紙張左緣" + decimal(layout.margins.left + x, 1) + "mm，上緣" +
                       decimal(layout.margins.top + y, 1) + "mm");
}

std::string paperName(const Paper& paper) {
    switch (paper.size) {
    case PaperSize::A4: return "A4（210×297mm）直式";
    case PaperSize::JisB4: return "B4（257×364mm）直式";
    case PaperSize::A3: return "A3（297×420mm）直式";
    case PaperSize::Custom: break;
    }
    return paperSizeLabel(paper.widthMm(), paper.heightMm());
}

// The profile that gives the sheet its paper: a custom paper's [Paper].
std::shared_ptr<const FormProfile> sheetProfile(const SheetPaper& paper) {
    FormProfile profile;
    setProfilePaper(profile, paperForCode(paper.code) ? std::nullopt : paper.custom);
    return std::make_shared<const FormProfile>(std::move(profile));
}

}  // namespace

bool isCalibrationPaper(const SheetPaper& paper) {
    const std::optional<Paper> sheet = paperFor(paper);
    return paper.code == 0 || paper.code == 3 || paper.code == 4 || (sheet && sheet->size == PaperSize::Custom);
}

CalibrationLayout calibrationLayout(const SheetPaper& sheet, const SheetMargins& margins) {
    const Paper paper = paperFor(sheet).value_or(Paper{});
    return CalibrationLayout{sheet, paper, margins, paper.widthMm() - margins.left - margins.right,
                             paper.heightMm() - margins.top - margins.bottom};
}

std::string calibrationReport(const CalibrationLayout& layout, const CalibrationInfo& info) {
    ReportText report;
    rulers(report, layout);
    cross(report, layout, "A", layout.ax(), layout.ay(), layout.ax() + 3, layout.ay() + 2);
    cross(report, layout, "B", layout.bx(), layout.by(), layout.bx() - 123, layout.by() - 7);
    const SheetMargins& m = layout.margins;
    const PrinterCorrection& c = info.correction;
    const std::string lines[] = {
        "印表機校正頁",
        "印表機：" + info.printerName,
        "紙張：" + paperName(layout.paper) + "，解析度：" + std::to_string(info.dpi) + "dpi",
        "邊界：左" + decimal(m.left, 1) + "mm，上" + decimal(m.top, 1) + "mm，右" + decimal(m.right, 1) + "mm，下" +
            decimal(m.bottom, 1) + "mm",
        "目前的校正值：dx" + decimal(c.dx, 1) + "mm，dy" + decimal(c.dy, 1) + "mm，sx" + decimal(c.sx, 2) + "%，sy" +
            decimal(c.sy, 2) + "%",
        "請以尺量出A、B兩個十字中心距紙張左緣與上緣的距離，",
        "填入「印表機校正」視窗。",
    };
    double top = 40;
    for (const std::string& text : lines) {
        report.caption(30, top, 160, 4.5, text);
        top += 6;
    }
    return report.text(layout.sheet.code);
}

PrintedCalibration printCalibrationSheet(Spooler& spooler, const std::string& printerName, const SheetPaper& paper) {
    if (!isCalibrationPaper(paper)) throw ReportError("校正頁只能印在 A4、B4 或 A3 直式紙張或自訂紙張上");
    const std::optional<SheetMargins> margins = spooler.sheetMargins(printerName, paper);
    if (!margins) throw ReportError("無法取得印表機「" + printerName + "」這種紙張的邊界, 無法列印校正頁");
    const CalibrationLayout layout = calibrationLayout(paper, *margins);
    std::unique_ptr<PrintJob> job = spooler.startJob(printerName, kSheetName, paper);
    const CalibrationInfo info{printerName, job->dotsPerInch(),
                               PrinterCorrections().correction(currentPrintServer(), printerName)};
    XPrint engine;
    engine.setProfile(sheetProfile(paper));
    engine.LoadBytes(calibrationReport(layout, info), kSheetName);
    engine.dpi = info.dpi;
    engine.surface = &job->surface();
    drawForm(engine);
    if (!engine.problem().empty()) throw ReportError(engine.problem());
    job->finish();
    return {layout, PrintReceipt{printerName, 1, job->jobIds(), job->sheetWarnings()}};
}

}  // namespace zarvo
