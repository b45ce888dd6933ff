#pragma once
// The form as the Layout page shows it: drawn by the engine that draws the
// preview, in the preview's colours, from the report's bytes as they would
// be saved and the test data, placed as for print (the header's
// preview-only shift is not added). It draws through a preview state of its
// own, so it never touches the preview window's pages and never shows a
// message; what a user should know comes back as findings.

#include <memory>
#include <string>
#include <vector>

#include "layoutmodel/SceneTypes.h"
#include "platform/Paper.h"
#include "report/FormProfile.h"
#include "report/TestDataLine.h"
#include "report/Units.h"

class QPainter;

namespace zarvo {

class XPrint;

struct FormFindings {
    // Test data names that match no block, each once (UTF-8).
    std::vector<std::string> unmatchedNames;
    // Blocks whose value does not fit their frame (UTF-8 names) and their
    // frames in mm from the printer origin.
    std::vector<std::string> overfullNames;
    std::vector<RectMm> overfullFrames;
    // Test data values that their block's format or code cannot take, one
    // message each ("欄位「total」: 「12a」不是金額").
    std::vector<std::string> valueFaults;
    // What could not be read of the report (UTF-8), empty when all was read.
    std::string problem;
    bool operator==(const FormFindings&) const = default;
};

class FormPainter {
public:
    // The report's bytes (Big5, as a file holds them), the name of its file
    // (UTF-8) for messages and its form profile; its header is read at once,
    // and a fault in it comes back as the findings' problem, with nothing
    // drawn.
    void setReport(std::string bytes, std::string name, std::shared_ptr<const FormProfile> profile = {});
    // The test data's fields (Big5), drawn in order.
    void setFields(std::vector<TestDataField> fields) { fields_ = std::move(fields); }
    // Draws each block's name in its frame instead of the test data.
    void setNamesOnly(bool namesOnly) { namesOnly_ = namesOnly; }
    // The names are drawn: asked for, or there is no test data to draw, so
    // that a form without data never looks empty.
    bool drawsNames() const { return namesOnly_ || hasNoFields(); }
    bool hasNoFields() const { return fields_.empty(); }
    // The printer resolution whose modules symbols take (kScreenSymbolDpi
    // when no printer is chosen).
    void setSymbolDpi(int dpi) { symbolDpi_ = dpi; }

    // A painter of other report bytes with this one's test data and names
    // setting: a part of the form drawn apart from the rest.
    FormPainter withReport(std::string bytes) const;

    // The sheet's paper (the header's code and the profile's paper) and the
    // form offset (mm); code 0 and no offset when the header is unreadable.
    const SheetPaper& sheetPaper() const { return paper_; }
    // Whether the header could be read.
    bool headerRead() const { return headerRead_; }
    PointMm offset() const { return offset_; }

    // Draws the form at dpi through painter, whose (0, 0) is the printer
    // origin; whatever the painter clips is still laid out, so the findings
    // are the whole form's.
    FormFindings draw(QPainter& painter, int dpi) const;

private:
    // Loads bytes_ into engine; the header's fault (UTF-8), empty when none.
    std::string loadHeader(XPrint& engine) const;

    std::string bytes_;
    std::string name_;
    std::shared_ptr<const FormProfile> profile_;
    std::vector<TestDataField> fields_;
    bool namesOnly_ = false;
    int symbolDpi_ = kScreenSymbolDpi;
    SheetPaper paper_;
    bool headerRead_ = false;
    PointMm offset_;
};

}  // namespace zarvo
