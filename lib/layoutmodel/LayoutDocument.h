#pragma once
// What the Layout page sees of the document it edits: the report as it
// would be saved, the test data, the three lists whose rows it changes, the
// stationery under them and the history of its edits.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "layoutmodel/EditHistory.h"
#include "layoutmodel/LayoutEditor.h"
#include "layoutmodel/SceneTypes.h"
#include "report/FormProfile.h"
#include "report/StationeryKeys.h"

namespace zarvo {

class LayoutDocument {
public:
    virtual ~LayoutDocument() = default;

    // The report's bytes (Big5) as saving would write them from the lists now.
    virtual std::string reportBytes() = 0;
    // The report's file name (UTF-8) as messages name it, for a new report
    // what stands for it.
    virtual std::string reportName() = 0;
    // The same with only the rows keep accepts in the three lists (the rest
    // of the text as it is), for drawing parts of the form apart.
    virtual std::string reportBytes(const std::function<bool(RowRef)>& keep) = 0;
    // The form profile as it would be saved now.
    virtual std::shared_ptr<const FormProfile> profile() = 0;
    // The form's row (RowKind::Form): the header's paper code and the
    // profile's text as they stand now.
    virtual RowText formRow() = 0;
    // Runs the field properties dialog on the block row; the form's row with
    // the block's section as kept, nullopt when cancelled.
    virtual std::optional<RowText> fieldStyleRow(RowRef row) = 0;
    // The test data's lines (Big5); a character Big5 cannot hold is left out
    // of them and named in problem (UTF-8), which is otherwise left empty.
    virtual std::vector<std::string> testDataLines(std::string& problem) = 0;
    // The rows of a list, as its list page shows them.
    virtual std::vector<RowText> rows(RowKind kind) = 0;

    // step has been applied to the Layout page's rows: the lists follow it,
    // as an edit on their pages would, marking the document changed.
    virtual void rowsChanged(const EditStep& step) = 0;
    // The Layout page's current row changed; its list page selects it.
    virtual void currentRowChanged(std::optional<RowRef> row) = 0;
    // Opens the editor dialog on row; returns the change it made (empty when
    // cancelled). The lists hold it already.
    virtual EditStep editRow(RowRef row) = 0;
    // Opens the editor dialog on a new row placed at shape (mm, row
    // coordinates); returns the insertion (empty when cancelled). The lists
    // hold it already.
    virtual EditStep addRow(const NewShape& shape) = 0;
    // The form row's change that step, already applied, makes: the profile
    // sections of the blocks it renamed or removed follow them
    // (profileFollowingBlocks). Applied already too; empty when none.
    virtual EditStep followBlockRows(const EditStep& step) = 0;
    // A dialog of the document's window is open: the rows it works on must
    // stay, so the page changes none until it is closed.
    virtual bool dialogOpen() const = 0;

    // The stationery the page shows: its settings and the picture's absolute
    // path (UTF-8); nullopt when there is none.
    virtual void setStationery(const std::optional<StationeryKeys>& settings, const std::string& picture) = 0;
    // The history of the page's edits, kept with the document: an edit
    // elsewhere clears it.
    virtual EditHistory& history() = 0;
};

}  // namespace zarvo
