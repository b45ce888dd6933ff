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
    std::unordered_set<std::string> unmatched;
    // Names drawn because there is no data are no values: nothing is said
    // about them.
    const bool quiet = hasNoFields() && !namesOnly_;
    const auto place = [&](const std::string& name, const std::string& value) {
        const BlockRecord* block = engine.findBlock(name);
        if (!block) {
            // The blocks' own names always name a block: only data can name none.
            if (!name.empty() && !drawsNames()) addOnce(findings.unmatchedNames, unmatched, big5ToUtf8(name));
            return;
        }
        if (engine.DrawField(name, value, 0, 0).complete() || quiet) return;
        const double left = block->left + engine.xoffset, top = block->top + engine.yoffset;
        findings.overfullNames.push_back(big5ToUtf8(name));
        findings.overfullFrames.push_back(RectMm{left, top, left + block->width, top + block->height});
    };
    if (drawsNames()) {
        for (const auto& block : engine.blocks) place(block->label, block->label);
    } else {
        for (const TestDataField& field : fields_) place(field.name, field.value);
    }
    findings.valueFaults = engine.valueFaults();
    findings.problem = engine.problem();
    return findings;
}

}  // namespace zarvo
