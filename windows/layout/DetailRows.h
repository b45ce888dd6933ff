#pragma once
// The Layout page's part in detail rows: the "明細列..." command, which
// edits the profile's [Detail] as one undo step, and the light bands that
// mark the rows under the form's frames.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "layoutmodel/SceneTypes.h"
#include "report/FormProfile.h"

class QPainter;
class QWidget;

namespace zarvo {

class LayoutView;

// Asks for the profile with its [Detail] edited, given the profile now, the
// report's block names and the names of the blocks selected (Big5); nullopt
// when cancelled.
using DetailAsker = std::function<std::optional<FormProfile>(
    const FormProfile& profile, const std::vector<std::string>& blockNames, const std::vector<std::string>& selectedNames)>;

// The dialog over parent.
DetailAsker detailDialogAsker(QWidget* parent);

// Runs ask on view's document; the profile it keeps goes into the form's
// row as one undo step. Nothing happens without a document or while one of
// its dialogs is open.
void editDetailRows(LayoutView& view, const DetailAsker& ask);

// Tints bands (mm, row coordinates) over the form drawn through painter,
// whose (0, 0) is the printer origin at dpi; offset is the form's offset (mm).
void paintDetailBands(QPainter& painter, const std::vector<RectMm>& bands, PointMm offset, int dpi);

}  // namespace zarvo
