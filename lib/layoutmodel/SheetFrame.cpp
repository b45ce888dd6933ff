#include "layoutmodel/SheetFrame.h"

#include "platform/Paper.h"

namespace zarvo {

SheetFrame sheetFrame(const SheetPaper& sheetPaper, const std::optional<SheetMargins>& portraitMargins) {
    const Paper paper = paperFor(sheetPaper).value_or(Paper{});
    SheetFrame frame{paper.widthMm(), paper.heightMm(), {0, 0, paper.widthMm(), paper.heightMm()}};
    if (!portraitMargins) return frame;
    SheetMargins m = *portraitMargins;
    if (paper.landscape) m = landscapeMargins(m);
    frame.printable = RectMm{m.left, m.top, frame.widthMm - m.right, frame.heightMm - m.bottom};
    return frame;
}

}  // namespace zarvo
