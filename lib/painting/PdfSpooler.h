#pragma once
// A spooler with one printer that writes each job into a PDF file, every
// sheet with its own paper size and orientation, optionally over a picture
// and with the form moved from the sheet's corner. The file appears only when
// a job finishes; until then any file already at the path is left as it was.

#include <cstdint>
#include <functional>
#include <string>

#include <QPointF>

#include "platform/Spooler.h"
#include "painting/PdfSizeLimit.h"

class QPainter;
class QRect;

namespace zarvo {

// What a PDF job adds to every sheet: a picture under the form, and where
// the form's origin lies. Both empty: nothing, and the sheet's corner.
struct PdfSheetOptions {
    // Draws first on each sheet: painter in sheet pixels at dpi, (0, 0) the
    // sheet's top-left corner; sheet is the whole sheet as it lies.
    std::function<void(QPainter& painter, const QRect& sheet, int dpi)> underlay;
    // The form's (0, 0) on the sheet of paper as it lies: mm right of and
    // below the sheet's top-left corner.
    std::function<QPointF(const SheetPaper& paper)> formOrigin;
};

class PdfSpooler : public Spooler {
public:
    // Jobs write outputPath (UTF-8) with sheets laid out by options, files
    // of at most byteLimit bytes; the one printer is named printerName.
    explicit PdfSpooler(std::string outputPath, std::string printerName = "PDF", PdfSheetOptions options = {},
                        std::int64_t byteLimit = kPdfByteLimit);

    // The one printer, marked as the default.
    std::vector<PrinterInfo> printers() override;
    // A job at 300 dpi with zero margins. Throws ReportError for any other
    // printer name, or when the file cannot be created in its directory.
    // Its nextSheet() and finish() throw ReportError when the file would
    // pass the byte limit or cannot be written.
    std::unique_ptr<PrintJob> startJob(const std::string& printerName,
                                       const std::string& documentName, const SheetPaper& paper) override;

private:
    std::string outputPath_;
    std::string printerName_;
    PdfSheetOptions options_;
    std::int64_t byteLimit_;
};

}  // namespace zarvo
