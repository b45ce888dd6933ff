#pragma once
// Composing pages from their data files: the report named on line 1 is
// loaded into an engine, its lines, captions and blocks drawn and read, then
// every field record of the page is drawn into its block.

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/RenderContext.h"
#include "engine/XPrint.h"
#include "report/PageDataFile.h"

namespace zarvo {

// What composing left undrawn: one UTF-8 message per damaged report, naming
// the report, each once; empty when everything was read.
using CompositionProblems = std::vector<std::string>;

// Draws what the open report holds after its header: lines, captions, and
// reads the block table that the records are drawn into.
void drawForm(XPrint& engine);

// Hands every remaining record of page to engine.DrawField.
void placeFieldRecords(XPrint& engine, PageDataReader& page);

// Draws the page in pageFile into the screen image of context. Throws
// ReportError or ConversionError when the page or its report cannot be
// read; a report that is damaged further on is drawn as far as it reads
// and its problem added to problems.
void showPage(const RenderContext& context, const std::string& pageFile, CompositionProblems& problems);

// Prints pageFiles, one sheet each in order, as one print job on the
// context's printer, all black, and returns what it handed
// over (its sheet warnings say what the printer will leave out). Nothing is
// printed for an empty list, whose receipt is empty. Throws as showPage does, ReportError
// "第 N 頁, 欄位「X」: ..." for a value its block's format or symbol cannot
// take (the job dropped, nothing printed), and ReportError when the job cannot
// be started or completed; a job that fails is not handed over half done.
PrintReceipt printSheets(const RenderContext& context, const std::vector<std::string>& pageFiles,
                         CompositionProblems& problems);

// The sheet warnings of a print as one message: the first ten, and how
// many sheets there were in all when there are more.
std::string sheetWarningSummary(const std::vector<std::string>& warnings);

// Told after each sheet is drawn: done of total sheets; returns false to
// stop the print.
using PrintProgress = std::function<bool(std::int64_t done, std::int64_t total)>;

// What printSheets throws when its progress asks it to stop: the job was
// dropped unfinished, so nothing reached a printer or a file.
class PrintCancelled : public std::runtime_error {
public:
    PrintCancelled() : std::runtime_error("列印已取消") {}
};

// Like the above for count sheets, where sheetFile(i) names the page data
// file of sheet i (0 <= i < count); the names are asked for one at a time.
// progress (may be empty) is told after every sheet; when it returns false
// the job is dropped and PrintCancelled thrown.
PrintReceipt printSheets(const RenderContext& context, std::int64_t count,
                         const std::function<std::string(std::int64_t)>& sheetFile, CompositionProblems& problems,
                         const PrintProgress& progress = {});

}  // namespace zarvo
