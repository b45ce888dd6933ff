#pragma once
// The command line of zarvo-render.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zarvo {

struct RenderOptions {
    bool print = false;         // --print: drawing mode 0, one print job
    bool trace = false;         // --trace on standard output
    std::string pngFile;        // --png FILE
    std::string pdfFile;        // --pdf FILE
    bool stationery = false;    // --stationery: the report's stationery under every sheet of --pdf
    std::string printerOrigin;  // --printer-origin NAME: the form at NAME's printable corner
    std::string printer;        // --printer NAME
    int dpi = 300;              // --dpi N, the simulated printer of --print --trace
    std::string dataDir;        // --data-dir DIR
    bool keep = false;          // --keep: leave the page data files
    bool pages = false;         // --pages: the inputs are page data files
    std::vector<std::string> inputs;  // REPORT [TESTDATA], or the page files
    bool listPrinters = false;  // --list-printers: the system's printers, nothing drawn
    bool help = false;          // --help: the usage, nothing else
    bool version = false;       // --version: the program's name and version
    std::string calibrationOf;  // --calibration PRINTER: its correction, nothing drawn
    std::string calibratePrinter;            // --calibrate PRINTER ...: keeps a correction
    std::vector<std::string> calibrateValues;  // DX DY SX SY, or "reset"
    std::string dataFile;          // --data FILE: one page per record of a CSV or JSON file
    bool database = false;         // --database: one page per row of the form profile's [Database]
    std::string databaseName;      // --database-name NAME: [Database NAME] instead
    std::vector<std::pair<std::string, std::string>> params;  // --param k=v, in order
    // --records A-B or --records A: the records taken (1-based, both ends).
    std::optional<std::pair<std::int64_t, std::int64_t>> records;
    bool calibrationPage = false;  // --calibration-page: the calibration sheet on --printer
    int paper = 0;                 // --paper CODE of the calibration sheet: 0, 3 or 4
    // Whether the options ask for something other than drawing a report.
    bool drawsNoReport() const {
        return help || version || listPrinters || !calibrationOf.empty() || !calibratePrinter.empty();
    }
};

// Parses argv (without the program name). Returns the options, or nullopt
// with error set to a message for the user.
std::optional<RenderOptions> parseRenderOptions(const std::vector<std::string>& args,
                                                std::string& error);

// The invocation summary shown with a usage error and by --help.
extern const char* const kRenderUsage;

// What --version prints.
extern const char* const kRenderVersion;

}  // namespace zarvo
