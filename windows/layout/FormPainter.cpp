#include "layout/FormPainter.h"

#include <unordered_set>

#include <QPainter>

#include "engine/XPrint.h"
#include "painting/QtSurface.h"
#include "compose/PageComposer.h"
#include "report/Big5.h"
#include "report/ConversionError.h"
#include "report/ReportError.h"

namespace zarvo {

namespace {

// Adds name to names unless seen holds it already; seen keeps the test
// quick when thousands of names go unmatched.
void addOnce(std::vector<std::string>& names, std::unordered_set<std::string>& seen, const std::string& name) {
    if (seen.insert(name).second) names.push_back(name);
}

}  // namespace

void FormPainter::setReport(std::string bytes, std::string name, std::shared_ptr<const FormProfile> profile) {
    bytes_ = std::move(bytes);
    name_ = std::move(name);
    profile_ = std::move(profile);
    XPrint engine;
    const bool read = loadHeader(engine).empty();
    paper_ = read ? engine.sheetPaper() : SheetPaper();
    headerRead_ = read;
    offset_ = read ? PointMm{double(engine.xoffset), double(engine.yoffset)} : PointMm{};
}

// A header the engine refuses (a field that is no number, a line too long
// to read) is said on the page, never thrown out of a repaint.
std::string FormPainter::loadHeader(XPrint& engine) const {
    try {
        engine.setProfile(profile_);
        engine.LoadBytes(bytes_, name_);
    } catch (const ConversionError& error) {
        return std::string("報表檔表頭有誤: ") + error.what();
    } catch (const ReportError& error) {
        return error.what();
    }
    return {};
}

FormPainter FormPainter::withReport(std::string bytes) const {
    FormPainter part;
    part.fields_ = fields_;
    part.namesOnly_ = namesOnly_;
    part.symbolDpi_ = symbolDpi_;
    part.setReport(std::move(bytes), name_, profile_);
    return part;
}

FormFindings FormPainter::draw(QPainter& painter, int dpi) const {
    FormFindings findings;
    QtSurface surface(painter, dpi);
    // The screen's colours, on the page's own surface: no pages, no printer.
    XPrint engine(screenContext());
    findings.problem = loadHeader(engine);
    if (!findings.problem.empty()) return findings;
    // Names are no values: no format or code is applied to them.
    if (drawsNames()) engine.setProfile(nullptr);
    engine.dpi = dpi;
    engine.screenSymbolDpi = symbolDpi_;
    engine.surface = &surface;
    // Placed as for print: the header's preview-only shift is not added.
    engine.pxoffset = engine.pyoffset = 0;
    drawForm(engine);
    // Names drawn because there is no data are no values: nothing is said
    // about them.
    const bool quiet = hasNoFields() && !namesOnly_;
    const auto noteOverfull = [&](const BlockRecord& block) {
        const double left = block.left + engine.xoffset, top = block.top + engine.yoffset;
        findings.overfullNames.push_back(big5ToUtf8(block.label));
        findings.overfullFrames.push_back(RectMm{left, top, left + block.width, top + block.height});
    };
    if (drawsNames()) {
        // Each block shows its own name in its own frame: no lookup by name.
        for (const auto& block : engine.blocks) {
            if (!engine.DrawInBlock(*block, block->label).complete() && !quiet) noteOverfull(*block);
        }
    } else {
        std::unordered_set<std::string> unmatched;
        for (const TestDataField& field : fields_) {
            const BlockRecord* block = engine.findBlock(field.name);
            if (!block) {
                if (!field.name.empty()) addOnce(findings.unmatchedNames, unmatched, big5ToUtf8(field.name));
                continue;
            }
            if (!engine.DrawField(field.name, field.value, 0, 0).complete()) noteOverfull(*block);
        }
    }
    findings.valueFaults = engine.valueFaults();
    findings.problem = engine.problem();
    return findings;
}

}  // namespace zarvo
