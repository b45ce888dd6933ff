#pragma once
// The Layout page's view: the sheet as the report would print it, drawn by
// the engine at the zoom's resolution, over the stationery picture and under
// the overlays (sheet outline, printable area, rulers, grid, selection). The
// pointer and keys go to the widget-free editor; the rows it changes go to
// the document's lists.

#include <optional>
#include <vector>

#include <QAbstractScrollArea>
#include <QFont>
#include <QImage>
#include <QString>

#include "report/ProfilePaper.h"
#include "report/StationeryKeys.h"
#include "layout/FormPainter.h"
#include "layoutmodel/LayoutEditor.h"
#include "layoutmodel/PositionEdit.h"
#include "layoutmodel/RulerScale.h"
#include "layoutmodel/SheetFrame.h"
#include "layoutmodel/StationeryGuides.h"
#include "layoutmodel/Zoom.h"
#include "stationery/StationeryLayer.h"
#include "platform/Spooler.h"

namespace zarvo {

class LayoutDocument;

// A frame proposed for an empty box of the stationery, drawn dashed until
// the user accepts or drops it; chosen ones (selected in their list) bolder.
struct ProposedFrame {
    RectMm frame;  // row coordinates, mm
    bool chosen = false;
};

class LayoutView : public QAbstractScrollArea {
    Q_OBJECT

public:
    // Pixels between the viewport's corner and the sheet's, scrolled to the
    // top left; the rulers lie in them.
    static constexpr int kMargin = 20;

    explicit LayoutView(QWidget* parent = nullptr);

    // The document edited (not owned; nullptr: none).
    // Shows document's rows and records the edits in its history.
    void setDocument(LayoutDocument* document);
    LayoutDocument* document() const { return document_; }
    LayoutEditor& editor() { return editor_; }

    // Takes the rows of the three lists afresh, keeping the history.
    void reloadRows();
    // Reads the report and the test data again and repaints.
    void refresh();

    int dpi() const { return dpi_; }
    // Zooms to dpi (held to the zoom steps' range), keeping the sheet point
    // at viewport point anchor where it is (the viewport's centre when none).
    void setDpi(int dpi, std::optional<QPoint> anchor = std::nullopt);
    // The largest whole dpi at which the whole sheet, or its width, fits.
    int fitPageDpi() const;
    int fitWidthDpi() const;

    // The portrait margins of the printer chosen (none: the sheet's corner),
    // its default paper, which a header code outside 0..5 without a paper in
    // the profile is drawn on, and its resolution, whose modules symbols take.
    void setPrinterSheet(std::optional<SheetMargins> margins, CustomPaper defaultPaper,
                         int symbolDpi = kScreenSymbolDpi);
    void setOverlaysShown(bool shown);
    // Changes the form's row (the header's paper code and the profile) from
    // the document's current one to after, as one undo step.
    void changeForm(RowText after);
    // Moves or places the selection as request says, as one undo step;
    // what cannot be done is said in a message.
    void applyPosition(const PositionRequest& request);
    // Fits every selected frame to the scan's box under it, as one undo step.
    void fitSelectionToBoxes();
    // Puts paper into the header and the profile, as one undo step.
    void changePaper(const SheetPaper& paper);
    // The field properties of block row (its dialog); what it keeps is one
    // undo step. The context menu of a block offers it.
    void showFieldProperties(RowRef row);
    void setGridShown(bool shown);
    void setNamesShown(bool shown);
    // While set, drags and arrow keys move the stationery picture.
    void setPictureMode(bool on) { pictureMode_ = on; }
    StationeryLayer& stationery() { return stationery_; }
    void setPictureShift(double dxMm, double dyMm);
    // The picture's shift on the sheet (mm).
    PointMm pictureShift() const { return {pictureDx_, pictureDy_}; }
    // The proposed frames drawn over the form (none: empty).
    void setProposedFrames(std::vector<ProposedFrame> frames);
    // Adds the block rows of step (insertions only, at the end of the block
    // list as the view holds it, and maybe the form row's change) as one
    // undo step and selects them; false when a dialog refuses input or there
    // is no document.
    bool addBlocks(const EditStep& step);
    // The rows of the three lists as they are now (taken afresh when stale).
    const LayoutScene& currentRows();
    // The lines found in the stationery picture (mm from its top-left; none
    // while not found), which drags snap to, and how far a frame fitted to
    // one of its boxes (Shift + double-click) keeps inside its lines, mm.
    void setScanLines(std::optional<ScanLines> lines) { scanLines_ = std::move(lines); }
    void setSnapMargin(double mm) { snapMargin_ = mm; }
    double snapMargin() const { return snapMargin_; }
    // The found lines and boxes where they lie now, in row coordinates.
    StationeryGuides stationeryGuides() const;
    // Where the picture's top-left corner lies now, in row coordinates (mm).
    PointMm pictureCorner() const;

    const FormFindings& findings() const { return findings_; }
    // The rows that lie wholly off the sheet, each with where it is, as the
    // status bar says it; empty when every row touches the sheet.
    const QString& offSheetNote() const { return offSheetNote_; }
    const FormPainter& form() const { return form_; }
    // What could not be used of the test data (UTF-8), empty when all was.
    const std::string& dataProblem() const { return dataProblem_; }
    const SheetFrame& sheet() const { return sheet_; }

    // Where the sheet's top-left corner is in the viewport, in pixels.
    QPoint sheetCorner() const;
    // Where the printer origin is in the viewport, in pixels: the engine's
    // (0, 0), from which the rulers and the grid count.
    QPoint printerOrigin() const;
    // The row coordinates (mm) at a viewport point, and back.
    PointMm rowPointAt(QPointF viewportPoint) const;
    QPointF viewportPointOf(PointMm rowPoint) const;

signals:
    // The pointer's position and the row under it, as the status bar says it.
    void pointerMoved(const QString& text);
    // The findings of the last drawing differ from the one before.
    void findingsChanged();
    // The form was read and drawn again (after an edit, an undo, a new paper).
    void refreshed();
    void zoomChanged(int dpi);
    // The user moved the picture to (dx, dy) mm.
    void pictureShiftChanged(double dxMm, double dyMm);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Takes the rows afresh when the lists may have changed since they were
    // last taken, so that a gesture always works on the rows there are.
    void takeRowsIfStale();
    QString describeOffSheetRows() const;
    void rowsChanged(const EditStep& step);
    // Reads the report and the test data into the form drawn.
    void readForm();
    // Whether input that could change rows is refused now: a dialog of the
    // document is open. A gesture under way waits; ending it now would
    // change the rows the dialog works on.
    bool inputRefused() const;
    void selectionMayHaveChanged();
    void updateGeometry();
    void updateGridOrigin();
    QSize sheetPixels() const;
    QPoint originPixels() const;
    QRectF viewportRectOf(const RectMm& formRect) const;
    void drawSheet(QPainter& painter, const QRect& exposed);
    // The sheet's part at viewport rectangle part: white, the picture, then
    // form; findings (when given) receive what drawing form found.
    QImage sheetImage(const QRect& part, const FormPainter& form, FormFindings* findings);
    // The rows that the gesture in progress moves or resizes (none for a
    // rubber band or a new shape), in scene order.
    std::vector<RowRef> movedRows() const;
    // The visible sheet while a gesture goes on: the rest of the form from
    // the gesture's layer, the moved rows drawn over a copy of it.
    void drawGestureSheet(QPainter& painter);
    void drawEmptyFrames(QPainter& painter);
    void drawOverlays(QPainter& painter);
    void drawSelection(QPainter& painter);
    void drawProposed(QPainter& painter);
    // The lines the drag under way landed on, thin and light.
    void drawGuides(QPainter& painter);
    // Fits the current frame to the empty box at viewport point at, as one undo step.
    void fitToBox(QPointF at);
    void drawRulers(QPainter& painter);
    void drawGrid(QPainter& painter);
    // The rulers' and the grid's steps at this zoom, with room for labels.
    RulerScale currentRulerScale() const;
    void showPointer(QPointF viewportPoint);
    void nudge(double dx, double dy);
    void movePicture(double dx, double dy);

    LayoutDocument* document_ = nullptr;
    LayoutEditor editor_;
    FormPainter form_;
    FormFindings findings_;
    std::string dataProblem_;
    StationeryLayer stationery_;
    SheetFrame sheet_;
    std::optional<SheetMargins> margins_;
    SheetPaper defaultPaper_{0, customPaper(210, 297)};
    int dpi_ = kLayoutBaseDpi;
    QFont rulerFont_;
    bool overlays_ = true;
    bool grid_ = false;
    bool pictureMode_ = false;
    double pictureDx_ = 0;
    double pictureDy_ = 0;
    std::optional<QPointF> pictureDragFrom_;
    std::optional<ScanLines> scanLines_;
    double snapMargin_ = kDefaultSnapMarginMm;
    std::optional<RowRef> lastCurrent_;
    // Whether the rows are the lists' own: false until first taken and
    // whenever the view is hidden, as the lists may change behind it.
    bool rowsCurrent_ = false;
    QString offSheetNote_;
    std::vector<ProposedFrame> proposed_;

    // While a gesture goes on, the visible part of the sheet drawn once
    // without the rows it moves; each pointer step draws only those rows
    // over a copy of it. The whole form is drawn afresh when the gesture ends.
    struct GestureLayer {
        QImage image;  // null: none
        QRect rect;    // where it lies in the viewport
        int dpi = 0;
        std::vector<RowRef> moved;
    };
    GestureLayer gestureLayer_;
    QImage gestureFrame_;  // the layer with the moved rows over it
    std::optional<FormPainter> movedForm_;  // the moved rows alone; nullopt: read them again
    // Rows moved by a drag since the form was last read.
    bool formStale_ = false;
};

}  // namespace zarvo
