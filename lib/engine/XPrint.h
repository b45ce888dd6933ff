#pragma once
// XPrint: the drawing engine that preview and printing share. It reads a
// report section by section, converts millimetres to device pixels for the
// surface it is bound to, draws lines and captions, holds the block table,
// lays texts out in frames and writes the page data files.

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/BlockRecord.h"
#include "picture/BlockPicture.h"
#include "engine/PrintReceipt.h"
#include "engine/RenderContext.h"
#include "platform/Spooler.h"
#include "platform/Surface.h"
#include "report/FormProfile.h"
#include "report/ReportReader.h"
#include "report/Units.h"

namespace zarvo {

struct SymbolSpec;
struct SymbolDrawing;
struct PictureStyle;

// The text that stands for a blank frame: drawn as a white dashed rectangle.
inline constexpr std::string_view kBlankFrameMarker = "***1.7321.4142.2362.4492.6452.828***";

// Whether text, up to its first zero byte, is the blank-frame marker.
inline bool isBlankFrame(std::string_view text) {
    return text.substr(0, text.find('\0')) == kBlankFrameMarker;
}

// How much of a text its frame took: the characters drawn, and the
// characters the text holds ("~~" taken as a break not counted). A text
// that does not fit has fewer drawn than held.
struct FramePlacement {
    int placed = 0;
    int held = 0;
    bool complete() const { return placed >= held; }
};

class XPrint {
public:
    // No report open, empty block list, empty path; draws for context.
    explicit XPrint(RenderContext context = {});
    // Opens the report at path (Big5 report file) with the form profile
    // beside it, to draw for context. Throws ReportError when it cannot be
    // opened or its profile has a fault that stops printing,
    // ConversionError for a bad header field.
    explicit XPrint(const std::string& path, RenderContext context = {});
    // Closes the report; while printing ends the job, if any.
    ~XPrint();
    XPrint(const XPrint&) = delete;
    XPrint& operator=(const XPrint&) = delete;

    // Opens the report at path, and its profile, on this engine; dpi and
    // surface are kept. The profile is read again only for another path.
    void Load(const std::string& path);
    // Opens a report held in memory (its file's bytes); name stands for its
    // path. Throws ConversionError for a bad header field. The profile is
    // the one setProfile gave (none: an empty profile).
    void LoadBytes(std::string bytes, const std::string& name);
    // The form profile that goes with the report, held in memory (the
    // designer's); nullptr: none.
    void setProfile(std::shared_ptr<const FormProfile> formProfile);
    // The paper of this report's sheets: its header code, and the profile's
    // paper for a code outside 0..5.
    SheetPaper sheetPaper() const;
    // Closes the report, frees the block records.
    void Reset();

    // The context this engine draws for.
    const RenderContext& context() const { return context_; }

    // Binds to the context's screen image: 114 dpi, the image sized by paper code.
    void AttachPreview();
    // Starts a print job on the context's printer, first sheet open with
    // this report's paper. Throws ReportError when it cannot start.
    void BeginJob();
    // Ends the current sheet and opens the next with this report's paper.
    void NextSheet();
    // Ends the last sheet and the job, reporting failure (ReportError), and
    // returns what it handed over: the printer, the sheets, the print
    // service's jobs and the sheet warnings (an empty receipt when no job
    // was open). The destructor ends a job too but cannot report.
    PrintReceipt EndJob();

    // Reads the lineCount line rows and draws each.
    void DrawLines();
    // Draws one line in device pixels with the pen rule for style and width codes.
    void DrawLine(int x1, int y1, int x2, int y2, int style, int width);

    // Lays text (Big5 bytes; ends at a zero byte) out in the inner frame
    // left..right x top..bottom by writing style, distribution mode and font
    // code. The frame, charHeight, colGap and rowGap are in layout units
    // (kLayoutDpi); each character's place is scaled from them to the
    // surface's resolution. Returns how much of the text was placed.
    FramePlacement DrawFrameText(int left, int top, int right, int bottom, int style, int distribution,
                       int fontCode, int charHeight, std::string_view text, int colGap, int rowGap);
    // Draws the blank-frame marker, a white dashed rectangle inset 2 device
    // units, for the inner frame left..right x top..bottom in device units.
    void DrawBlankFrame(int left, int top, int right, int bottom);

    // Reads the LABEL_STRING section and draws every caption.
    void DrawLabels();
    // Reads the BLOCK_INFO section into block records.
    void ReadBlocks();
    // The block that a field named name (Big5) is drawn in: the last one of
    // that name; nullptr when none.
    const BlockRecord* findBlock(const std::string& name) const;
    // Adds a block record after the others (blocks are added only so, or
    // all dropped by Reset, so that findBlock's index stays true).
    void addBlock(BlockRecord block);
    // Draws text as it stands in block's own frame (no lookup by name, no
    // format): a block's name on the Layout page.
    FramePlacement DrawInBlock(const BlockRecord& block, std::string_view text);
    // Draws the fixed pictures (picture= in a kind=image section) of the
    // blocks read, each in its frame: part of the form on every page.
    void DrawFixedPictures();
    // The folders a block's pictures are looked for in: the report's for
    // picture=, the context's picture folder (or the report's) for values.
    PictureFolders pictureFolders() const;
    // The names a field record can reach, each once, in the block table's order.
    std::vector<std::string> blockNames() const;
    // Draws text in the block named name (Big5), shifted by dx, dy mm, and
    // returns how much of it the block took (nothing placed for no block).
    FramePlacement DrawField(const std::string& name, const std::string& text, float dx, float dy);
    // Starts the next page of the context's pages and creates its data file.
    // Throws ReportError when the file cannot be written.
    void NewPage();
    // Appends one field record to the current page's data file.
    // Throws ReportError when the file cannot be written.
    void AddField(const std::string& name, const std::string& text, float dx, float dy);

    // The values of this page (this sheet, or this preview image) that their
    // block's format or symbol could not take, one message each
    // ("欄位「total」: 「12a」不是金額"), in drawing order; the value itself
    // is drawn for a format, nothing for a symbol. On the context's screen
    // image (AttachPreview) the first of a page is also sent to the
    // context's information messages; a view that draws on a surface of its
    // own (the Layout page) lists them itself. While printing the first one throws FieldValueError.
    const std::vector<std::string>& valueFaults() const { return valueFaults_; }

    // What could not be read from the report, empty when all was well-formed
    // (UTF-8). Drawing stops at the first such fault.
    const std::string& problem() const;

    int dpi = 0;
    // On screen, the printer resolution whose modules a symbol takes, scaled
    // to dpi, so that it shows the size the paper gets (AttachPreview sets
    // the context's printer's).
    int screenSymbolDpi = kScreenSymbolDpi;
    Surface* surface = nullptr;
    int size = 0;
    int xoffset = 0;
    int yoffset = 0;
    int pxoffset = 0;
    int pyoffset = 0;
    int lineCount = 0;
    std::vector<std::unique_ptr<BlockRecord>> blocks;
    std::string reportPath;
    std::unique_ptr<ReportReader> report;
    int blockCount = 0;
    // The form profile in force, never null.
    std::shared_ptr<const FormProfile> profile = std::make_shared<const FormProfile>();

private:
    // The last block of each name, made when first asked for after blocks changed.
    mutable std::unordered_map<std::string, const BlockRecord*> blockIndex_;
    mutable bool blockIndexed_ = false;
    // The colour of lines and captions: red in preview, black on paper.
    Rgb formColor() const;
    void openReport(const std::string& path);
    // Reads the header and the line count of the report just opened.
    void readHead();
    // The inner frame of a row shifted by (dx, dy) mm, in mm: left, top,
    // right, bottom.
    struct FrameMm {
        float left = 0, top = 0, right = 0, bottom = 0;
    };
    FrameMm innerFrame(const FrameRow& row, float dx, float dy) const;
    // Draws text in a row's frame shifted by (dx, dy) mm.
    FramePlacement drawInFrame(const FrameRow& row, std::string_view text, float dx, float dy);
    // The text at the largest character height, from the row's down to
    // minCharMm in 0.1 mm steps, at which all of it fits the frame.
    FramePlacement drawShrunk(const FrameRow& row, std::string_view text, double minCharMm, float dx, float dy);
    // Draws a value through its block section: format, then kind.
    FramePlacement drawBlockValue(const FrameRow& row, const ProfileSection& section, std::string_view text,
                                  float dx, float dy);
    // Draws a formatted text one character a digit cell.
    FramePlacement drawInCells(const FrameRow& row, int cells, std::string_view text, float dx, float dy);
    // Draws a formatted value as the symbol spec names, filled rectangles.
    FramePlacement drawSymbolIn(const FrameRow& row, const SymbolSpec& spec, std::string_view value,
                                float dx, float dy);
    // Draws the picture style or value (Big5) names in the row's frame, in
    // the device's tone; a picture that cannot be drawn is noted as a value
    // fault and its frame's marker drawn.
    FramePlacement drawPictureIn(const FrameRow& row, const PictureStyle& style, std::string_view value, float dx,
                                 float dy);
    // Draws a 1D code's human-readable line in its text box (symbolDpi units).
    void drawSymbolText(const SymbolDrawing& drawing, int fontCode, int charHeight, int symbolDpi);
    // Notes a value that its block cannot draw; throws FieldValueError while printing.
    void noteValueFault(std::string_view name, const std::string& reason);

    std::vector<std::string> valueFaults_;
    RenderContext context_;
    bool onContextImage_ = false;  // drawing on the context's screen image
    std::string profileFor_;  // the report path whose profile was read beside it
    std::unique_ptr<PrintJob> job;
    // The open job's printer and the sheets opened on it.
    std::string jobPrinter;
    std::int64_t jobSheets = 0;
};

}  // namespace zarvo
