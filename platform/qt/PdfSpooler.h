#pragma once
// A spooler with one printer that writes each job into a PDF file, every
// sheet with its own paper size and orientation. The file appears only when
// a job finishes; until then any file already at the path is left as it was.

#include <string>

#include "platform/Spooler.h"

namespace zarvo {

class PdfSpooler : public Spooler {
public:
    // Jobs write outputPath (UTF-8); the one printer is named printerName.
    explicit PdfSpooler(std::string outputPath, std::string printerName = "PDF");

    // The one printer, marked as the default.
    std::vector<PrinterInfo> printers() override;
    // A job at 300 dpi with zero margins. Throws ReportError for any other
    // printer name, or when the file cannot be created in its directory.
    std::unique_ptr<PrintJob> startJob(const std::string& printerName,
                                       const std::string& documentName, int paperCode) override;

private:
    std::string outputPath_;
    std::string printerName_;
};

}  // namespace zarvo
