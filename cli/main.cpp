// zarvo-render: draws reports without a window, into preview images, a PDF
// print job or a trace, through the same engine and page composition as the
// desktop program.

#include <QGuiApplication>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>

#include "calibration/CalibrationSheet.h"
#include "cli/RenderOptions.h"
#include "engine/PageFileName.h"
#include "layout/model/Millimetres.h"
#include "platform/Messages.h"
#include "platform/cups/CupsSpooler.h"
#include "platform/os/DataRoot.h"
#include "platform/qt/PdfSpooler.h"
#include "platform/qt/PreviewImage.h"
#include "platform/recording/RecordingSpooler.h"
#include "platform/recording/RecordingSurface.h"
#include "preview/DataFileStem.h"
#include "preview/HeadlessPreview.h"
#include "preview/PageComposer.h"
#include "preview/PageFiles.h"
#include "preview/TestPage.h"
#include "report/ConversionError.h"
#include "report/ReportError.h"
#include "report/TestDataLine.h"

namespace zarvo {
namespace {

constexpr const char* kTracePrinter = "zarvo-render";

// Shows information messages as trace lines, or on standard error.
class LinePresenter : public MessagePresenter {
public:
    LinePresenter(std::ostream* out, const char* prefix) : out_(out), prefix_(prefix) {}
    int present(MessageKind, MessageButtons buttons, const std::string& text) override {
        if (out_) *out_ << prefix_ << text << '\n';
        return buttons == MessageButtons::YesNo ? ResultYes : ResultOk;
    }

private:
    std::ostream* out_;
    const char* prefix_;
};

// Installs a presenter for the life of a scope.
class PresenterScope {
public:
    explicit PresenterScope(MessagePresenter& presenter) { setMessagePresenter(&presenter); }
    ~PresenterScope() { setMessagePresenter(nullptr); }
};

// Deletes the page data files this run wrote, unless they are to be kept.
class WrittenPages {
public:
    WrittenPages(const HeadlessPreview& state, bool keep) : state_(state), keep_(keep) {}
    ~WrittenPages() {
        if (!keep_) removePageFiles(state_.dataFileStem(), state_.lastPage());
    }

private:
    const HeadlessPreview& state_;
    bool keep_;
};

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
std::vector<std::string> pageFiles(const RenderOptions& options, HeadlessPreview& state) {
    if (options.pages) return options.inputs;
    std::vector<std::string> lines;
    if (options.inputs.size() > 1) lines = splitTestDataLines(readWholeFile(options.inputs[1]));
    state.setPreviewMode(1);
    writeTestPage(options.inputs[0], lines);
    return {pageFileName(state.dataFileStem(), 0)};
}

void previewToTrace(const std::vector<std::string>& files, HeadlessPreview& state,
                    CompositionProblems& problems) {
    RecordingSurface surface(std::cout, 114);
    state.setImageSizer([&surface](int width, int height) -> Surface& {
        surface.resize(width, height);
        return surface;
    });
    LinePresenter presenter(&std::cout, "info ");
    PresenterScope scope(presenter);
    for (const std::string& file : files) showPage(state, file, problems);
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

void previewToPng(const std::vector<std::string>& files, HeadlessPreview& state, bool traced,
                  const std::string& pngFile, CompositionProblems& problems) {
    PreviewImage image;
    state.setImageSizer([&image](int width, int height) -> Surface& {
        return image.resize(width, height);
    });
    // Messages go to the trace when there is one; otherwise to standard error.
    LinePresenter presenter(traced ? nullptr : &std::cerr, "info: ");
    PresenterScope scope(presenter);
    for (std::size_t i = 0; i < files.size(); ++i) {
        showPage(state, files[i], problems);
        image.save(numberedFileName(pngFile, i, files.size()));
    }
}

void printWith(Spooler& spooler, const std::string& printer, const std::vector<std::string>& files,
               HeadlessPreview& state, CompositionProblems& problems) {
    state.setPrinter(&spooler, printer);
    // What the printer leaves out is said, sheet by sheet; the print goes on.
    for (const std::string& warning : printSheets(files, problems)) std::cerr << warning << '\n';
}

// Qt's own notices (about the session's runtime directory and the like)
// would mix with the renderer's messages; only its errors are passed on.
void qtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << message.toStdString() << '\n';
}

std::unique_ptr<QGuiApplication> startQt(const RenderOptions& options) {
    if (options.pngFile.empty() && options.pdfFile.empty() && options.printer.empty()) return nullptr;
    // Images and PDF pages need fonts, not a screen.
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
    HeadlessPreview state(newDataFileStem(std::time(nullptr)));
    WrittenPages written(state, options.keep);
    std::vector<std::string> files = pageFiles(options, state);
    CompositionProblems problems;
    if (options.print) {
        state.setPreviewMode(0);
        if (options.trace) {
            RecordingSpooler spooler(std::cout, options.dpi, {{kTracePrinter, true}});
            printWith(spooler, kTracePrinter, files, state, problems);
        }
        if (!options.pdfFile.empty()) {
            PdfSpooler spooler(options.pdfFile);
            printWith(spooler, spooler.printers().front().name, files, state, problems);
        }
        if (!options.printer.empty()) {
            CupsSpooler spooler;
            printWith(spooler, options.printer, files, state, problems);
        }
    } else {
        state.setPreviewMode(1);
        if (options.trace) previewToTrace(files, state, problems);
        if (!options.pngFile.empty()) {
            previewToPng(files, state, options.trace, options.pngFile, problems);
        }
    }
    for (const std::string& problem : problems) std::cerr << problem << '\n';
    return problems.empty() ? 0 : 1;
}

}  // namespace
}  // namespace zarvo

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    std::optional<zarvo::RenderOptions> options = zarvo::parseRenderOptions(args, error);
    if (!options) {
        std::cerr << error << '\n' << zarvo::kRenderUsage;
        return 2;
    }
    try {
        return zarvo::render(*options);
    } catch (const std::exception& failure) {
        std::cout.flush();
        std::cerr << failure.what() << '\n';
        return 1;
    }
}
