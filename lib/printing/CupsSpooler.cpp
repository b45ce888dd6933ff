#include "printing/CupsSpooler.h"

#include <cups/cups.h>
#include <cups/ppd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <deque>
#include <map>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <vector>

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QTemporaryFile>
#include <QTransform>

#include "platform/Messages.h"
#include "platform/Paper.h"
#include "printing/FormPlacement.h"
#include "printing/JobOptions.h"
#include "printing/MediaChoice.h"
#include "painting/PdfPages.h"
#include "report/ReportError.h"
#include "report/Units.h"

namespace zarvo {

namespace {

// The resolution of a queue that reports none.
constexpr int kFallbackDpi = 300;
// How long a check for a running print service may take, milliseconds.
constexpr int kConnectTimeoutMs = 3000;
constexpr qint64 kChunkBytes = 64 * 1024;

[[noreturn]] void fail(const std::string& printer, const std::string& why) {
    throw ReportError("印表機「" + printer + "」無法列印: " + why);
}

bool serviceRuns() {
    http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                kConnectTimeoutMs, nullptr);
    if (!http) return false;
    httpClose(http);
    return true;
}

QueuedJobState queuedJobState(int ippState) {
    switch (ippState) {
    case IPP_JSTATE_PENDING: return QueuedJobState::Pending;
    case IPP_JSTATE_HELD: return QueuedJobState::Held;
    case IPP_JSTATE_PROCESSING: return QueuedJobState::Processing;
    case IPP_JSTATE_STOPPED: return QueuedJobState::Stopped;
    case IPP_JSTATE_CANCELED: return QueuedJobState::Cancelled;
    case IPP_JSTATE_ABORTED: return QueuedJobState::Aborted;
    case IPP_JSTATE_COMPLETED: return QueuedJobState::Completed;
    default: return QueuedJobState::Missing;
    }
}

// CUPS's jobs of one Get-Jobs (which: CUPS_WHICHJOBS_*); nullopt when
// CUPS cannot be reached.
std::optional<std::vector<QueuedJob>> listJobs(int which) {
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, which);
    if (count < 0 || (count == 0 && cupsLastError() > IPP_STATUS_OK_CONFLICTING)) return std::nullopt;
    std::vector<QueuedJob> listed;
    for (int i = 0; i < count; ++i) {
        QueuedJob job;
        job.id = jobs[i].id;
        job.state = queuedJobState(jobs[i].state);
        job.name = jobs[i].title ? jobs[i].title : "";
        job.created = jobs[i].creation_time;
        job.kilobytes = jobs[i].size;
        listed.push_back(std::move(job));
    }
    cupsFreeJobs(count, jobs);
    return listed;
}

// Why a job stands as it does: the printer's last message about it, else
// its state's reasons.
std::string jobReason(ipp_t* response) {
    if (ipp_attribute_t* message = ippFindAttribute(response, "job-printer-state-message", IPP_TAG_TEXT)) {
        if (const char* text = ippGetString(message, 0, nullptr); text && *text) return text;
    }
    std::string reasons;
    ipp_attribute_t* attr = ippFindAttribute(response, "job-state-reasons", IPP_TAG_KEYWORD);
    for (int i = 0; attr && i < ippGetCount(attr); ++i) {
        const char* reason = ippGetString(attr, i, nullptr);
        if (!reason || std::string_view(reason) == "none") continue;
        reasons += (reasons.empty() ? "" : ", ") + std::string(reason);
    }
    return reasons;
}

// One job of CUPS, from Get-Job-Attributes; nullopt when CUPS cannot be
// reached, Missing when it has no such job.
std::optional<QueuedJob> jobAttributes(int id) {
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0, "/jobs/%d", id);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    static const char* const wanted[] = {"job-state",        "job-state-reasons", "job-printer-state-message",
                                         "job-name",         "time-at-creation",  "job-k-octets"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", int(std::size(wanted)),
                  nullptr, wanted);
    ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
    if (!response) return std::nullopt;
    QueuedJob job;
    job.id = id;
    if (ippGetStatusCode(response) <= IPP_STATUS_OK_CONFLICTING) {
        ipp_attribute_t* state = ippFindAttribute(response, "job-state", IPP_TAG_ENUM);
        job.state = state ? queuedJobState(ippGetInteger(state, 0)) : QueuedJobState::Missing;
        if (ipp_attribute_t* name = ippFindAttribute(response, "job-name", IPP_TAG_NAME)) {
            job.name = ippGetString(name, 0, nullptr);
        }
        if (ipp_attribute_t* created = ippFindAttribute(response, "time-at-creation", IPP_TAG_INTEGER)) {
            job.created = ippGetInteger(created, 0);
        }
        if (ipp_attribute_t* size = ippFindAttribute(response, "job-k-octets", IPP_TAG_INTEGER)) {
            job.kilobytes = ippGetInteger(size, 0);
        }
        job.reason = jobReason(response);
    } else if (ippGetStatusCode(response) != IPP_STATUS_ERROR_NOT_FOUND) {
        ippDelete(response);
        return std::nullopt;
    }
    ippDelete(response);
    return job;
}

// The destinations CUPS reports, "name/instance" for an instance.
std::vector<PrinterInfo> destinations() {
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    std::vector<PrinterInfo> printers;
    for (int i = 0; i < count; ++i) {
        std::string name = dests[i].name;
        if (dests[i].instance) name += std::string("/") + dests[i].instance;
        printers.push_back({name, dests[i].is_default != 0});
    }
    cupsFreeDests(count, dests);
    return printers;
}

// libcups makes up an instance that nobody defined; such a name is unknown.
bool instanceDefined(const std::string& printerName) {
    const std::vector<PrinterInfo> known = destinations();
    return std::any_of(known.begin(), known.end(),
                       [&](const PrinterInfo& p) { return p.name == printerName; });
}

constexpr double kMmPerPoint = kMmPerInch / 72;

// A media entry's margins (hundredths of a millimetre) in millimetres.
SheetMargins marginsOf(const cups_size_t& media) {
    return SheetMargins{media.left / 100.0, media.top / 100.0, media.right / 100.0,
                        media.bottom / 100.0};
}

// The sizes a PPD takes as custom paper (*CustomPageSize, with the ranges
// of *ParamCustomPageSize) and its margins there (*HWMargins); nullopt
// when it takes none. The PPD interface is the only one that tells them:
// the print service reports neither the hardware margins nor, for a long
// continuous paper, a usable maximum length.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
std::optional<CustomSizeRange> ppdCustomRange(const char* ppdFile) {
    ppd_file_t* ppd = ppdOpenFile(ppdFile);
    if (!ppd) return std::nullopt;
    std::optional<CustomSizeRange> range;
    if (ppd->variable_sizes && ppd->custom_max[0] > 0 && ppd->custom_max[1] > 0) {
        const float* m = ppd->custom_margins;  // left, bottom, right, top
        range = CustomSizeRange{ppd->custom_min[0] * kMmPerPoint, ppd->custom_min[1] * kMmPerPoint,
                                ppd->custom_max[0] * kMmPerPoint, ppd->custom_max[1] * kMmPerPoint,
                                SheetMargins{m[0] * kMmPerPoint, m[3] * kMmPerPoint, m[2] * kMmPerPoint,
                                             m[1] * kMmPerPoint}};
    }
    ppdClose(ppd);
    return range;
}
#pragma GCC diagnostic pop

// A chosen paper: the media asked for (none: the queue's default), its
// margins and the portrait page drawn for it.
struct ChosenMedia {
    std::optional<std::string> name;
    SheetMargins margins;
    QPageSize pageSize;
};

// A CUPS destination and its details, held for the life of a job.
class Destination {
public:
    // Looks up "name" or "name/instance"; throws ReportError when it cannot.
    explicit Destination(const std::string& printerName) : printerName_(printerName) {
        const std::size_t slash = printerName.find('/');
        const std::string name = printerName.substr(0, slash);
        const std::string instance = slash == std::string::npos ? "" : printerName.substr(slash + 1);
        dest_ = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.c_str(),
                                 instance.empty() ? nullptr : instance.c_str());
        if (!dest_ && !serviceRuns()) fail(printerName, "列印服務 (CUPS) 沒有執行");
        if (!dest_ || (!instance.empty() && !instanceDefined(printerName))) {
            throw ReportError("找不到印表機「" + printerName + "」, 無法列印");
        }
        info_ = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest_);
        if (!info_) fail(printerName, std::string("無法取得印表機的設定 (") + cupsLastErrorString() + ")");
    }
    ~Destination() {
        if (info_) cupsFreeDestInfo(info_);
        if (dest_) cupsFreeDests(1, dest_);
    }
    Destination(const Destination&) = delete;
    Destination& operator=(const Destination&) = delete;

    cups_dest_t* dest() const { return dest_; }
    cups_dinfo_t* info() const { return info_; }
    const std::string& printerName() const { return printerName_; }

    // The queue's default horizontal resolution in dots per inch.
    int dotsPerInch() const {
        ipp_attribute_t* attr = cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest_, info_, "printer-resolution");
        if (!attr || ippGetValueTag(attr) != IPP_TAG_RESOLUTION) return kFallbackDpi;
        int vertical = 0;
        ipp_res_t units = IPP_RES_PER_INCH;
        const int horizontal = ippGetResolution(attr, 0, &vertical, &units);
        const int dpi = units == IPP_RES_PER_CM ? static_cast<int>(std::lround(horizontal * 2.54))
                                                 : horizontal;
        return dpi > 0 ? dpi : kFallbackDpi;
    }

    // The size and margins of a paper (the default media when none); throws
    // ReportError when the queue does not have it.
    cups_size_t media(std::optional<PaperSize> size) const {
        cups_size_t found{};
        const bool ok = size ? cupsGetDestMediaByName(CUPS_HTTP_DEFAULT, dest_, info_,
                                                      mediaName(*size), CUPS_MEDIA_FLAGS_DEFAULT, &found)
                             : cupsGetDestMediaDefault(CUPS_HTTP_DEFAULT, dest_, info_,
                                                       CUPS_MEDIA_FLAGS_DEFAULT, &found);
        if (!ok || found.width <= 0 || found.length <= 0) {
            fail(printerName_, size ? std::string("沒有 ") + paperLabel(*size) + " 紙張"
                                    : std::string("無法取得預設紙張"));
        }
        return found;
    }

    // The media for a sheet's paper: a known size by its name, the default
    // media for a code without a paper, a custom paper as chooseMedia finds
    // it among the queue's media and custom sizes. Throws ReportError when
    // the queue does not have it.
    ChosenMedia mediaFor(const SheetPaper& sheet) const {
        const std::optional<Paper> paper = paperFor(sheet);
        if (!paper) {
            const cups_size_t found = media(std::nullopt);
            return {std::nullopt, marginsOf(found),
                    QPageSize(QSizeF(found.width / 100.0, found.length / 100.0), QPageSize::Millimeter)};
        }
        if (paper->size != PaperSize::Custom) {
            // Known papers take Qt's sizes, which are those of the usual PPDs.
            return {mediaName(paper->size), marginsOf(media(paper->size)), portraitPageSize(*paper)};
        }
        const double width = paper->customWidthMm;
        const double height = paper->customHeightMm;
        const std::optional<QueueMedia> chosen = chooseMedia(width, height, listedMedia(), customRange());
        if (!chosen) {
            throw ReportError("印表機 " + printerName_ + " 沒有 " + paperSizeLabel(width, height) + " 的紙張");
        }
        return {chosen->name, chosen->margins, portraitPageSize(*paper)};
    }

    // The destination's own options: its instance's and the user's.
    std::vector<JobOption> options() const {
        std::vector<JobOption> options;
        for (int i = 0; i < dest_->num_options; ++i) {
            options.emplace_back(dest_->options[i].name, dest_->options[i].value);
        }
        return options;
    }

    // Every media the queue lists, portrait.
    std::vector<QueueMedia> listedMedia() const {
        std::vector<QueueMedia> listed;
        const int count = cupsGetDestMediaCount(CUPS_HTTP_DEFAULT, dest_, info_, CUPS_MEDIA_FLAGS_DEFAULT);
        for (int i = 0; i < count; ++i) {
            cups_size_t size{};
            if (!cupsGetDestMediaByIndex(CUPS_HTTP_DEFAULT, dest_, info_, i, CUPS_MEDIA_FLAGS_DEFAULT, &size) ||
                size.width <= 0 || size.length <= 0) {
                continue;
            }
            listed.push_back({size.media, size.width / 100.0, size.length / 100.0, marginsOf(size)});
        }
        return listed;
    }

private:
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    // The custom sizes the queue's PPD takes; nullopt for a queue without
    // a PPD or one that takes none. Read once per destination.
    const std::optional<CustomSizeRange>& customRange() const {
        if (!customRange_) customRange_ = readCustomRange();
        return *customRange_;
    }

    std::optional<CustomSizeRange> readCustomRange() const {
        char file[1024] = "";
        time_t modified = 0;
        if (cupsGetPPD3(CUPS_HTTP_DEFAULT, dest_->name, &modified, file, sizeof file) != HTTP_STATUS_OK) {
            if (file[0]) unlink(file);
            return std::nullopt;
        }
        std::optional<CustomSizeRange> range = ppdCustomRange(file);
        unlink(file);
        return range;
    }
#pragma GCC diagnostic pop

    static const char* paperLabel(PaperSize size) {
        switch (size) {
        case PaperSize::A4: return "A4";
        case PaperSize::JisB4: return "B4";
        case PaperSize::A3: return "A3";
        case PaperSize::Custom: break;
        }
        return "A4";
    }

    std::string printerName_;
    cups_dest_t* dest_ = nullptr;
    cups_dinfo_t* info_ = nullptr;
    mutable std::optional<std::optional<CustomSizeRange>> customRange_;
};

// A portrait page of a queue's paper, with the placement of a form on it
// (the printer's correction included) and its printable margins.
struct SheetLayout {
    QPageLayout page;
    QTransform placement;
    SheetMargins margins;
    double widthMm = 0;
    double heightMm = 0;
};

// Consecutive sheets with one paper: PDF pages in a temporary file, which
// goes to CUPS as one job.
struct Run {
    std::optional<std::string> media;  // none: the queue's default media
    QTemporaryFile file;
    std::optional<PdfPages> pages;
};

SheetLayout sheetLayout(const ChosenMedia& media, bool landscape, int dpi, const PrinterCorrection& correction) {
    SheetLayout layout{QPageLayout(media.pageSize, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)), {},
                       media.margins};
    // The PDF page is as wide and tall as its whole number of points.
    layout.widthMm = layout.page.fullRectPoints().width() * kMmPerInch / 72.0;
    layout.heightMm = layout.page.fullRectPoints().height() * kMmPerInch / 72.0;
    const FormPlacement place = placeForm(landscape, layout.margins, layout.heightMm, dpi);
    layout.placement.translate(place.x, place.y);
    if (place.turned) layout.placement.rotate(-90);
    // The printer's own correction moves what lands on the page, after the
    // form is placed and turned.
    const PageCorrection page = pageCorrection(correction, layout.margins, dpi);
    layout.placement *= QTransform(page.xx, 0, 0, page.yy, page.x0, page.y0);
    return layout;
}

class CupsJob : public PrintJob {
public:
    CupsJob(std::unique_ptr<Destination> destination, const std::string& title, const SheetPaper& paper,
            const PrinterCorrection& correction)
        : destination_(std::move(destination)),
          title_(title),
          dpi_(destination_->dotsPerInch()),
          correction_(correction) {
        startSheet(paper);
    }

    ~CupsJob() override {
        // Unfinished: the temporary files go, nothing reaches CUPS.
        for (Run& run : runs_) {
            if (run.pages && run.pages->isActive()) run.pages->end();
        }
    }

    Surface& surface() override { return runs_.back().pages->surface(); }
    int dotsPerInch() const override { return dpi_; }
    void nextSheet(const SheetPaper& paper) override { startSheet(paper); }

    std::vector<std::string> sheetWarnings() const override { return warnings_; }
    std::vector<int> jobIds() const override { return submitted_; }
    int jobsToHandOver() const override { return int(runs_.size()); }

    void finish() override {
        if (finished_) return;
        finished_ = true;
        checkInk();
        endRun();
        std::vector<int> submitted;
        try {
            for (Run& run : runs_) submit(run, submitted);
        } catch (...) {
            // All or nothing: what this print already handed over is withdrawn.
            for (int id : submitted) {
                cupsCancelDestJob(CUPS_HTTP_DEFAULT, destination_->dest(), id);
            }
            throw;
        }
        submitted_ = std::move(submitted);
    }

private:
    const std::string& printer() const { return destination_->printerName(); }

    void startSheet(const SheetPaper& sheetPaper) {
        const std::optional<Paper> paper = paperFor(sheetPaper);
        const ChosenMedia media = destination_->mediaFor(sheetPaper);
        if (!runs_.empty()) checkInk();
        const SheetLayout layout = sheetLayout(media, paper && paper->landscape, dpi_, correction_);
        sheet_ = layout;
        ++sheetNumber_;
        // A run is one media: one size of paper.
        if (!runs_.empty() && runs_.back().media == media.name) {
            runs_.back().pages->newPage(layout.page);
            checkSize(runs_.back());
        } else {
            if (!runs_.empty()) endRun();
            beginRun(media.name, layout.page);
        }
        runs_.back().pages->placeOrigin(layout.placement);
    }

    // Notes how far the sheet just drawn reaches beyond the printable area,
    // where the printer leaves it out.
    void checkInk() {
        QtSurface& surface = runs_.back().pages->surface();
        const QRect ink = surface.inkBounds();
        surface.resetInkBounds();
        if (ink.isEmpty()) return;
        const QRectF onPage = sheet_.placement.mapRect(QRectF(ink));
        const Overrun beyond = overrun(onPage.left(), onPage.top(), onPage.right(), onPage.bottom(), sheet_.margins,
                                       sheet_.widthMm, sheet_.heightMm, dpi_);
        const std::string message = overrunMessage(sheetNumber_, beyond);
        if (!message.empty()) warnings_.push_back(message);
    }

    void beginRun(const std::optional<std::string>& media, const QPageLayout& page) {
        Run& run = runs_.emplace_back();
        run.media = media;
        if (!run.file.open()) fail(printer(), "無法建立暫存檔 (" + run.file.errorString().toStdString() + ")");
        run.pages.emplace(run.file, dpi_, title_);
        if (!run.pages->begin(page)) fail(printer(), "無法產生列印資料");
    }

    void endRun() {
        Run& run = runs_.back();
        const bool ended = run.pages->end();
        checkSize(run);
        if (!ended || !run.file.flush()) fail(printer(), "無法寫入暫存檔, 磁碟空間可能不足");
    }

    // Stops the job as soon as a run's PDF grows too large to be written right.
    void checkSize(const Run& run) const {
        if (run.pages->tooLarge()) fail(printer(), "列印資料超過 2 GB, 無法寫入");
    }

    // Hands one run to CUPS as a PDF document; its job id joins submitted
    // as soon as CUPS has made the job, so that a failure can withdraw it.
    void submit(Run& run, std::vector<int>& submitted) {
        cups_option_t* options = nullptr;
        int count = 0;
        for (const JobOption& option : jobOptions(destination_->options(), run.media)) {
            count = cupsAddOption(option.first.c_str(), option.second.c_str(), count, &options);
        }
        cups_dest_t* dest = destination_->dest();
        cups_dinfo_t* info = destination_->info();
        int id = 0;
        const ipp_status_t created =
            cupsCreateDestJob(CUPS_HTTP_DEFAULT, dest, info, &id, title_.c_str(), count, options);
        cupsFreeOptions(count, options);
        if (created > IPP_STATUS_OK_CONFLICTING || id <= 0) refused();
        submitted.push_back(id);

        if (cupsStartDestDocument(CUPS_HTTP_DEFAULT, dest, info, id, title_.c_str(), CUPS_FORMAT_PDF,
                                  0, nullptr, 1) != HTTP_STATUS_CONTINUE) {
            refused();
        }
        bool written = run.file.seek(0);
        while (written && !run.file.atEnd()) {
            const QByteArray chunk = run.file.read(kChunkBytes);
            written = !chunk.isEmpty() &&
                      cupsWriteRequestData(CUPS_HTTP_DEFAULT, chunk.constData(),
                                           static_cast<size_t>(chunk.size())) == HTTP_STATUS_CONTINUE;
        }
        // The request is closed either way, so that its job can be withdrawn.
        const ipp_status_t done = cupsFinishDestDocument(CUPS_HTTP_DEFAULT, dest, info);
        if (!written || done > IPP_STATUS_OK_CONFLICTING) refused();
    }

    [[noreturn]] void refused() const {
        fail(printer(), std::string("列印服務拒絕了列印工作 (") + cupsLastErrorString() + ")");
    }

    std::unique_ptr<Destination> destination_;
    std::string title_;
    int dpi_;
    PrinterCorrection correction_;
    SheetLayout sheet_;  // of the sheet being drawn
    long long sheetNumber_ = 0;
    std::vector<std::string> warnings_;
    std::vector<int> submitted_;  // the CUPS jobs of a finished print
    // Runs never move once made: their files are open.
    std::deque<Run> runs_;
    bool finished_ = false;
};

}  // namespace

std::vector<PrinterInfo> CupsSpooler::printers() { return destinations(); }

std::optional<SheetMargins> CupsSpooler::sheetMargins(const std::string& printerName, const SheetPaper& sheetPaper) {
    try {
        return Destination(printerName).mediaFor(sheetPaper).margins;
    } catch (const ReportError&) {
        return std::nullopt;
    }
}

std::optional<std::pair<double, double>> CupsSpooler::defaultPaperMm(const std::string& printerName) {
    try {
        const cups_size_t media = Destination(printerName).media(std::nullopt);
        const double width = media.width / 100.0;
        const double length = media.length / 100.0;
        return std::pair{std::min(width, length), std::max(width, length)};
    } catch (const ReportError&) {
        return std::nullopt;
    }
}

std::optional<int> CupsSpooler::dotsPerInch(const std::string& printerName) {
    try {
        return Destination(printerName).dotsPerInch();
    } catch (const ReportError&) {
        return std::nullopt;
    }
}

std::vector<std::string> CupsSpooler::mediaNames(const std::string& printerName) {
    try {
        std::vector<std::string> names;
        for (const QueueMedia& media : Destination(printerName).listedMedia()) names.push_back(media.name);
        return names;
    } catch (const ReportError&) {
        return {};
    }
}

PrinterReadiness CupsSpooler::readiness(const std::string& printerName) {
    const std::size_t slash = printerName.find('/');
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, printerName.substr(0, slash).c_str(), nullptr);
    if (!dest) return serviceRuns() ? PrinterReadiness::Missing : PrinterReadiness::ServiceDown;
    const char* accepting = cupsGetOption("printer-is-accepting-jobs", dest->num_options, dest->options);
    const char* state = cupsGetOption("printer-state", dest->num_options, dest->options);
    PrinterReadiness readiness = PrinterReadiness::Ready;
    if (accepting && std::string_view(accepting) == "false") {
        readiness = PrinterReadiness::NotAccepting;
    } else if (state && std::atoi(state) == IPP_PSTATE_STOPPED) {
        readiness = PrinterReadiness::Stopped;
    }
    cupsFreeDests(1, dest);
    if (slash != std::string::npos && !instanceDefined(printerName)) return PrinterReadiness::Missing;
    return readiness;
}

std::optional<std::vector<QueuedJob>> CupsSpooler::queuedJobs(const std::vector<int>& ids) {
    // Most followed jobs are still to print: one listing answers for them,
    // and only those that have left it are asked after one by one.
    const std::optional<std::vector<QueuedJob>> active = listJobs(CUPS_WHICHJOBS_ACTIVE);
    if (!active) return std::nullopt;
    std::map<int, const QueuedJob*> byId;
    for (const QueuedJob& job : *active) byId[job.id] = &job;
    std::vector<QueuedJob> found;
    for (int id : ids) {
        if (const auto listed = byId.find(id); listed != byId.end()) {
            found.push_back(*listed->second);
            continue;
        }
        std::optional<QueuedJob> ended = jobAttributes(id);
        if (!ended) return std::nullopt;
        found.push_back(std::move(*ended));
    }
    return found;
}

std::optional<std::vector<QueuedJob>> CupsSpooler::allQueuedJobs() { return listJobs(CUPS_WHICHJOBS_ALL); }

bool CupsSpooler::cancelQueuedJob(int id) {
    return cupsCancelJob2(CUPS_HTTP_DEFAULT, nullptr, id, 0) <= IPP_STATUS_OK_CONFLICTING;
}

std::unique_ptr<PrintJob> CupsSpooler::startJob(const std::string& printerName,
                                                const std::string& documentName, const SheetPaper& paper) {
    auto destination = std::make_unique<Destination>(printerName);
    std::string problem;
    const PrinterCorrection correction =
        PrinterCorrections().correction(currentPrintServer(), printerName, &problem);
    // A damaged corrections file is said once per run; printing goes on uncorrected.
    static std::atomic<bool> problemShown{false};
    if (!problem.empty() && !problemShown.exchange(true)) {
        ShowWarning("%s", problem.c_str());
    }
    return std::make_unique<CupsJob>(std::move(destination), documentName, paper, correction);
}

}  // namespace zarvo
