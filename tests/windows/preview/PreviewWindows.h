#pragma once
// What the preview window tests share: a data root of their own, a spooler
// that records every job, the permanent dialogs, messages recorded.

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <QString>
#include <QWidget>

#include "platform/recording/RecordingSpooler.h"
#include "preview/PreviewForm.h"
#include "tests/common/RecordingPresenter.h"
#include "tests/common/TempDir.h"

namespace zarvo::test {

// Records every job: its printer and the pages of its sheets. A test page
// is told by its paper code: page k is printed on paper k - 1.
class JobSpooler : public Spooler {
public:
    explicit JobSpooler(std::vector<PrinterInfo> printers) : recording_(trace_, 300, std::move(printers)) {}

    std::vector<PrinterInfo> printers() override { return recording_.printers(); }
    std::unique_ptr<PrintJob> startJob(const std::string& printerName, const std::string& documentName,
                                       const SheetPaper& paper) override;

    // The printer of every job started, in order.
    std::vector<std::string> printersUsed;
    // Whether the busy pointer showed when each job started.
    std::vector<bool> busyAtStart;
    // The pages (1-based) of every job's sheets, job by job.
    std::vector<std::vector<int>> jobs() const;
    // Everything the jobs wrote: their sheets and drawing.
    std::string trace() const { return trace_.str(); }

private:
    std::ostringstream trace_;
    RecordingSpooler recording_;
};

// The spooler the windows are given: passes everything on to the spooler
// it was last told to use.
class SwitchedSpooler : public Spooler {
public:
    void use(Spooler& spooler) { target_ = &spooler; }

    std::vector<PrinterInfo> printers() override { return target_->printers(); }
    std::unique_ptr<PrintJob> startJob(const std::string& printerName, const std::string& documentName,
                                       const SheetPaper& paper) override {
        return target_->startJob(printerName, documentName, paper);
    }
    std::optional<SheetMargins> sheetMargins(const std::string& printerName, const SheetPaper& paper) override {
        return target_->sheetMargins(printerName, paper);
    }
    std::optional<int> dotsPerInch(const std::string& printerName) override {
        return target_->dotsPerInch(printerName);
    }
    std::optional<std::pair<double, double>> defaultPaperMm(const std::string& printerName) override {
        return target_->defaultPaperMm(printerName);
    }

private:
    Spooler* target_ = nullptr;
};

class PreviewWindows : public testing::Test {
protected:
    // Printers "Office" (the default) and "Lab"; PrinterForm and
    // SelectPrinterForm created as at start-up.
    PreviewWindows();
    ~PreviewWindows() override;

    // The windows' spooler from now on records jobs on printers.
    void usePrinters(std::vector<PrinterInfo> printers);

    // Replaces the preview window by a new one, as the designer does, with
    // pages pages (page k on paper k - 1); when shown, it is on screen (not
    // modal) with page 1.
    TPreviewForm& newPreview(int pages, bool shown = true);

    // A report of no rows on paperCode.
    std::string reportOnPaper(int paperCode) const;

    // The page data files of the preview now in place.
    std::vector<std::string> pageFiles() const;

    // The child of window named name, failing the test when there is none.
    template <typename Widget>
    Widget& control(QWidget& window, const char* name) {
        auto* widget = window.findChild<Widget*>(QString::fromLatin1(name));
        if (!widget) throw std::runtime_error(std::string("no control ") + name);
        return *widget;
    }

    TempDir dir;
    RecordingPresenter messages;
    std::unique_ptr<JobSpooler> spooler;
    // What the windows print on: spooler, unless a test says otherwise.
    SwitchedSpooler printers;
    std::unique_ptr<TPreviewForm> preview;
};

}  // namespace zarvo::test
