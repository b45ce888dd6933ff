// Captions, block records and field values.

#include "engine/PreviewState.h"
#include "engine/Units.h"
#include "engine/XPrint.h"
#include "platform/Messages.h"
#include "report/Big5.h"

namespace zarvo {

FramePlacement XPrint::drawInFrame(const FrameRow& row, std::string_view text, float dx, float dy) {
    // The frame's position is summed in millimetres, then each edge converted.
    float x = row.left + dx + xoffset;
    float y = row.top + dy + yoffset;
    if (previewMode() == 1) {
        x += pxoffset;
        y += pyoffset;
    }
    const float left = x + row.xmargin;
    const float top = y + row.ymargin;
    const float right = x + row.width - row.xmargin;
    const float bottom = y + row.height - row.ymargin;
    // The marker is a rectangle, placed on the device as lines are; text is
    // laid out at the layout resolution.
    if (isBlankFrame(text)) {
        DrawBlankFrame(mmToDevice(left, dpi), mmToDevice(top, dpi), mmToDevice(right, dpi),
                       mmToDevice(bottom, dpi));
        return {};
    }
    return DrawFrameText(mmToDevice(left, kLayoutDpi), mmToDevice(top, kLayoutDpi),
                         mmToDevice(right, kLayoutDpi), mmToDevice(bottom, kLayoutDpi), row.style,
                         row.distributed, row.font, mmToDevice(row.ychar, kLayoutDpi), text,
                         mmToDevice(row.colgap, kLayoutDpi), mmToDevice(row.rowgap, kLayoutDpi));
}

void XPrint::DrawLabels() {
    if (!report) return;
    const int count = report->readKeywordLine().value_or(0);
    for (int i = 0; i < count; ++i) {
        std::optional<FrameRow> row = report->readFrameRow();
        if (!row) return;
        if (surface) surface->setTextColor(formColor());
        drawInFrame(*row, row->label, 0, 0);
    }
}

void XPrint::ReadBlocks() {
    if (!report) return;
    const int count = report->readKeywordLine().value_or(0);
    // Records are allocated as rows are read, never by the count alone.
    for (int i = 0; i < count; ++i) {
        std::optional<FrameRow> row = report->readFrameRow();
        if (!row) break;
        blocks.push_back(std::make_unique<BlockRecord>(std::move(*row)));
    }
    blockCount = static_cast<int>(blocks.size());
}

const BlockRecord* XPrint::findBlock(const std::string& name) const {
    const BlockRecord* match = nullptr;
    if (name.size() <= kMaxBlockName) {
        for (const auto& block : blocks) {
            if (block->label == name) match = block.get();  // the last equal name wins
        }
    }
    return match;
}

FramePlacement XPrint::DrawField(const std::string& name, const std::string& text, float dx, float dy) {
    const BlockRecord* match = findBlock(name);
    if (!match) {
        PreviewState* preview = currentPreview();
        if (preview && preview->previewMode() == 1) {
            ShowInfo("欄位(%s)不存在,請檢查報表檔或原始程式.", big5ToUtf8(name).c_str());
            preview->repaintImage();
        }
        return {};
    }
    if (surface) surface->setTextColor(kBlack);
    return drawInFrame(*match, text, dx, dy);
}

}  // namespace zarvo
