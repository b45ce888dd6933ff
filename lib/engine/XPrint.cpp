#include "engine/XPrint.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "engine/FormProfileFile.h"
#include "report/ProfilePaper.h"
#include "report/ReportError.h"
#include "report/Units.h"

namespace zarvo {

namespace {

constexpr int kPreviewSide = 1633;

// Edge of the square preview image for a sheet's paper: A3 gets 2000, a
// custom paper 1633 when its longer side fits, else the smallest side that
// holds it. A code outside 0..5 without one gets the A4 image, the
// printer's default paper, so the form is still shown.
int previewSide(const SheetPaper& paper) {
    if (paper.code == 4 || paper.code == 5) return 2000;
    const std::optional<Paper> sheet = paperFor(paper);
    if (!sheet || sheet->size != PaperSize::Custom) return kPreviewSide;
    const double longer = std::max(sheet->widthMm(), sheet->heightMm());
    return std::max(kPreviewSide, static_cast<int>(std::ceil(mmToDots(longer, kPreviewDpi))));
}

}  // namespace

XPrint::XPrint(RenderContext context) : context_(std::move(context)) {}

XPrint::XPrint(const std::string& path, RenderContext context) : context_(std::move(context)) { openReport(path); }

XPrint::~XPrint() {
    // A job ends with its engine. When the engine goes away because an error
    // is unwinding the print, the unfinished job is dropped instead, so no
    // half-composed output is handed to the printer or written to a file.
    if (!job || std::uncaught_exceptions() > 0) return;
    try {
        job->finish();
    } catch (...) {
        // Nothing can be reported from here; callers that need to know call
        // EndJob() before destruction.
    }
}

void XPrint::openReport(const std::string& path) {
    // The same report again (one sheet after another) keeps its profile.
    if (profileFor_.empty() || profileFor_ != path) {
        profile = formProfileBeside(path);
        profileFor_ = path;
    }
    reportPath = path;
    report = std::make_unique<ReportReader>(path);
    readHead();
}

void XPrint::LoadBytes(std::string bytes, const std::string& name) {
    profileFor_.clear();
    reportPath = name;
    report = std::make_unique<ReportReader>(std::move(bytes), name);
    readHead();
}

void XPrint::readHead() {
    ReportHeader header = report->readHeader();
    size = header.size;
    xoffset = header.xoffset;
    yoffset = header.yoffset;
    pxoffset = header.pxoffset;
    pyoffset = header.pyoffset;
    lineCount = report->readKeywordLine().value_or(0);
}

void XPrint::Load(const std::string& path) { openReport(path); }

void XPrint::setProfile(std::shared_ptr<const FormProfile> formProfile) {
    profileFor_.clear();
    profile = formProfile ? std::move(formProfile) : std::make_shared<const FormProfile>();
}

SheetPaper XPrint::sheetPaper() const {
    if (paperForCode(size)) return SheetPaper(size);
    return SheetPaper(size, profilePaper(*profile));
}

void XPrint::Reset() {
    report.reset();
    blocks.clear();
    blockIndex_.clear();
    blockIndexed_ = false;
    blockCount = 0;
}

const std::string& XPrint::problem() const {
    static const std::string none;
    return report ? report->problem() : none;
}

Rgb XPrint::formColor() const { return context_.screen() ? kRed : kBlack; }

void XPrint::AttachPreview() {
    if (!context_.image) throw ReportError("沒有預覽視窗, 無法顯示");
    dpi = kPreviewDpi;
    valueFaults_.clear();
    onContextImage_ = true;
    const std::string& printer = context_.printer;
    screenSymbolDpi = printer.empty() || !context_.spooler ? kScreenSymbolDpi
                                                           : symbolDpiOf(context_.spooler->dotsPerInch(printer));
    const int side = previewSide(sheetPaper());
    surface = &context_.image(side, side);
}

void XPrint::BeginJob() {
    if (!context_.spooler) throw ReportError("沒有預覽視窗, 無法列印");
    job = context_.spooler->startJob(context_.printer, reportPath, sheetPaper());
    jobPrinter = context_.printer;
    jobSheets = 1;
    valueFaults_.clear();
    onContextImage_ = false;
    surface = &job->surface();
    dpi = job->dotsPerInch();
}

void XPrint::NextSheet() {
    if (!job) {
        BeginJob();
        return;
    }
    job->nextSheet(sheetPaper());
    ++jobSheets;
    valueFaults_.clear();
    surface = &job->surface();
}

PrintReceipt XPrint::EndJob() {
    if (!job) return {};
    std::unique_ptr<PrintJob> ending = std::move(job);
    surface = nullptr;
    ending->finish();
    return {jobPrinter, jobSheets, ending->jobIds(), ending->sheetWarnings()};
}

void XPrint::DrawLines() {
    if (!report) return;
    const bool preview = context_.screen();
    for (int i = 0; i < lineCount; ++i) {
        std::optional<LineRow> row = report->readLineRow();
        if (!row) return;
        // Positions are summed in millimetres first, then converted.
        float x1 = row->x1 + xoffset, x2 = row->x2 + xoffset;
        float y1 = row->y1 + yoffset, y2 = row->y2 + yoffset;
        if (preview) {
            x1 += pxoffset;
            x2 += pxoffset;
            y1 += pyoffset;
            y2 += pyoffset;
        }
        DrawLine(mmToDevice(x1, dpi), mmToDevice(y1, dpi), mmToDevice(x2, dpi),
                 mmToDevice(y2, dpi), row->style, row->width);
    }
}

void XPrint::DrawLine(int x1, int y1, int x2, int y2, int style, int width) {
    if (!surface) return;
    // Heavy lines are 1/55 inch, whatever the device.
    int penWidth = width >= 3 ? dpi / 55 : width;
    surface->drawLine(x1, y1, x2, y2, Pen{style, penWidth, formColor()});
}

}  // namespace zarvo
