#include "layout/DetailRows.h"

#include <QColor>
#include <QPainter>

#include "detaildialog/DetailForm.h"
#include "layoutmodel/LayoutDocument.h"
#include "layout/LayoutView.h"
#include "report/Big5.h"
#include "report/Units.h"

namespace zarvo {

namespace {

// Multiplied into the form drawn: white turns light blue, the red frames
// and the black data stay as they are, as if the band lay under them (the
// engine fills frames white, which would hide a band drawn first).
const QColor kBandTint(0xe2, 0xee, 0xff);

// The Big5 names of the rows (UTF-8 captions) that Big5 can hold.
std::vector<std::string> big5Names(const std::vector<std::string>& captions) {
    std::vector<std::string> names;
    for (const std::string& caption : captions) {
        if (std::optional<std::string> big5 = utf8ToBig5(caption)) names.push_back(std::move(*big5));
    }
    return names;
}

}  // namespace

DetailAsker detailDialogAsker(QWidget* parent) {
    return [parent](const FormProfile& profile, const std::vector<std::string>& blockNames,
                    const std::vector<std::string>& selectedNames) {
        return askDetailProfile(parent, profile, blockNames, selectedNames);
    };
}

void editDetailRows(LayoutView& view, const DetailAsker& ask) {
    LayoutDocument* document = view.document();
    if (!document || document->dialogOpen() || !ask) return;
    std::vector<std::string> blocks;
    for (const RowText& row : document->rows(RowKind::Block)) blocks.push_back(row.caption);
    std::vector<std::string> selected;
    const LayoutScene& scene = view.editor().scene();
    for (RowRef ref : view.editor().selection()) {
        if (ref.kind == RowKind::Block && scene.contains(ref)) selected.push_back(scene.row(ref).caption);
    }
    const RowText before = document->formRow();
    const std::optional<FormProfile> kept = ask(*document->profile(), big5Names(blocks), big5Names(selected));
    if (kept) view.changeForm(RowText{before.caption, {formProfileText(*kept)}});
}

void paintDetailBands(QPainter& painter, const std::vector<RectMm>& bands, PointMm offset, int dpi) {
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    for (const RectMm& band : bands) {
        const QPoint topLeft(mmToDevice(float(band.left + offset.x), dpi), mmToDevice(float(band.top + offset.y), dpi));
        const QPoint bottomRight(mmToDevice(float(band.right + offset.x), dpi),
                                 mmToDevice(float(band.bottom + offset.y), dpi));
        painter.fillRect(QRect(topLeft, bottomRight), kBandTint);
    }
    painter.restore();
}

}  // namespace zarvo
