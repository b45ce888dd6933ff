#include "tests/windows/preview/PreviewWindows.h"

#include <QApplication>
#include <QCursor>

#include "engine/PageFileName.h"
#include "platform/os/DataRoot.h"
#include "preview/PrinterForm.h"
#include "preview/SelectPrinterForm.h"
#include "compose/TestPage.h"
#include "shell/ZarvoApplication.h"
#include "tests/support/QtTestMain.h"

namespace zarvo::test {

namespace {

// Errors of the windows' handlers reach Zarvo's own top-level handler.
[[maybe_unused]] const bool usesZarvoApplication =
    useTestApplication([](int& argc, char** argv) -> std::unique_ptr<QApplication> {
        return std::make_unique<ZarvoApplication>(argc, argv);
    });

}  // namespace

std::unique_ptr<PrintJob> JobSpooler::startJob(const std::string& printerName,
                                               const std::string& documentName, const SheetPaper& paper) {
    const QCursor* pointer = QApplication::overrideCursor();
    busyAtStart.push_back(pointer && pointer->shape() == Qt::WaitCursor);
    std::unique_ptr<PrintJob> job = recording_.startJob(printerName, documentName, paper);
    printersUsed.push_back(printerName);
    return job;
}

std::vector<std::vector<int>> JobSpooler::jobs() const {
    std::vector<std::vector<int>> found;
    std::istringstream in(trace_.str());
    for (std::string line; std::getline(in, line);) {
        int sheet = 0, paper = 0;
        if (std::sscanf(line.c_str(), "sheet %d paper=%d", &sheet, &paper) != 2) continue;
        if (sheet == 0) found.emplace_back();
        found.back().push_back(paper + 1);
    }
    return found;
}

PreviewWindows::PreviewWindows() {
    setDataRootOverride(dir.path().string());
    usePrinters({{"Office", true}, {"Lab", false}});
    PrinterForm = new TPrinterForm();
    SelectPrinterForm = new TSelectPrinterForm(printers);
}

PreviewWindows::~PreviewWindows() {
    preview.reset();
    delete SelectPrinterForm;
    SelectPrinterForm = nullptr;
    delete PrinterForm;
    PrinterForm = nullptr;
    setDataRootOverride("");
}

void PreviewWindows::usePrinters(std::vector<PrinterInfo> printers) {
    spooler = std::make_unique<JobSpooler>(std::move(printers));
    this->printers.use(*spooler);
}

TPreviewForm& PreviewWindows::newPreview(int pages, bool shown) {
    preview.reset();
    preview = std::make_unique<TPreviewForm>(printers);
    preview->setPreviewMode(1);
    for (int page = 0; page < pages; ++page) writeTestPage(preview->pages(), reportOnPaper(page), {});
    if (shown) {
        preview->show();
        preview->RenderPages();
    }
    return *preview;
}

std::string PreviewWindows::reportOnPaper(int paperCode) const {
    return dir.write("paper" + std::to_string(paperCode) + ".txt",
                     std::to_string(paperCode) +
                         "\t0\t0\r\nLINE_INFO\t0\r\nLABEL_STRING\t0\r\nBLOCK_INFO\t0\r\n");
}

std::vector<std::string> PreviewWindows::pageFiles() const {
    std::vector<std::string> files;
    for (int page = 0; page <= preview->lastPage(); ++page) {
        files.push_back(pageFileName(preview->dataFileStem(), page));
    }
    return files;
}

}  // namespace zarvo::test
