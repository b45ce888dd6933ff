// Captions, block records and field values.

#include <cmath>

#include "engine/BlockStyle.h"
#include "engine/CellText.h"
#include "engine/XPrint.h"
#include "picture/PictureFile.h"
#include "report/Big5.h"
#include "report/Units.h"
#include "symbol/SymbolDrawing.h"
#include "symbol/SymbolError.h"

namespace zarvo {

XPrint::FrameMm XPrint::innerFrame(const FrameRow& row, float dx, float dy) const {
    // The frame's position is summed in millimetres, then each edge converted.
    float x = row.left + dx + xoffset;
    float y = row.top + dy + yoffset;
    if (context_.screen()) {
        x += pxoffset;
        y += pyoffset;
    }
    return FrameMm{x + row.xmargin, y + row.ymargin, x + row.width - row.xmargin, y + row.height - row.ymargin};
}

FramePlacement XPrint::drawInFrame(const FrameRow& row, std::string_view text, float dx, float dy) {
    const FrameMm frame = innerFrame(row, dx, dy);
    // The marker is a rectangle, placed on the device as lines are; text is
    // laid out at the layout resolution.
    if (isBlankFrame(text)) {
        DrawBlankFrame(mmToDevice(frame.left, dpi), mmToDevice(frame.top, dpi), mmToDevice(frame.right, dpi),
                       mmToDevice(frame.bottom, dpi));
        return {};
    }
    return DrawFrameText(mmToDevice(frame.left, kLayoutDpi), mmToDevice(frame.top, kLayoutDpi),
                         mmToDevice(frame.right, kLayoutDpi), mmToDevice(frame.bottom, kLayoutDpi), row.style,
                         row.distributed, row.font, mmToDevice(row.ychar, kLayoutDpi), text,
                         mmToDevice(row.colgap, kLayoutDpi), mmToDevice(row.rowgap, kLayoutDpi));
}

FramePlacement XPrint::drawBlockValue(const FrameRow& row, const ProfileSection& section, std::string_view text,
                                      float dx, float dy) {
    const ParsedBlockStyle parsed = parseBlockStyle(section);
    // A section that cannot be read stops printing where the profile is
    // read; one held in memory (being edited) leaves the value as it is.
    if (parsed.fault) return drawInFrame(row, text, dx, dy);
    const BlockStyle& style = parsed.style;
    const BlockValue value = prepareBlockValue(style, text.substr(0, text.find('\0')));
    if (!value.ok()) {
        noteValueFault(row.label, value.error);
        // A preview shows the value as it came; a symbol of it would be wrong.
        return style.isSymbol() ? FramePlacement{} : drawInFrame(row, text, dx, dy);
    }
    if (style.isPicture()) {
        // A fixed picture is the form's (DrawFixedPictures), whatever the value.
        if (!style.picture->fixedFile.empty() || value.text.empty()) return {};
        return drawPictureIn(row, *style.picture, value.text, dx, dy);
    }
    if (value.text.empty()) return {};
    if (style.isSymbol()) return drawSymbolIn(row, style.symbol, value.text, dx, dy);
    if (style.format.cells > 0) return drawInCells(row, style.format.cells, value.text, dx, dy);
    if (style.shrink) return drawShrunk(row, value.text, style.minCharMm, dx, dy);
    return drawInFrame(row, value.text, dx, dy);
}

namespace {

// A surface that measures and draws nothing: the layout tried at a
// character height before the text is drawn at the one that fits.
class MeasuringSurface : public Surface {
public:
    explicit MeasuringSurface(Surface& real) : real_(real) {}
    int dotsPerInch() const override { return real_.dotsPerInch(); }
    void clear() override {}
    void drawLine(int, int, int, int, const Pen&) override {}
    void setTextColor(Rgb) override {}
    void drawText(int, int, std::string_view, const Font&) override {}
    void drawRect(int, int, int, int, const Pen&) override {}
    void fillRect(double, double, double, double, Rgb) override {}
    FontMetrics metrics(FontFace face, int height) override { return real_.metrics(face, height); }

private:
    Surface& real_;
};

// Puts another surface in slot for a scope, the first one back however the
// scope ends.
class SurfaceSwap {
public:
    SurfaceSwap(Surface*& slot, Surface* with) : slot_(slot), saved_(slot) { slot_ = with; }
    ~SurfaceSwap() { slot_ = saved_; }
    SurfaceSwap(const SurfaceSwap&) = delete;
    SurfaceSwap& operator=(const SurfaceSwap&) = delete;

private:
    Surface*& slot_;
    Surface* saved_;
};

}  // namespace

FramePlacement XPrint::drawShrunk(const FrameRow& row, std::string_view text, double minCharMm, float dx, float dy) {
    if (!surface) return {};
    FrameRow trial = row;
    Surface* const real = surface;
    MeasuringSurface measuring(*real);
    // From the row's own height down in 0.1 mm steps, counted in tenths so
    // that no step drifts.
    const int from = int(std::lround(row.ychar * 10));
    const int to = std::min(from, int(std::lround(minCharMm * 10)));
    for (int tenths = from; tenths > to; --tenths) {
        trial.ychar = float(tenths) / 10;
        FramePlacement placement;
        {
            const SurfaceSwap measure(surface, &measuring);
            placement = drawInFrame(trial, text, dx, dy);
        }
        if (placement.complete()) return drawInFrame(trial, text, dx, dy);
    }
    trial.ychar = float(to) / 10;
    return drawInFrame(trial, text, dx, dy);
}

FramePlacement XPrint::drawInCells(const FrameRow& row, int cells, std::string_view text, float dx, float dy) {
    if (!surface) return {};
    const FrameMm frame = innerFrame(row, dx, dy);
    const std::optional<std::vector<CellCharacter>> placed =
        digitCells(mmToDevice(frame.left, kLayoutDpi), mmToDevice(frame.right, kLayoutDpi), cells, text);
    // formatValue has refused a text of more characters than cells.
    if (!placed) return {};
    drawCellCharacters(*surface, *placed, text, mmToDevice(frame.top, kLayoutDpi),
                       mmToDevice(frame.bottom, kLayoutDpi), row.font, mmToDevice(row.ychar, kLayoutDpi));
    const int count = static_cast<int>(placed->size());
    return {count, count};
}

FramePlacement XPrint::drawSymbolIn(const FrameRow& row, const SymbolSpec& spec, std::string_view value, float dx,
                                    float dy) {
    if (!surface) return {};
    // On paper the modules are the device's (whole pixels on a printer,
    // exact on a PDF page); on screen they are the chosen printer's scaled
    // to the screen, so the preview looks like paper.
    const int symbolDpi = job ? dpi : screenSymbolDpi;
    const double scale = static_cast<double>(dpi) / symbolDpi;
    const FrameMm frame = innerFrame(row, dx, dy);
    SymbolPlacement placement;
    placement.frameLeft = mmToDevice(frame.left, symbolDpi);
    placement.frameTop = mmToDevice(frame.top, symbolDpi);
    placement.frameHeight = mmToDevice(frame.bottom, symbolDpi) - placement.frameTop;
    placement.textLineHeight = mmToDevice(row.ychar, symbolDpi);
    placement.dpi = symbolDpi;
    placement.wholePixels = job ? job->wholePixels() : true;
    // A frame that an absurd place in a damaged report put kilometres off
    // the sheet holds no symbol that could be drawn or measured.
    constexpr double kFar = 1 << 24;
    if (std::abs(placement.frameLeft) > kFar || std::abs(placement.frameTop) > kFar ||
        std::abs(placement.frameHeight) > kFar) {
        return FramePlacement{0, 1};
    }
    std::optional<SymbolDrawing> drawing;
    try {
        drawing = drawSymbol(spec, value, placement);
    } catch (const SymbolError&) {
        return FramePlacement{0, 1};  // the frame leaves the bars no height
    }
    if (!drawing) return {};
    for (const DeviceRect& rect : drawing->rects) {
        surface->fillRect(rect.x * scale, rect.y * scale, (rect.x + rect.width) * scale,
                          (rect.y + rect.height) * scale, kBlack);
    }
    if (!drawing->text.empty()) drawSymbolText(*drawing, row.font, mmToDevice(row.ychar, kLayoutDpi), symbolDpi);
    const SymbolGeometry& geometry = drawing->geometry;
    const double frameWidth = mmToDevice(frame.right, symbolDpi) - placement.frameLeft;
    const bool fits = geometry.totalWidth <= frameWidth && geometry.totalHeight <= placement.frameHeight;
    return fits ? FramePlacement{1, 1} : FramePlacement{0, 1};
}

PictureFolders XPrint::pictureFolders() const {
    // The report path is the file system's, as it was opened.
    const std::string reportFolder = folderOf(reportPath);
    return PictureFolders{reportFolder, context_.pictureFolder.empty() ? reportFolder : context_.pictureFolder};
}

FramePlacement XPrint::drawPictureIn(const FrameRow& row, const PictureStyle& style, std::string_view value,
                                     float dx, float dy) {
    if (!surface) return {};
    const FrameMm frame = innerFrame(row, dx, dy);
    // Placed from the exact frame, each edge then the nearest pixel: within
    // half a pixel of where the millimetres say.
    const DeviceFrame exact{mmToDots(frame.left, dpi), mmToDots(frame.top, dpi), mmToDots(frame.right, dpi),
                            mmToDots(frame.bottom, dpi)};
    // Screens and PDF files keep the colours; a printer gets grey, or dots.
    PictureTone tone = PictureTone::Colour;
    if (job && job->wholePixels()) {
        tone = style.dither ? PictureTone::Dots : style.keepColour ? PictureTone::Colour : PictureTone::Grey;
    }
    const PreparedPicture picture = preparePicture(
        style, big5ToUtf8(std::string(value.substr(0, value.find('\0')))), pictureFolders(), exact, tone,
        job && !job->wholePixels());
    if (!picture.ok()) {
        noteValueFault(row.label, picture.error);
        // The marker, placed on the device as any blank frame is.
        DrawBlankFrame(mmToDevice(frame.left, dpi), mmToDevice(frame.top, dpi), mmToDevice(frame.right, dpi),
                       mmToDevice(frame.bottom, dpi));
        return FramePlacement{0, 1};
    }
    if (!picture.image.image) return {};
    surface->drawPicture(picture.place.left, picture.place.top, picture.place.right, picture.place.bottom,
                         picture.image);
    return FramePlacement{1, 1};
}

void XPrint::DrawFixedPictures() {
    for (const std::string& name : blockNames()) {
        const ProfileSection* section = profile->block(name);
        if (!section) continue;
        const ParsedBlockStyle parsed = parseBlockStyle(*section);
        if (parsed.fault || !parsed.style.isPicture() || parsed.style.picture->fixedFile.empty()) continue;
        drawPictureIn(*findBlock(name), *parsed.style.picture, "", 0, 0);
    }
}

void XPrint::drawSymbolText(const SymbolDrawing& drawing, int fontCode, int charHeight, int symbolDpi) {
    // The human-readable line is set like frame text, at the layout
    // resolution, centred under the bars.
    const auto toLayout = [symbolDpi](double value) {
        return static_cast<int>(value * kLayoutDpi / symbolDpi);
    };
    const DeviceRect& box = drawing.textBox;
    const int width = cellLineWidth(*surface, drawing.text, fontCode, charHeight);
    const int centre = toLayout(box.x + box.width / 2);
    const int left = centre - width / 2;
    const std::optional<std::vector<CellCharacter>> cells =
        digitCells(left, left + width, static_cast<int>(drawing.text.size()), drawing.text);
    if (!cells) return;
    surface->setTextColor(kBlack);
    drawCellCharacters(*surface, *cells, drawing.text, toLayout(box.y), toLayout(box.y + box.height), fontCode,
                       charHeight);
}

void XPrint::noteValueFault(std::string_view name, const std::string& reason) {
    std::string message = fieldValueMessage(name, reason);
    if (job) throw FieldValueError(message);
    valueFaults_.push_back(std::move(message));
    // Once a page, as the page is drawn, and only on the context's own image.
    if (valueFaults_.size() > 1 || !onContextImage_ || !context_.screen() || !context_.info) return;
    context_.info(valueFaults_.front());
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
        addBlock(std::move(*row));
    }
    blockCount = static_cast<int>(blocks.size());
}

std::vector<std::string> XPrint::blockNames() const {
    std::vector<std::string> names;
    for (const auto& block : blocks) {
        if (findBlock(block->label) == block.get()) names.push_back(block->label);
    }
    return names;
}

void XPrint::addBlock(BlockRecord block) {
    blocks.push_back(std::make_unique<BlockRecord>(std::move(block)));
    blockIndexed_ = false;
}

const BlockRecord* XPrint::findBlock(const std::string& name) const {
    if (name.size() > kMaxBlockName) return nullptr;
    if (!blockIndexed_) {
        blockIndex_.clear();
        // The last equal name wins.
        for (const auto& block : blocks) blockIndex_[block->label] = block.get();
        blockIndexed_ = true;
    }
    const auto found = blockIndex_.find(name);
    return found == blockIndex_.end() ? nullptr : found->second;
}

FramePlacement XPrint::DrawInBlock(const BlockRecord& block, std::string_view text) {
    if (surface) surface->setTextColor(kBlack);
    return drawInFrame(block, text, 0, 0);
}

FramePlacement XPrint::DrawField(const std::string& name, const std::string& text, float dx, float dy) {
    const BlockRecord* match = findBlock(name);
    if (!match) {
        if (context_.screen() && context_.info) {
            context_.info("欄位(" + big5ToUtf8(name) + ")不存在,請檢查報表檔或原始程式.");
        }
        return {};
    }
    if (surface) surface->setTextColor(kBlack);
    const ProfileSection* section = profile->block(name);
    if (!section || isBlankFrame(text)) return drawInFrame(*match, text, dx, dy);
    return drawBlockValue(*match, *section, text, dx, dy);
}

}  // namespace zarvo
