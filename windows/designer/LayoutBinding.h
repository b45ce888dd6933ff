#pragma once
// The Layout page bound to the main window's document: its rows are the rows
// of the three lists, its report is the text that leaving a list page would
// write, and its edits set the lists' change flags and Unsaved as the list
// pages' own edits do.

#include "document/ReportSections.h"
#include "layout/LayoutDocument.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace zarvo {

class Tzarvo2_Form;

class LayoutBinding : public LayoutDocument {
public:
    explicit LayoutBinding(Tzarvo2_Form& form) : form_(form) {}

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

    // The rows selected on the list page of section, for the Layout page's
    // selection when it opens.
    std::vector<RowRef> selectedRows(Section section) const;

private:
    QTreeWidget& list(RowKind kind) const;
    void markChanged(RowKind kind);
    // Puts the header's paper code and the profile of a form row in place.
    void applyFormRow(const RowText& row);
    // Runs the row's editor dialog; true when confirmed.
    bool runEditor(RowKind kind, QTreeWidgetItem* item);

    Tzarvo2_Form& form_;
};

// The list section of a row kind, and back.
Section sectionOf(RowKind kind);
RowKind rowKindOf(Section section);

}  // namespace zarvo
