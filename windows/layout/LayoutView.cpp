#include "layout/LayoutView.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainterPath>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include "detailedit/DetailBands.h"
#include "layout/DetailRows.h"
#include "layoutmodel/LayoutDocument.h"
#include "layoutmodel/Millimetres.h"
#include "layoutmodel/PaperChoices.h"
#include "layoutmodel/RulerScale.h"
#include "layoutmodel/Zoom.h"
#include "report/TestDataLine.h"
#include "report/Units.h"
#include "platform/Messages.h"

namespace zarvo {

namespace {

// Half the side of a grip's square, pixels.
constexpr int kGripHalf = 3;
constexpr double kArrowStepMm = 0.1;
constexpr double kShiftArrowStepMm = 1.0;
// The rulers' labels: their font's pixel size, their baseline in the top
// ruler, their distance from their tick and the room kept between two.
constexpr int kRulerFontPixels = 8;
constexpr int kRulerBaseline = 9;
constexpr int kLabelInset = 2;
constexpr int kLabelRoom = 2 * kLabelInset;

int tickLength(TickSize size) {
    switch (size) {
    case TickSize::Large: return 10;
    case TickSize::Middle: return 6;
    case TickSize::Small: break;
    }
    return 3;
}

const QColor kBackground(0x80, 0x80, 0x80);
const QColor kShade(0, 0, 0, 48);
const QColor kOverfull(0xff, 0x8c, 0x00);
const QColor kSelection(0x00, 0x66, 0xff);
const QColor kProposed(0x00, 0x99, 0x55);
const QColor kGrid(0x00, 0xa0, 0xc0, 56);
const QColor kGridStrong(0x00, 0xa0, 0xc0, 128);
const QColor kRuler(0xf0, 0xf0, 0xf0);
const QColor kGuide(0xff, 0x55, 0xff);
const QColor kEmptyFrame(0x60, 0x60, 0x60);

std::int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Alt turns off snapping to the stationery's lines and to the grid alike.
SnapTo snapOf(Qt::KeyboardModifiers modifiers, bool grid) {
    const bool alt = modifiers.testFlag(Qt::AltModifier);
    return SnapTo{grid && !alt, !alt};
}

PointerKeys keysOf(Qt::KeyboardModifiers modifiers) {
    return PointerKeys{modifiers.testFlag(Qt::ControlModifier), modifiers.testFlag(Qt::ShiftModifier),
                       modifiers.testFlag(Qt::AltModifier)};
}

QString rowDescription(const LayoutScene& scene, RowRef ref) {
    const RowText& row = scene.row(ref);
    switch (ref.kind) {
    case RowKind::Block: return QStringLiteral("BLOCK ") + QString::fromStdString(row.caption);
    case RowKind::Label: return QStringLiteral("LABEL ") + QString::fromStdString(row.caption);
    case RowKind::Line:
    case RowKind::Form: break;
    }
    return QStringLiteral("Lines 第 %1 筆").arg(ref.index + 1);
}

QString millimetres(double mm) { return QString::number(mm, 'f', 1); }

// How many rows off the sheet the status bar names; the rest are counted.
constexpr std::size_t kOffSheetNamed = 3;
// How far beyond the viewport an outline is still drawn, pixels: so far
// that clamping an edge to it never shows (nor shifts a dash pattern on
// screen), yet well within the painter's integer arithmetic.
constexpr double kDrawReach = 1 << 20;

// Whether rect (corners in any order) has a point in area.
bool reaches(const QRectF& rect, const QRectF& area) {
    const QRectF r = rect.normalized();
    return r.left() <= area.right() && r.right() >= area.left() && r.top() <= area.bottom() &&
           r.bottom() >= area.top();
}

// Draws rect's outline when it reaches area, its edges beyond area held at
// area's edge: what shows is the same, and a row millions of pixels off
// never reaches the painter's integer arithmetic.
void drawOutline(QPainter& painter, const QRectF& rect, const QRectF& area) {
    if (!reaches(rect, area)) return;
    const QRectF r = rect.normalized();
    const QPointF topLeft(std::clamp(r.left(), area.left(), area.right()), std::clamp(r.top(), area.top(), area.bottom()));
    const QPointF bottomRight(std::clamp(r.right(), area.left(), area.right()),
                              std::clamp(r.bottom(), area.top(), area.bottom()));
    painter.drawRect(QRectF(topLeft, bottomRight));
}

}  // namespace

LayoutView::LayoutView(QWidget* parent)
    : QAbstractScrollArea(parent), editor_([this](const EditStep& step) { rowsChanged(step); }) {
    setObjectName(QStringLiteral("LayoutView"));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    editor_.setGripRadius(dotsToMm(kGripHalf + 1, dpi_));
    sheet_ = sheetFrame(0, std::nullopt);
    rulerFont_ = font();
    rulerFont_.setPixelSize(kRulerFontPixels);
}

void LayoutView::setDocument(LayoutDocument* document) {
    document_ = document;
    if (document) editor_.useHistory(document->history());
}

void LayoutView::reloadRows() {
    if (!document_) return;
    rowsCurrent_ = true;
    for (RowKind kind : {RowKind::Line, RowKind::Label, RowKind::Block}) {
        editor_.scene().setRows(kind, document_->rows(kind));
    }
    // Rows that are gone cannot stay selected.
    editor_.select(editor_.selection(), editor_.current());
    lastCurrent_ = editor_.current();
}

void LayoutView::readForm() {
    formStale_ = false;
    gestureLayer_ = {};
    movedForm_.reset();
    if (!document_) return;
    form_.setReport(document_->reportBytes(), document_->reportName(), document_->profile());
    std::vector<TestDataField> fields;
    dataProblem_.clear();
    for (const std::string& line : document_->testDataLines(dataProblem_)) {
        fields.push_back(readTestDataLine(line));
    }
    form_.setFields(std::move(fields));
}

void LayoutView::refresh() {
    readForm();
    sheet_ = sheetFrame(paperFor(form_.sheetPaper()) ? form_.sheetPaper() : defaultPaper_, margins_);
    updateGridOrigin();
    updateGeometry();
    viewport()->update();
    QString offSheet = describeOffSheetRows();
    if (offSheet != offSheetNote_) {
        offSheetNote_ = std::move(offSheet);
        emit findingsChanged();
    }
    emit refreshed();
}

void LayoutView::takeRowsIfStale() {
    if (rowsCurrent_ || !document_) return;
    reloadRows();
    refresh();
}

// A row can lie anywhere a number reaches, far from what the view shows;
// the status bar names it with the place its list gives it.
QString LayoutView::describeOffSheetRows() const {
    const PointMm origin = sheet_.origin();
    const double x = origin.x + form_.offset().x, y = origin.y + form_.offset().y;
    const LayoutScene& scene = editor_.scene();
    const std::vector<RowRef> off = scene.rowsOutside(RectMm{-x, -y, sheet_.widthMm - x, sheet_.heightMm - y});
    if (off.empty()) return {};
    QStringList named;
    for (std::size_t i = 0; i < off.size() && i < kOffSheetNamed; ++i) {
        const RowShape& shape = *scene.shape(off[i]);
        const PointMm at = shape.kind == RowKind::Line ? shape.start : PointMm{shape.frame.left, shape.frame.top};
        named.append(QStringLiteral("%1 (%2, %3 mm)")
                         .arg(rowDescription(scene, off[i]), millimetres(at.x), millimetres(at.y)));
    }
    QString note = QStringLiteral("在紙張外: ") + named.join(QStringLiteral(", "));
    if (off.size() > kOffSheetNamed) note += QStringLiteral(" 等 %1 筆").arg(off.size());
    return note;
}

void LayoutView::rowsChanged(const EditStep& step) {
    if (document_) document_->rowsChanged(step);
    const std::vector<RowRef> moved = movedRows();
    if (!document_ || moved.empty()) {
        refresh();
        return;
    }
    // A step of a drag changes the moved rows alone: the rest of the form
    // stays as the gesture's layer holds it, and the whole form is read
    // when the gesture ends.
    formStale_ = true;
    movedForm_.reset();
    for (const RowChange& change : step) {
        if (!std::binary_search(moved.begin(), moved.end(), RowRef{change.kind, change.index})) gestureLayer_ = {};
    }
    viewport()->update();
}

bool LayoutView::inputRefused() const { return document_ && document_->dialogOpen(); }

void LayoutView::selectionMayHaveChanged() {
    if (formStale_ && !editor_.gestureActive()) refresh();
    viewport()->update();
    if (editor_.current() == lastCurrent_) return;
    lastCurrent_ = editor_.current();
    if (document_) document_->currentRowChanged(lastCurrent_);
}

// ---- geometry

QSize LayoutView::sheetPixels() const {
    return QSize(int(std::lround(mmToPixels(sheet_.widthMm, dpi_))),
                 int(std::lround(mmToPixels(sheet_.heightMm, dpi_))));
}

QPoint LayoutView::originPixels() const {
    const PointMm origin = sheet_.origin();
    return QPoint(int(std::lround(mmToPixels(origin.x, dpi_))),
                  int(std::lround(mmToPixels(origin.y, dpi_))));
}

QPoint LayoutView::sheetCorner() const {
    return QPoint(kMargin - horizontalScrollBar()->value(), kMargin - verticalScrollBar()->value());
}

QPoint LayoutView::printerOrigin() const { return sheetCorner() + originPixels(); }

PointMm LayoutView::rowPointAt(QPointF viewportPoint) const {
    const QPointF fromOrigin = viewportPoint - QPointF(printerOrigin());
    return PointMm{dotsToMm(fromOrigin.x(), dpi_) - form_.offset().x,
                   dotsToMm(fromOrigin.y(), dpi_) - form_.offset().y};
}

QPointF LayoutView::viewportPointOf(PointMm rowPoint) const {
    // Where the engine puts it: the sum in mm, truncated to a device pixel.
    // Added in double: a far row's pixel lies near the int range's edge.
    const QPointF base = printerOrigin();
    return QPointF(base.x() + mmToDevice(float(rowPoint.x + form_.offset().x), dpi_),
                   base.y() + mmToDevice(float(rowPoint.y + form_.offset().y), dpi_));
}

QRectF LayoutView::viewportRectOf(const RectMm& rect) const {
    return QRectF(viewportPointOf({rect.left, rect.top}), viewportPointOf({rect.right, rect.bottom}));
}

void LayoutView::updateGridOrigin() {
    editor_.setGridOrigin(PointMm{-form_.offset().x, -form_.offset().y});
}

void LayoutView::updateGeometry() {
    const QSize content = sheetPixels() + QSize(2 * kMargin, 2 * kMargin);
    const QSize view = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, content.width() - view.width()));
    verticalScrollBar()->setRange(0, std::max(0, content.height() - view.height()));
    horizontalScrollBar()->setPageStep(view.width());
    verticalScrollBar()->setPageStep(view.height());
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setSingleStep(20);
}

void LayoutView::setDpi(int dpi, std::optional<QPoint> anchor) {
    dpi = std::clamp(dpi, kZoomSteps.front(), kZoomSteps.back());
    const QPoint at = anchor.value_or(viewport()->rect().center());
    const QPointF sheetMm(dotsToMm(at.x() - sheetCorner().x(), dpi_), dotsToMm(at.y() - sheetCorner().y(), dpi_));
    dpi_ = dpi;
    editor_.setGripRadius(dotsToMm(kGripHalf + 1, dpi_));
    updateGeometry();
    horizontalScrollBar()->setValue(kMargin - at.x() + int(std::lround(mmToPixels(sheetMm.x(), dpi_))));
    verticalScrollBar()->setValue(kMargin - at.y() + int(std::lround(mmToPixels(sheetMm.y(), dpi_))));
    viewport()->update();
    emit zoomChanged(dpi_);
}

int LayoutView::fitPageDpi() const {
    return std::min(fitDpi(sheet_.widthMm, viewport()->width() - 2 * kMargin),
                    fitDpi(sheet_.heightMm, viewport()->height() - 2 * kMargin));
}

int LayoutView::fitWidthDpi() const {
    // The vertical scroll bar is there whenever the page is taller than the view.
    const int width = viewport()->width() + (verticalScrollBar()->isVisible() ? 0 : -verticalScrollBar()->sizeHint().width());
    return fitDpi(sheet_.widthMm, width - 2 * kMargin);
}

void LayoutView::setPrinterSheet(std::optional<SheetMargins> margins, CustomPaper defaultPaper, int symbolDpi) {
    margins_ = margins;
    form_.setSymbolDpi(symbolDpi);
    defaultPaper_ = SheetPaper(-1, std::move(defaultPaper));
    refresh();
}

void LayoutView::setOverlaysShown(bool shown) {
    overlays_ = shown;
    viewport()->update();
}

void LayoutView::setGridShown(bool shown) {
    grid_ = shown;
    viewport()->update();
}

void LayoutView::setNamesShown(bool shown) {
    form_.setNamesOnly(shown);
    gestureLayer_ = {};
    movedForm_.reset();
    viewport()->update();
}

void LayoutView::setPictureShift(double dxMm, double dyMm) {
    pictureDx_ = dxMm;
    pictureDy_ = dyMm;
    stationery_.setShift(dxMm, dyMm);
    gestureLayer_ = {};
    viewport()->update();
}

// ---- painting

void LayoutView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.fillRect(event->rect(), kBackground);
    if (document_ && editor_.gestureActive()) {
        drawGestureSheet(painter);
    } else {
        if (formStale_) readForm();
        gestureLayer_ = {};
        gestureFrame_ = QImage();
        movedForm_.reset();
        const QRect exposed = event->rect() & QRect(sheetCorner(), sheetPixels());
        if (!exposed.isEmpty()) drawSheet(painter, exposed);
    }
    drawOverlays(painter);
}

// Only the exposed part is drawn, like the preview's page.
void LayoutView::drawSheet(QPainter& painter, const QRect& exposed) {
    FormFindings findings;
    const QImage tile = sheetImage(exposed, form_, &findings);
    if (findings != findings_) {
        findings_ = std::move(findings);
        emit findingsChanged();
    }
    painter.drawImage(exposed.topLeft(), tile);
}

// Into a white image like the preview's: the picture first, then the form
// by the engine at this resolution.
QImage LayoutView::sheetImage(const QRect& part, const FormPainter& form, FormFindings* findings) {
    QImage tile(part.size(), QImage::Format_RGB32);
    tile.fill(Qt::white);
    const QPoint inSheet = part.topLeft() - sheetCorner();
    QPainter tilePainter(&tile);
    tilePainter.translate(-inSheet);
    if (stationery_.hasPicture()) stationery_.draw(tilePainter, QRect(inSheet, part.size()), dpi_);
    tilePainter.translate(originPixels());
    FormFindings found = form.draw(tilePainter, dpi_);
    if (overlays_ && document_) {
        paintDetailBands(tilePainter, detailBands(*document_->profile(), editor_.scene()), form_.offset(), dpi_);
    }
    if (findings) *findings = std::move(found);
    return tile;
}

std::vector<RowRef> LayoutView::movedRows() const {
    if (!editor_.gestureActive() || editor_.rubberBand() || editor_.shapeInProgress()) return {};
    std::vector<RowRef> moved = editor_.selection();
    std::sort(moved.begin(), moved.end());
    return moved;
}

void LayoutView::drawGestureSheet(QPainter& painter) {
    const QRect visible = QRect(sheetCorner(), sheetPixels()) & viewport()->rect();
    if (visible.isEmpty()) return;
    const std::vector<RowRef> moved = movedRows();
    const auto isMoved = [&moved](RowRef ref) { return std::binary_search(moved.begin(), moved.end(), ref); };
    GestureLayer& layer = gestureLayer_;
    if (layer.image.isNull() || layer.rect != visible || layer.dpi != dpi_ || layer.moved != moved) {
        const FormPainter rest = form_.withReport(document_->reportBytes([&](RowRef ref) { return !isMoved(ref); }));
        layer = GestureLayer{sheetImage(visible, rest, nullptr), visible, dpi_, moved};
        movedForm_.reset();
    }
    if (layer.moved.empty()) {
        painter.drawImage(visible.topLeft(), layer.image);
        return;
    }
    if (!movedForm_) movedForm_ = form_.withReport(document_->reportBytes(isMoved));
    // Drawn as the whole sheet is, over a copy of the layer, so that rows
    // that overlap nothing look as they will once the gesture ends.
    // The copy goes into a buffer kept for the gesture: a fresh image at
    // every step would cost as much in new pages as the copy itself.
    QImage& frame = gestureFrame_;
    if (frame.size() != layer.image.size() || frame.format() != layer.image.format()) {
        frame = QImage(layer.image.size(), layer.image.format());
    }
    std::memcpy(frame.bits(), layer.image.constBits(), std::size_t(layer.image.sizeInBytes()));
    {
        QPainter framePainter(&frame);
        framePainter.translate(sheetCorner() - visible.topLeft() + originPixels());
        movedForm_->draw(framePainter, dpi_);
    }
    painter.drawImage(visible.topLeft(), frame);
}

// Without test data every block's frame is outlined, beside the names drawn
// in them, so that the form's fields show before any data is loaded.
void LayoutView::drawEmptyFrames(QPainter& painter) {
    if (!form_.hasNoFields()) return;
    const LayoutScene& scene = editor_.scene();
    painter.setPen(QPen(kEmptyFrame, 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    const QRectF reach = QRectF(viewport()->rect()).adjusted(-kDrawReach, -kDrawReach, kDrawReach, kDrawReach);
    for (int index = 0; index < scene.rowCount(RowKind::Block); ++index) {
        const std::optional<RowShape>& shape = scene.shape(RowRef{RowKind::Block, index});
        if (shape) drawOutline(painter, viewportRectOf(shape->bounds()), reach);
    }
}

void LayoutView::drawOverlays(QPainter& painter) {
    const QRect sheet(sheetCorner(), sheetPixels());
    if (grid_) drawGrid(painter);
    if (overlays_) {
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(sheet.adjusted(-1, -1, 0, 0));
        const QRectF printable(QPointF(sheet.topLeft()) + QPointF(mmToPixels(sheet_.printable.left, dpi_),
                                                                  mmToPixels(sheet_.printable.top, dpi_)),
                               QPointF(sheet.topLeft()) + QPointF(mmToPixels(sheet_.printable.right, dpi_),
                                                                  mmToPixels(sheet_.printable.bottom, dpi_)));
        QPainterPath shade;
        shade.addRect(sheet);
        QPainterPath inside;
        inside.addRect(printable);
        painter.fillPath(shade.subtracted(inside), kShade);
        painter.setPen(QPen(kOverfull, 2));
        const QRectF reach = QRectF(viewport()->rect()).adjusted(-kDrawReach, -kDrawReach, kDrawReach, kDrawReach);
        for (const RectMm& frame : findings_.overfullFrames) {
            drawOutline(painter,
                        viewportRectOf(RectMm{frame.left - form_.offset().x, frame.top - form_.offset().y,
                                              frame.right - form_.offset().x, frame.bottom - form_.offset().y}),
                        reach);
        }
    }
    drawEmptyFrames(painter);
    drawProposed(painter);
    drawSelection(painter);
    drawGuides(painter);
    if (overlays_) drawRulers(painter);
}

void LayoutView::drawProposed(QPainter& painter) {
    const QRectF reach = QRectF(viewport()->rect()).adjusted(-kDrawReach, -kDrawReach, kDrawReach, kDrawReach);
    painter.setBrush(Qt::NoBrush);
    for (const ProposedFrame& proposed : proposed_) {
        painter.setPen(QPen(kProposed, proposed.chosen ? 2 : 1, Qt::DashLine));
        drawOutline(painter, viewportRectOf(proposed.frame), reach);
    }
}

void LayoutView::setProposedFrames(std::vector<ProposedFrame> frames) {
    proposed_ = std::move(frames);
    viewport()->update();
}

const LayoutScene& LayoutView::currentRows() {
    takeRowsIfStale();
    return editor_.scene();
}

bool LayoutView::addBlocks(const EditStep& step) {
    if (!document_ || inputRefused() || step.empty()) return false;
    takeRowsIfStale();
    editor_.edit(step, nowMs(), true);
    std::vector<RowRef> added;
    for (const RowChange& change : step)
        if (change.kind == RowKind::Block) added.push_back(RowRef{change.kind, change.index});
    editor_.select(added);
    selectionMayHaveChanged();
    return true;
}

void LayoutView::drawGuides(QPainter& painter) {
    painter.setPen(QPen(kGuide, 1));
    for (const ShownGuide& guide : editor_.shownGuides()) {
        const GuideLine& line = guide.line;
        const PointMm from = guide.vertical ? PointMm{line.position, line.from} : PointMm{line.from, line.position};
        const PointMm to = guide.vertical ? PointMm{line.position, line.to} : PointMm{line.to, line.position};
        painter.drawLine(viewportPointOf(from), viewportPointOf(to));
    }
}

PointMm LayoutView::pictureCorner() const {
    const PointMm origin = sheet_.origin();
    return {pictureToRow(0, pictureDx_, origin.x + form_.offset().x), pictureToRow(0, pictureDy_, origin.y + form_.offset().y)};
}

StationeryGuides LayoutView::stationeryGuides() const {
    if (!scanLines_ || !stationery_.hasPicture()) return {};
    const PointMm origin = sheet_.origin();
    return zarvo::stationeryGuides(*scanLines_, {pictureDx_, pictureDy_},
                                   {origin.x + form_.offset().x, origin.y + form_.offset().y});
}

void LayoutView::drawSelection(QPainter& painter) {
    const LayoutScene& scene = editor_.scene();
    const QRectF reach = QRectF(viewport()->rect()).adjusted(-kDrawReach, -kDrawReach, kDrawReach, kDrawReach);
    painter.setBrush(Qt::NoBrush);
    for (RowRef ref : editor_.selection()) {
        const std::optional<RowShape>& shape = scene.shape(ref);
        if (!shape) continue;
        painter.setPen(QPen(kSelection, 1, Qt::DashLine));
        if (shape->kind == RowKind::Line) {
            const QLineF line(viewportPointOf(shape->start), viewportPointOf(shape->end));
            if (reaches(QRectF(line.p1(), line.p2()), reach)) painter.drawLine(line);
        } else {
            drawOutline(painter, viewportRectOf(shape->frame), reach);
        }
        const bool current = editor_.current() == ref;
        painter.setPen(QPen(kSelection, 1));
        for (const GripPoint& grip : grips(*shape)) {
            const QPointF at = viewportPointOf(grip.at);
            const QRectF square(at.x() - kGripHalf, at.y() - kGripHalf, 2 * kGripHalf, 2 * kGripHalf);
            if (!reaches(square, reach)) continue;
            painter.fillRect(square, current ? kSelection : QColor(Qt::white));
            painter.drawRect(square);
        }
    }
    if (std::optional<RectMm> band = editor_.rubberBand()) {
        // A band that takes every row it touches is dashed, one that takes
        // the rows inside it dotted.
        const bool touching = editor_.rubberBandRule() == LayoutEditor::BandRule::Touching;
        painter.setPen(QPen(kSelection, 1, touching ? Qt::DashLine : Qt::DotLine));
        drawOutline(painter, viewportRectOf(*band), reach);
    }
    painter.setPen(QPen(kSelection, 1, Qt::DotLine));
    if (std::optional<NewShape> shape = editor_.shapeInProgress()) {
        if (shape->kind == RowKind::Line) {
            painter.drawLine(viewportPointOf(shape->start), viewportPointOf(shape->end));
        } else {
            drawOutline(painter, viewportRectOf(rectFromCorners(shape->start, shape->end)), reach);
        }
    }
}

// Millimetre lines counted from the printer origin, on the pixels of the
// rulers' ticks, every 10 mm stronger.
void LayoutView::drawGrid(QPainter& painter) {
    const QRect visible = QRect(sheetCorner(), sheetPixels()) & viewport()->rect();
    const QPoint origin = printerOrigin();
    const RulerScale scale = currentRulerScale();
    const auto pen = [](const RulerTick& line) { return QPen(line.mm % kGridEmphasisMm == 0 ? kGridStrong : kGrid, 1); };
    for (const RulerTick& line : gridLines(scale, dpi_, visible.left() - origin.x(), visible.right() - origin.x())) {
        const int x = origin.x() + line.pixel;
        painter.setPen(pen(line));
        painter.drawLine(x, visible.top(), x, visible.bottom());
    }
    for (const RulerTick& line : gridLines(scale, dpi_, visible.top() - origin.y(), visible.bottom() - origin.y())) {
        const int y = origin.y() + line.pixel;
        painter.setPen(pen(line));
        painter.drawLine(visible.left(), y, visible.right(), y);
    }
}

RulerScale LayoutView::currentRulerScale() const {
    // Labels have three digits at most (a sheet is at most 420 mm long).
    return rulerScale(dpi_, QFontMetrics(rulerFont_).horizontalAdvance(QStringLiteral("000")) + kLabelRoom);
}

// Rulers along the viewport's top and left, in mm from the printer origin:
// each tick on the pixel where the engine draws a line at its millimetres.
void LayoutView::drawRulers(QPainter& painter) {
    const QRect view = viewport()->rect();
    painter.fillRect(QRect(0, 0, view.width(), kMargin), kRuler);
    painter.fillRect(QRect(0, 0, kMargin, view.height()), kRuler);
    const RulerScale scale = currentRulerScale();
    const QPoint origin = printerOrigin();
    painter.setFont(rulerFont_);
    painter.setPen(Qt::black);
    for (const RulerTick& tick : rulerTicks(scale, dpi_, kMargin - origin.x(), view.width() - origin.x())) {
        const int x = origin.x() + tick.pixel;
        painter.drawLine(x, kMargin - tickLength(tick.size), x, kMargin - 1);
        if (tick.labelled) painter.drawText(x + kLabelInset, kRulerBaseline, QString::number(tick.mm));
    }
    for (const RulerTick& tick : rulerTicks(scale, dpi_, kMargin - origin.y(), view.height() - origin.y())) {
        const int y = origin.y() + tick.pixel;
        painter.drawLine(kMargin - tickLength(tick.size), y, kMargin - 1, y);
        if (tick.labelled) {
            painter.drawText(QRect(0, y + 1, kMargin - kLabelInset - 1, kRulerBaseline + 1),
                             Qt::AlignRight | Qt::AlignTop, QString::number(tick.mm));
        }
    }
    painter.fillRect(QRect(0, 0, kMargin, kMargin), kRuler);
}

// ---- events

void LayoutView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateGeometry();
}

void LayoutView::scrollContentsBy(int, int) { viewport()->update(); }

void LayoutView::showPointer(QPointF viewportPoint) {
    const PointMm row = rowPointAt(viewportPoint);
    QString text = QStringLiteral("x %1 mm, y %2 mm")
                       .arg(millimetres(row.x + form_.offset().x), millimetres(row.y + form_.offset().y));
    if (std::optional<RowRef> under = editor_.scene().rowAt(row, LayoutEditor::kLineToleranceMm)) {
        text += QStringLiteral("　") + rowDescription(editor_.scene(), *under);
    }
    emit pointerMoved(text);
}

void LayoutView::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    if (inputRefused()) return;
    takeRowsIfStale();
    if (event->button() != Qt::LeftButton) return;
    if (pictureMode_) {
        pictureDragFrom_ = event->position() - QPointF(mmToPixels(pictureDx_, dpi_), mmToPixels(pictureDy_, dpi_));
        return;
    }
    editor_.setGuides(stationeryGuides());
    editor_.press(rowPointAt(event->position()), keysOf(event->modifiers()));
    selectionMayHaveChanged();
}

void LayoutView::mouseMoveEvent(QMouseEvent* event) {
    showPointer(event->position());
    if (!(event->buttons() & Qt::LeftButton) || inputRefused()) return;
    if (pictureDragFrom_) {
        const QPointF shift = event->position() - *pictureDragFrom_;
        movePicture(roundToTenth(dotsToMm(shift.x(), dpi_)) - pictureDx_,
                    roundToTenth(dotsToMm(shift.y(), dpi_)) - pictureDy_);
        return;
    }
    if (!editor_.gestureActive()) return;
    editor_.drag(rowPointAt(event->position()), snapOf(event->modifiers(), grid_));
    viewport()->update();
}

void LayoutView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || inputRefused()) return;
    if (pictureDragFrom_) {
        pictureDragFrom_.reset();
        return;
    }
    if (!editor_.gestureActive()) return;
    const std::optional<NewShape> shape =
        editor_.release(rowPointAt(event->position()), snapOf(event->modifiers(), grid_), nowMs());
    selectionMayHaveChanged();
    if (shape && document_) {
        const EditStep step = document_->addRow(*shape);
        if (step.empty()) return;
        editor_.edit(step, nowMs(), false);
        editor_.select({RowRef{step.front().kind, step.front().index}});
        selectionMayHaveChanged();
        refresh();
    }
}

void LayoutView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || pictureMode_ || !document_ || inputRefused()) return;
    takeRowsIfStale();
    if (event->modifiers().testFlag(Qt::ShiftModifier)) {
        fitToBox(event->position());
        return;
    }
    const std::optional<RowRef> row =
        editor_.scene().rowAt(rowPointAt(event->position()), LayoutEditor::kLineToleranceMm);
    if (!row) return;
    editor_.select({*row});
    selectionMayHaveChanged();
    const EditStep step = document_->editRow(*row);
    if (step.empty()) return;
    editor_.edit(step, nowMs(), false);
    refresh();
}

void LayoutView::fitToBox(QPointF at) {
    const std::optional<RowRef> frame = editor_.current();
    const std::optional<RectMm> box = emptyBoxAt(stationeryGuides(), rowPointAt(at));
    if (!frame || !box) return;
    const EditStep step = fitFrameStep(editor_.scene(), *frame, insetFrame(*box, snapMargin_));
    if (step.empty()) return;
    editor_.edit(step, nowMs(), true);
    selectionMayHaveChanged();
}

void LayoutView::applyPosition(const PositionRequest& request) {
    if (!document_ || inputRefused()) return;
    takeRowsIfStale();
    std::string error;
    const EditStep step = positionStep(editor_.scene(), editor_.selection(), request, error);
    if (!error.empty()) ShowWarning("%s", error.c_str());
    if (step.empty()) return;
    editor_.edit(step, nowMs(), true);
    selectionMayHaveChanged();
}

void LayoutView::fitSelectionToBoxes() {
    if (!document_ || inputRefused()) return;
    takeRowsIfStale();
    const EditStep step = fitFramesStep(editor_.scene(), editor_.selection(), stationeryGuides(), snapMargin_);
    if (step.empty()) return;
    editor_.edit(step, nowMs(), true);
    selectionMayHaveChanged();
}

void LayoutView::changeForm(RowText after) {
    if (!document_ || inputRefused()) return;
    RowText before = document_->formRow();
    if (before == after) return;
    editor_.edit({RowChange{RowKind::Form, 0, std::move(before), std::move(after)}}, nowMs(), true);
}

void LayoutView::showFieldProperties(RowRef row) {
    if (!document_ || inputRefused()) return;
    if (const std::optional<RowText> after = document_->fieldStyleRow(row)) changeForm(*after);
}

void LayoutView::contextMenuEvent(QContextMenuEvent* event) {
    if (pictureMode_ || !document_ || inputRefused()) return;
    takeRowsIfStale();
    const std::optional<RowRef> row = editor_.scene().rowAt(rowPointAt(event->pos()), LayoutEditor::kLineToleranceMm);
    if (!row || row->kind != RowKind::Block) return;
    editor_.select({*row});
    selectionMayHaveChanged();
    QMenu menu(this);
    QAction* properties = menu.addAction(QStringLiteral("屬性..."));
    if (menu.exec(event->globalPos()) == properties) showFieldProperties(*row);
}

void LayoutView::changePaper(const SheetPaper& paper) {
    if (document_) changeForm(formRowWithPaper(*document_->profile(), paper));
}

void LayoutView::nudge(double dx, double dy) {
    if (pictureMode_) {
        movePicture(dx, dy);
        return;
    }
    editor_.nudge(dx, dy, nowMs());
    viewport()->update();
}

void LayoutView::movePicture(double dx, double dy) {
    if (dx == 0 && dy == 0) return;
    setPictureShift(roundToTenth(pictureDx_ + dx), roundToTenth(pictureDy_ + dy));
    emit pictureShiftChanged(pictureDx_, pictureDy_);
}

void LayoutView::keyPressEvent(QKeyEvent* event) {
    if (inputRefused()) return;
    takeRowsIfStale();
    const double step = event->modifiers().testFlag(Qt::ShiftModifier) ? kShiftArrowStepMm : kArrowStepMm;
    const bool control = event->modifiers().testFlag(Qt::ControlModifier);
    if (event->matches(QKeySequence::Undo)) {
        editor_.undo();
    } else if (event->matches(QKeySequence::SelectAll)) {
        editor_.selectAll();
    } else if (event->matches(QKeySequence::Redo) || (control && event->key() == Qt::Key_Y)) {
        editor_.redo();
    } else if (control && (event->key() == Qt::Key_Plus || event->key() == Qt::Key_Equal)) {
        setDpi(zoomIn(dpi_));
    } else if (control && event->key() == Qt::Key_Minus) {
        setDpi(zoomOut(dpi_));
    } else {
        switch (event->key()) {
        case Qt::Key_Left: nudge(-step, 0); break;
        case Qt::Key_Right: nudge(step, 0); break;
        case Qt::Key_Up: nudge(0, -step); break;
        case Qt::Key_Down: nudge(0, step); break;
        case Qt::Key_Delete:
            editor_.deleteSelection(nowMs(), [this](const EditStep& step) {
                return document_ ? document_->followBlockRows(step) : EditStep{};
            });
            break;
        case Qt::Key_Escape:
            if (editor_.gestureActive()) {
                editor_.cancelGesture();
            } else {
                editor_.clearSelection();
            }
            break;
        default: QAbstractScrollArea::keyPressEvent(event); return;
        }
    }
    selectionMayHaveChanged();
}

void LayoutView::hideEvent(QHideEvent* event) {
    QAbstractScrollArea::hideEvent(event);
    // A gesture cannot outlive the page; the lists may change while it is away.
    if (editor_.gestureActive()) editor_.cancelGesture();
    pictureDragFrom_.reset();
    rowsCurrent_ = false;
}

void LayoutView::wheelEvent(QWheelEvent* event) {
    if (!event->modifiers().testFlag(Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    const int delta = event->angleDelta().y();
    if (delta != 0) setDpi(delta > 0 ? zoomIn(dpi_) : zoomOut(dpi_), event->position().toPoint());
    event->accept();
}

}  // namespace zarvo
