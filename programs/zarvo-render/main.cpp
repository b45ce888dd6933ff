// zarvo-render: draws reports without a window, into preview images, a PDF
// print job or a trace, through the same engine and page composition as the
// desktop program.

#include <QFile>
#include <QGuiApplication>
#include <QHashSeed>

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>

#include "picture/PictureDecoder.h"
#include "calibration/CalibrationSheet.h"
#include "zarvo-render/RenderOptions.h"
#include "engine/PageFileName.h"
#include "layoutmodel/Millimetres.h"
#include "stationery/StationerySettings.h"
#include "stationery/StationeryUnderlay.h"
#include "printing/CupsSpooler.h"
#include "platform/os/DataRoot.h"
#include "painting/PdfSpooler.h"
#include "painting/PreviewImage.h"
#include "platform/recording/RecordingSpooler.h"
#include "platform/recording/RecordingSurface.h"
#include "compose/DataFileStem.h"
#include "compose/DataPages.h"
#include "compose/PageComposer.h"
#include "compose/PageFiles.h"
#include "compose/StreamedPages.h"
#include "compose/TestPage.h"
#include "database/DatabaseOrigin.h"
#include "engine/FormProfileFile.h"
#include "report/ConversionError.h"
#include "report/PageDataFile.h"
#include "report/ReportError.h"
#include "report/TestDataLine.h"
#include "report/Units.h"

namespace zarvo {
namespace {

constexpr const char* kTracePrinter = "zarvo-render";

// Sends information messages to out as lines after prefix; nowhere for no out.
std::function<void(const std::string&)> messageLines(std::ostream* out, const char* prefix) {
    if (!out) return {};
    return [out, prefix](const std::string& text) { *out << prefix << text << '\n'; };
}

std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ReportError("無法開啟測試資料檔: " + path);
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) throw ReportError("無法讀取測試資料檔: " + path);
    return text.str();
}

// The page files to compose: the given ones, or the one page written from
// REPORT and TESTDATA as the designer's preview writes it.
std::vector<std::string> pageFiles(const RenderOptions& options, PageSequence& written) {
    if (options.pages) return options.inputs;
    std::vector<std::string> lines;
    if (options.inputs.size() > 1) lines = splitTestDataLines(readWholeFile(options.inputs[1]));
    writeTestPage(written, options.inputs[0], lines);
    return {pageFileName(written.stem(), 0)};
}

void previewToTrace(const PageSource& pages, CompositionProblems& problems, const std::string& notice) {
    RecordingSurface surface(std::cout, kPreviewDpi);
    RenderContext screen = screenContext(
        [&surface](int width, int height) -> Surface& {
            surface.resize(width, height);
            return surface;
        },
        messageLines(&std::cout, "info "));
    screen.pictureFolder = pages.pictureFolder;
    if (!notice.empty()) screen.info(notice);
    for (std::int64_t i = 0; i < pages.count; ++i) showPage(screen, pages.file(i), problems);
}

// FILE for one page; FILE with "-1", "-2", ... before its extension for the
// pages of several.
std::string numberedFileName(const std::string& file, std::size_t index, std::size_t count) {
    if (count <= 1) return file;
    std::filesystem::path path(file);
    std::string numbered = path.stem().string() + "-" + std::to_string(index + 1) +
                           path.extension().string();
    return (path.parent_path() / numbered).string();
}

void previewToPng(const PageSource& pages, bool traced, const std::string& pngFile, CompositionProblems& problems,
                  const std::string& notice) {
    PreviewImage image;
    // Messages go to the trace when there is one; otherwise to standard error.
    RenderContext screen =
        screenContext([&image](int width, int height) -> Surface& { return image.resize(width, height); },
                      messageLines(traced ? nullptr : &std::cerr, "info: "));
    screen.pictureFolder = pages.pictureFolder;
    if (!notice.empty() && screen.info) screen.info(notice);
    for (std::int64_t i = 0; i < pages.count; ++i) {
        showPage(screen, pages.file(i), problems);
        image.save(numberedFileName(pngFile, std::size_t(i), std::size_t(pages.count)));
    }
}

// The signal that asked the print under way to stop; 0 while none has.
std::atomic<int> stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");

extern "C" void askToStop(int signal) { stopSignal = signal; }

// While it lives, SIGINT and SIGTERM ask the print to stop instead of ending
// the program; afterwards they do what they did before.
class StopSignals {
public:
    StopSignals() {
        stopSignal = 0;
        catchSignal(SIGINT, previousInt_);
        catchSignal(SIGTERM, previousTerm_);
    }
    ~StopSignals() {
        sigaction(SIGINT, &previousInt_, nullptr);
        sigaction(SIGTERM, &previousTerm_, nullptr);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
    static void catchSignal(int signal, struct sigaction& previous) {
        struct sigaction action {};
        action.sa_handler = askToStop;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, &previous);
    }

    struct sigaction previousInt_ {};
    struct sigaction previousTerm_ {};
};

// "列印 N / M 頁" on standard error when it is a terminal, rewritten in place
// at most four times a second and ended with a line break.
class ProgressLine {
public:
    ProgressLine() : shown_(isatty(STDERR_FILENO) == 1) {}
    ~ProgressLine() {
        if (written_) std::cerr << '\n';
    }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // After done of total sheets; false once a signal asked the print to stop.
    bool update(std::int64_t done, std::int64_t total) {
        const auto now = std::chrono::steady_clock::now();
        if (shown_ && (done == total || now - lastWritten_ >= std::chrono::milliseconds(250))) {
            std::cerr << "\r列印 " << done << " / " << total << " 頁" << std::flush;
            lastWritten_ = now;
            written_ = true;
        }
        return stopSignal == 0;
    }

private:
    bool shown_;
    bool written_ = false;
    std::chrono::steady_clock::time_point lastWritten_ = std::chrono::steady_clock::now();
};

// Prints pages as printSheets does, showing the progress on a terminal;
// SIGINT or SIGTERM drops the job and throws PrintCancelled.
PrintReceipt printStoppably(const RenderContext& paper, const PageSource& pages, CompositionProblems& problems) {
    const StopSignals stopping;
    ProgressLine line;
    return printSheets(paper, pages.count, pages.file, problems,
                       [&line](std::int64_t done, std::int64_t total) { return line.update(done, total); });
}

// The exit status of a print that a signal stopped: 128 and the signal.
int stoppedStatus() { return 128 + stopSignal; }

void printWith(Spooler& spooler, const std::string& printer, const PageSource& pages, CompositionProblems& problems) {
    RenderContext paper = paperContext(spooler, printer);
    paper.pictureFolder = pages.pictureFolder;
    // What the printer leaves out is said, sheet by sheet; the print goes on.
    for (const std::string& warning : printStoppably(paper, pages, problems).sheetWarnings) {
        std::cerr << warning << '\n';
    }
}

// Qt's own notices (about the session's runtime directory and the like)
// would mix with the renderer's messages; only its errors are passed on.
void qtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << message.toStdString() << '\n';
}

std::unique_ptr<QGuiApplication> startQt(const RenderOptions&) {
    // Images and PDF pages need fonts, not a screen; so does a trace, whose
    // pictures are checked and made as on paper (an SVG's text included).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(qtMessages);
    static int argc = 1;
    static char name[] = "zarvo-render";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

// The system's printers one a line, the default followed by " *".
void listPrinters() {
    CupsSpooler spooler;
    for (const PrinterInfo& printer : spooler.printers()) {
        std::cout << printer.name << (printer.isDefault ? " *" : "") << '\n';
    }
}

// Corrections are kept for the system's printers only: one for a name that
// is not a printer would never be used.
void requirePrinter(const std::string& name) {
    for (const PrinterInfo& printer : CupsSpooler().printers()) {
        if (printer.name == name) return;
    }
    throw ReportError("找不到印表機「" + name + "」");
}

// The correction in force for printer on this print server, one line.
int showCalibration(const std::string& printer) {
    requirePrinter(printer);
    std::string problem;
    const PrinterCorrection correction = PrinterCorrections().correction(currentPrintServer(), printer, &problem);
    if (!problem.empty()) std::cerr << problem << '\n';
    std::cout << formatCorrection(correction) << '\n';
    return 0;
}

// Keeps or removes printer's correction; a removal works also for a
// printer that no longer exists.
int keepCalibration(const RenderOptions& options) {
    PrinterCorrections corrections;
    if (options.calibrateValues.front() == "reset") {
        corrections.removeCorrection(currentPrintServer(), options.calibratePrinter);
        return 0;
    }
    double values[4];
    for (int i = 0; i < 4; ++i) {
        const std::optional<double> value = parseMillimetres(options.calibrateValues[i]);
        if (!value) throw ReportError("校正值必須是數字, 而不是 '" + options.calibrateValues[i] + "'");
        values[i] = *value;
    }
    const PrinterCorrection correction = roundedCorrection({values[0], values[1], values[2], values[3]});
    if (!correctionInRange(correction)) {
        throw ReportError("校正值超出範圍: dx 與 dy 須在 -50 到 50 mm 之間, sx 與 sy 須在 95 到 105 % 之間");
    }
    requirePrinter(options.calibratePrinter);
    corrections.setCorrection(currentPrintServer(), options.calibratePrinter, correction);
    return 0;
}

int printCalibrationPage(const RenderOptions& options) {
    auto qt = startQt(options);
    CupsSpooler spooler;
    printCalibrationSheet(spooler, options.printer, options.paper);
    return 0;
}

// The sheets of --pdf: with --stationery over the stationery of the report
// (of the first page with --pages), the form at the printable corner of
// --printer-origin on printers or, without it, at the sheet's corner. Throws
// ReportError when the report has no stationery that can be drawn.
PdfSheetOptions pdfSheets(const RenderOptions& options, Spooler& printers) {
    if (!options.stationery) return {};
    const std::string report = options.pages ? PageDataReader(options.inputs.front()).reportPath()
                                             : options.inputs.front();
    const QString reportPath = QFile::decodeName(report.c_str());
    QString problem;
    PdfSheetOptions sheets{stationeryUnderlay(reportPath, problem), {}};
    if (!sheets.underlay) {
        throw ReportError(problem.isEmpty() ? "找不到底圖設定檔「" + settingsPathFor(reportPath).toStdString() + "」"
                                            : problem.toStdString());
    }
    if (options.printerOrigin.empty()) return sheets;
    requirePrinter(options.printerOrigin);
    sheets.formOrigin = printerCornerOrigin(printers, options.printerOrigin);
    return sheets;
}

// Every output asked for, of pages; notice (UTF-8) is said before the
// first page of a preview.
int compose(const RenderOptions& options, const PageSource& pages, const std::string& notice) {
    CompositionProblems problems;
    CupsSpooler system;
    if (options.print) {
        if (options.trace) {
            RecordingSpooler spooler(std::cout, options.dpi, {{kTracePrinter, true}});
            printWith(spooler, kTracePrinter, pages, problems);
        }
        if (!options.pdfFile.empty()) {
            PdfSpooler spooler(options.pdfFile, "PDF", pdfSheets(options, system));
            printWith(spooler, spooler.printers().front().name, pages, problems);
        }
        if (!options.printer.empty()) printWith(system, options.printer, pages, problems);
    } else {
        if (options.trace) previewToTrace(pages, problems, notice);
        if (!options.pngFile.empty()) previewToPng(pages, options.trace, options.pngFile, problems, notice);
    }
    for (const std::string& problem : problems) std::cerr << problem << '\n';
    return problems.empty() ? 0 : 1;
}

// The rows of the report's [Database] (or --database-name's section) for
// the --param values.
DataOrigin databaseOriginOf(const RenderOptions& options) {
    const std::string& report = options.inputs.front();
    const DatabaseParameters params(options.params.begin(), options.params.end());
    return databaseOrigin(databaseRequest(report, *formProfileBeside(report), options.databaseName, params));
}

// The records of --records (1-based, both ends taken) as the 0-based first
// and a count; the whole file without it. A range beyond the last record
// is refused, naming how many there are.
std::pair<std::int64_t, std::int64_t> recordRange(const RenderOptions& options, std::int64_t recordCount) {
    if (!options.records) return {0, recordCount};
    const auto [first, last] = *options.records;
    if (last > recordCount) {
        throw ReportError("資料檔只有 " + std::to_string(recordCount) + " 筆資料, 沒有第 " +
                          std::to_string(last) + " 筆");
    }
    return {first - 1, last - first + 1};
}

// The pages of count records (with detail rows: orders) from first, as the
// first page and a count.
std::pair<std::int64_t, std::int64_t> pageRange(const DataPages& data, std::pair<std::int64_t, std::int64_t> records) {
    const std::int64_t firstPage = data.firstPageOf(records.first);
    return {firstPage, data.firstPageOf(records.first + records.second) - firstPage};
}

// REPORT filled from every record of --data or --database (or those of
// --records): every record is checked before anything is drawn.
int renderData(const RenderOptions& options, const DataOrigin& origin, const std::string& stem) {
    DataPages data(options.inputs.front(), origin);
    const auto [first, count] = pageRange(data, recordRange(options, data.orderCount()));
    StreamedPages pages(data, stem, first, count, options.keep);
    const std::string notice = data.unmatchedColumns().empty() ? "" : unmatchedColumnsMessage(data.unmatchedColumns());
    return compose(options, pages.source(), notice);
}

int render(const RenderOptions& options) {
    if (options.help) {
        std::cout << kRenderUsage;
        return 0;
    }
    if (options.version) {
        std::cout << kRenderVersion << '\n';
        return 0;
    }
    if (options.listPrinters) {
        listPrinters();
        return 0;
    }
    if (!options.calibrationOf.empty()) return showCalibration(options.calibrationOf);
    if (!options.calibratePrinter.empty()) return keepCalibration(options);
    if (options.calibrationPage) return printCalibrationPage(options);
    if (!options.dataDir.empty()) setDataRootOverride(options.dataDir);
    auto qt = startQt(options);
    PageSequence written(reserveDataFileStem(std::time(nullptr)));
    const WrittenPages removal(written, options.keep);
    if (!options.dataFile.empty()) return renderData(options, options.dataFile, written.stem());
    if (options.database) return renderData(options, databaseOriginOf(options), written.stem());
    const std::vector<std::string> files = pageFiles(options, written);
    return compose(options, listedPages(files), std::string());
}

}  // namespace
}  // namespace zarvo

int main(int argc, char** argv) {
    // Qt's PDF writer orders its fonts by hash: one seed, the same bytes every run.
    QHashSeed::setDeterministicGlobalSeed();
    // Once, before any thread reads a picture.
    zarvo::limitPictureAllocation();
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    std::optional<zarvo::RenderOptions> options = zarvo::parseRenderOptions(args, error);
    if (!options) {
        std::cerr << error << '\n' << zarvo::kRenderUsage;
        return 2;
    }
    try {
        return zarvo::render(*options);
    } catch (const zarvo::PrintCancelled&) {
        std::cerr << "已取消, 沒有列印也沒有寫入檔案\n";
        return zarvo::stoppedStatus();
    } catch (const std::exception& failure) {
        std::cout.flush();
        std::cerr << failure.what() << '\n';
        return 1;
    }
}
