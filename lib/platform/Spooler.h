#pragma once
// Printers and print jobs: what stands in for the printer spooler and the
// printer device context. Every sheet of a job has its own paper.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Paper.h"
#include "platform/Surface.h"

namespace zarvo {

struct PrinterInfo {
    std::string name;  // UTF-8, as the system names it
    bool isDefault = false;
};

// The printable margins of a portrait sheet, millimetres.
struct SheetMargins {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
};

// The margins of a landscape form lying turned on its portrait sheet, its
// top along the sheet's left edge: its left margin is the sheet's bottom
// one, its top the sheet's left, its right the sheet's top, its bottom the
// sheet's right.
inline SheetMargins landscapeMargins(const SheetMargins& portrait) {
    return SheetMargins{portrait.bottom, portrait.left, portrait.top, portrait.right};
}

// One print job, open on its current sheet.
class PrintJob {
public:
    virtual ~PrintJob() = default;

    // The current sheet's surface; valid until the next nextSheet() or finish().
    virtual Surface& surface() = 0;

    // The device's dots per inch (horizontal, used for both axes).
    virtual int dotsPerInch() const = 0;

    // Whether the device has whole pixels that a barcode's modules must be
    // made of (a printer); false for a vector output such as a PDF file,
    // where a module takes its width exactly.
    virtual bool wholePixels() const { return true; }

    // Ends the current sheet and opens the next on paper (a report's size
    // code, or the profile's custom paper; a code outside 0..5 without one
    // keeps the printer's default).
    virtual void nextSheet(const SheetPaper& paper) = 0;

    // Ends the last sheet and the job and hands it over. Throws ReportError
    // when the output cannot be completed; nothing half-written remains.
    virtual void finish() = 0;

    // What the printer will leave out, one message (UTF-8) per sheet whose
    // drawing reaches beyond its printable area; complete once finish()
    // has returned.
    virtual std::vector<std::string> sheetWarnings() const { return {}; }

    // The print service's ids of the jobs this print went out as, in sheet
    // order (one per run of sheets on the same paper); complete once
    // finish() has returned. Empty for outputs that make no such jobs.
    virtual std::vector<int> jobIds() const { return {}; }
};

class Spooler {
public:
    virtual ~Spooler() = default;

    // The system's printers in the system's order, the default marked.
    virtual std::vector<PrinterInfo> printers() = 0;

    // Starts a job on the named printer with its first sheet open on paper.
    // documentName: UTF-8. Throws ReportError when the printer does not
    // exist, does not have the paper, or the job cannot be started.
    virtual std::unique_ptr<PrintJob> startJob(const std::string& printerName,
                                               const std::string& documentName, const SheetPaper& paper) = 0;

    // The margins of the named printer for the portrait sheet of paper (its
    // default paper for a code outside 0..5 without a custom paper); nullopt
    // when the printer or the paper is not known. Printers whose margins are
    // not known print from the sheet's corner.
    virtual std::optional<SheetMargins> sheetMargins(const std::string& printerName, const SheetPaper& paper) {
        (void)printerName;
        (void)paper;
        return std::nullopt;
    }

    // The named printer's resolution, dots per inch; nullopt when it is not
    // known.
    virtual std::optional<int> dotsPerInch(const std::string& printerName) {
        (void)printerName;
        return std::nullopt;
    }

    // The names of the papers the named printer lists ("iso_a4_210x297mm"),
    // in its order; empty when it is not known or lists none.
    virtual std::vector<std::string> mediaNames(const std::string& printerName) {
        (void)printerName;
        return {};
    }

    // The size of the named printer's default paper, portrait, millimetres
    // (width, height); nullopt when it is not known.
    virtual std::optional<std::pair<double, double>> defaultPaperMm(const std::string& printerName) {
        (void)printerName;
        return std::nullopt;
    }
};

}  // namespace zarvo
