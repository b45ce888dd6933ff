#include "compose/PageComposer.h"

#include <algorithm>

#include "engine/BlockStyle.h"
#include "report/ReportError.h"

namespace zarvo {

namespace {

// Each damaged report is noted once, however often it is drawn.
void noteProblem(const XPrint& engine, CompositionProblems& problems) {
    if (engine.problem().empty()) return;
    std::string problem = engine.reportPath + ": " + engine.problem();
    if (std::find(problems.begin(), problems.end(), problem) == problems.end()) {
        problems.push_back(problem);
    }
}

}  // namespace

void drawForm(XPrint& engine) {
    engine.DrawLines();
    engine.DrawLabels();
    engine.ReadBlocks();
    engine.DrawFixedPictures();
}

void placeFieldRecords(XPrint& engine, PageDataReader& page) {
    while (std::optional<FieldRecord> record = page.next()) {
        engine.DrawField(record->name, record->text, record->dx, record->dy);
    }
}

void showPage(const RenderContext& context, const std::string& pageFile, CompositionProblems& problems) {
    PageDataReader page(pageFile);
    XPrint engine(page.reportPath(), context);
    engine.AttachPreview();
    engine.surface->clear();
    drawForm(engine);
    placeFieldRecords(engine, page);
    noteProblem(engine, problems);
}

std::string sheetWarningSummary(const std::vector<std::string>& warnings) {
    constexpr std::size_t kShown = 10;
    std::string summary;
    for (std::size_t i = 0; i < std::min(warnings.size(), kShown); ++i) summary += warnings[i] + "\n";
    if (warnings.size() > kShown) summary += "... 共 " + std::to_string(warnings.size()) + " 頁\n";
    return summary + "超出的部分印不出來.";
}

PrintReceipt printSheets(const RenderContext& context, const std::vector<std::string>& pageFiles,
                         CompositionProblems& problems) {
    return printSheets(
        context, static_cast<std::int64_t>(pageFiles.size()),
        [&pageFiles](std::int64_t sheet) { return pageFiles[static_cast<std::size_t>(sheet)]; },
        problems);
}

PrintReceipt printSheets(const RenderContext& context, std::int64_t count,
                         const std::function<std::string(std::int64_t)>& sheetFile, CompositionProblems& problems,
                         const PrintProgress& progress) {
    if (count <= 0) return {};
    // Paper is black, whatever the caller shows on screen.
    RenderContext paper = context;
    paper.mode = RenderMode::Paper;
    XPrint engine(std::move(paper));
    for (std::int64_t sheet = 0; sheet < count; ++sheet) {
        engine.Reset();
        PageDataReader page(sheetFile(sheet));
        engine.Load(page.reportPath());
        if (sheet == 0) {
            engine.BeginJob();
        } else {
            engine.NextSheet();
        }
        drawForm(engine);
        try {
            placeFieldRecords(engine, page);
        } catch (const FieldValueError& error) {
            // Thrown with the job open: the engine drops it, nothing is printed.
            throw ReportError("第 " + std::to_string(sheet + 1) + " 頁, " + error.what());
        }
        noteProblem(engine, problems);
        // Thrown with the job open: the engine drops it unfinished.
        if (progress && !progress(sheet + 1, count)) throw PrintCancelled();
    }
    return engine.EndJob();
}

}  // namespace zarvo
