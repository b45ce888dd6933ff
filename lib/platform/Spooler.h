#pragma once
// Printers and print jobs: what stands in for the printer spooler and the
// printer device context. Every sheet of a job has its own paper.

#include <cstdint>
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

// Whether a printer can be given a job now.
enum class PrinterReadiness {
    Ready,
    ServiceDown,   // the print service cannot be reached
    Missing,       // the print service does not know the printer
    NotAccepting,  // the printer refuses new jobs
    Stopped,       // the printer keeps its jobs unprinted
};

// Where a job handed to the print service stands.
enum class QueuedJobState { Pending, Held, Processing, Stopped, Cancelled, Aborted, Completed, Missing };

// One job of the print service, as far as the question asked tells it.
struct QueuedJob {
    int id = 0;
    QueuedJobState state = QueuedJobState::Missing;  // Missing: the service has no such job
    std::string name;         // UTF-8, the document name it was given
    std::string reason;       // UTF-8, what the service says of it; may be empty
    std::int64_t created = 0; // seconds since the epoch
    int kilobytes = -1;       // the data it was given, kilobytes rounded up; -1 when not told
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

    // How many print service jobs finish() will hand over, once the last
    // sheet is drawn; 0 for outputs that make no such jobs.
    virtual int jobsToHandOver() const { return 0; }
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

    // Whether the named printer can be given a job now; outputs without a
    // print service of their own are always ready.
    virtual PrinterReadiness readiness(const std::string& printerName) {
        (void)printerName;
        return PrinterReadiness::Ready;
    }

    // The print service's jobs of ids, in that order (state, reason and
    // data told; a job it does not have is Missing); nullopt when the
    // service cannot be reached or this spooler makes no such jobs.
    virtual std::optional<std::vector<QueuedJob>> queuedJobs(const std::vector<int>& ids) {
        (void)ids;
        return std::nullopt;
    }

    // Every job the print service remembers, ended ones included (id,
    // state, name, data and creation told); nullopt as for queuedJobs.
    virtual std::optional<std::vector<QueuedJob>> allQueuedJobs() { return std::nullopt; }

    // Withdraws the print service's job id; false when it cannot.
    virtual bool cancelQueuedJob(int id) {
        (void)id;
        return false;
    }
};

}  // namespace zarvo
