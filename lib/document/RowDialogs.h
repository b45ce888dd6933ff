#pragma once
// The dialogs and list selection of the window that shows a ReportDocument,
// as the Layout page's binding to the document uses them.

#include <optional>

#include "document/ReportSections.h"
#include "layoutmodel/SceneTypes.h"

namespace zarvo {

class RowDialogs {
public:
    virtual ~RowDialogs() = default;

    // Runs the editor dialog of section on row, the row at index at (a new
    // row that would be put there when isNew); true when confirmed, with row
    // as the dialog left it.
    virtual bool editRow(Section section, qsizetype at, bool isNew, ListRow& row) = 0;
    // Runs the field properties dialog on block blockIndex; the form's row
    // with its section as kept, nullopt when cancelled or refused.
    virtual std::optional<RowText> fieldStyleRow(qsizetype blockIndex) = 0;
    // A dialog of the window is open.
    virtual bool dialogOpen() const = 0;
    // The list page of section shows row at as its current row.
    virtual void showCurrentRow(Section section, qsizetype at) = 0;
};

}  // namespace zarvo
