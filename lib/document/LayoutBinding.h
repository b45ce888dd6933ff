#pragma once
// The Layout page bound to a ReportDocument: its rows are the document's
// rows, its report is the text that leaving a list page would write, and its
// edits change the rows as the list pages' own edits do. The dialogs it opens
// are the window's.

#include "document/ReportDocument.h"
#include "document/ReportSections.h"
#include "document/RowDialogs.h"
#include "layoutmodel/LayoutDocument.h"

namespace zarvo {

class LayoutBinding : public LayoutDocument {
public:
    LayoutBinding(ReportDocument& document, RowDialogs& dialogs) : document_(document), dialogs_(dialogs) {}

    std::string reportBytes() override;
    std::string reportName() override;
    std::shared_ptr<const FormProfile> profile() override;
    RowText formRow() override;
    std::optional<RowText> fieldStyleRow(RowRef row) override;
    std::string reportBytes(const std::function<bool(RowRef)>& keep) override;
    std::vector<std::string> testDataLines(std::string& problem) override;
    std::vector<RowText> rows(RowKind kind) override;
    void rowsChanged(const EditStep& step) override;
    void currentRowChanged(std::optional<RowRef> row) override;
    EditStep editRow(RowRef row) override;
    EditStep addRow(const NewShape& shape) override;
    EditStep followBlockRows(const EditStep& step) override;
    bool dialogOpen() const override;
    void setStationery(const std::optional<StationeryKeys>& settings, const std::string& picture) override;
    EditHistory& history() override;

private:
    // Puts the header's paper code and the profile of a form row in place.
    void applyFormRow(const RowText& row);

    ReportDocument& document_;
    RowDialogs& dialogs_;
};

// The list section of a row kind, and back.
Section sectionOf(RowKind kind);
RowKind rowKindOf(Section section);

}  // namespace zarvo
