// The Layout page on a report document: the delivery note moved by keys
// and by the mouse, undone, saved; its drawing against the preview's; the
// rulers and the grid against the engine's lines; the stationery under it
// and its settings file.

#include "layout/LayoutPage.h"

#include <cmath>
#include <filesystem>
#include <functional>
#include <optional>

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <QWheelEvent>

#include "document/Big5TextFile.h"
#include "report/Units.h"
#include "layout/LayoutView.h"
#include "layout/StatusText.h"
#include "layoutmodel/Zoom.h"
#include "report/ProfilePaper.h"
#include "tests/common/Command.h"
#include "tests/common/FifoWatchdog.h"
#include "tests/common/TempDir.h"
#include "tests/windows/layout/LayoutPageFixture.h"

namespace zarvo {
namespace {

using test::example;
using test::TempDir;

const std::string kCustomerRow = "0\t22\t34\t98\t8\t0\t0\t7\t0\t4\t2.5\t0\tcustomer";

// A new block's values from the editor: every value but the frame's zero.
bool confirmAs(ListRow& row, const QString& caption) {
    row.caption = caption;
    for (int column : {1, 6, 7, 8, 9, 10, 11, 12}) row.values[column - 1] = QStringLiteral("0");
    return true;
}

class LayoutPageTest : public test::LayoutPageFixture {
protected:
    // Chooses ZoomBox's entry index as a user would.
    void chooseZoom(int index) {
        page.ZoomBox->setCurrentIndex(index);
        emit page.ZoomBox->activated(index);
    }
    // One notch of the wheel up with Ctrl held, over the viewport.
    void ctrlWheel() {
        QWidget* target = view().viewport();
        const QPointF at(200, 200);
        QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::ControlModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(target, &wheel);
    }
    std::string render(const std::string& args) {
        const test::CommandResult result = test::runCommand(
            std::string(ZARVO_RENDER) + " --data-dir '" + (dir.path() / "cli").string() + "' " + args, dir);
        EXPECT_EQ(result.status, 0) << result.err;
        return result.out;
    }
};

bool isRed(QRgb pixel) { return qRed(pixel) > 200 && qGreen(pixel) < 80 && qBlue(pixel) < 80; }

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos);
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

TEST_F(LayoutPageTest, ThePageShownGivesTheViewTheFocus) {
    page.pageShown();
    EXPECT_EQ(page.focusWidget(), &view());
    EXPECT_EQ(page.CB_printer->itemText(0), QStringLiteral("（無）紙張左上角"));
    EXPECT_EQ(page.ZoomBox->currentText(), QStringLiteral("100 %"));
    EXPECT_FALSE(page.ChB_grid->isChecked());
}

TEST_F(LayoutPageTest, KeysMoveTheSelectedBlockAndUndoGivesBackTheFileByteForByte) {
    openDeliveryNote();
    for (int i = 0; i < 5; ++i) key(Qt::Key_Right);
    key(Qt::Key_Down, Qt::ShiftModifier);
    key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_TRUE(document.rowsEdited(Section::Blocks));
    EXPECT_TRUE(document.unsaved());
    EXPECT_EQ(saveAs("moved.txt"),
              replaced(original, kCustomerRow, "0\t22.5\t36\t98\t8\t0\t0\t7\t0\t4\t2.5\t0\tcustomer"));
    int undone = 0;
    while (view().editor().history().canUndo() && undone < 10) {
        key(Qt::Key_Z, Qt::ControlModifier);
        ++undone;
    }
    EXPECT_EQ(undone, 1);
    EXPECT_EQ(saveAs("undone.txt"), original);
    key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(blockRow(0).mid(2, 2), (QStringList{"22.5", "36"}));
}

struct DragCase {
    int dpi;
    bool grid;
    QStringList leftTop;
};

TEST_F(LayoutPageTest, ADraggedBlockLandsOnTheGridOrOnTheNearestTenthOfWhereThePointerWent) {
    const DragCase cases[] = {{114, true, {"34.5", "38.5"}}, {114, false, {"34.3", "38.5"}},
                              {228, true, {"34.5", "38.5"}}, {228, false, {"34.3", "38.5"}}};
    for (const DragCase& c : cases) {
        openDeliveryNote();
        view().setDpi(c.dpi);
        view().horizontalScrollBar()->setValue(0);
        view().verticalScrollBar()->setValue(0);
        page.ChB_grid->setChecked(c.grid);
        const QPoint from = at(30, 38);
        drag(from, from + QPoint(qRound(mmToPixels(12.3, c.dpi)), qRound(mmToPixels(4.5, c.dpi))));
        EXPECT_EQ(blockRow(0).mid(2, 2), c.leftTop) << c.dpi << " " << c.grid;
        EXPECT_EQ(blockRow(0).mid(4, 2), (QStringList{"98", "8"}));
    }
}

TEST_F(LayoutPageTest, AHandleResizesAndShiftDragDrawsANewBlockThroughItsDialog) {
    openDeliveryNote();
    view().setDpi(228);
    view().horizontalScrollBar()->setValue(0);
    view().verticalScrollBar()->setValue(0);
    page.ChB_grid->setChecked(true);
    // customer: 22, 34, 98 x 8, selected.
    drag(at(120, 42), at(125, 45));
    EXPECT_EQ(blockRow(0).mid(2, 4), (QStringList{"22", "34", "103", "11"}));

    QStringList drawn;
    dialogs.answer = [&](ListRow& row) {
        drawn = test::columns(row);
        return confirmAs(row, QStringLiteral("newblock"));
    };
    const int blocks = rowCount(Section::Blocks);
    drag(at(60, 200), at(80, 210), Qt::ShiftModifier);
    ASSERT_EQ(rowCount(Section::Blocks), blocks + 1);
    EXPECT_EQ(drawn.mid(2, 4), (QStringList{"60", "200", "20", "10"}));
    EXPECT_EQ(blockRow(blocks)[0], QStringLiteral("newblock"));

    dialogs.answer = nullptr;
    drag(at(60, 220), at(80, 230), Qt::ShiftModifier);
    EXPECT_EQ(rowCount(Section::Blocks), blocks + 1);
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(rowCount(Section::Blocks), blocks);
}

TEST_F(LayoutPageTest, CtrlAThenShiftLeftMovesEveryRowFourMillimetresAsOneUndoStep) {
    openDeliveryNote();
    const LayoutScene& scene = view().editor().scene();
    std::vector<std::vector<RowText>> before;
    for (RowKind kind : {RowKind::Line, RowKind::Label, RowKind::Block}) before.push_back(scene.rows(kind));
    key(Qt::Key_A, Qt::ControlModifier);
    for (int i = 0; i < 4; ++i) key(Qt::Key_Left, Qt::ShiftModifier);
    int rows = 0;
    for (RowKind kind : {RowKind::Line, RowKind::Label, RowKind::Block}) {
        for (int index = 0; index < scene.rowCount(kind); ++index) {
            SCOPED_TRACE(testing::Message() << int(kind) << " " << index);
            const std::optional<RowShape> was = rowShape(kind, before[std::size_t(kind)][std::size_t(index)]);
            const std::optional<RowShape> now = scene.shape({kind, index});
            ASSERT_TRUE(was && now);
            const RectMm a = was->bounds(), b = now->bounds();
            EXPECT_NEAR(b.left, a.left - 4, 1e-9);
            EXPECT_NEAR(b.right, a.right - 4, 1e-9);
            EXPECT_EQ(b.top, a.top);
            ++rows;
        }
    }
    EXPECT_EQ(rows, 49 + 42 + 67);
    EXPECT_EQ(blockRow(0).mid(2, 2), (QStringList{"18", "34"}));
    EXPECT_EQ(document.rows(Section::Lines)[0].values[1], QStringLiteral("64"));
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(view().editor().history().canUndo());
    EXPECT_EQ(saveAs("undone.txt"), original);
}

TEST_F(LayoutPageTest, ARightToLeftBandSelectsTheFramesItTouches) {
    openDeliveryNote();
    key(Qt::Key_Escape);
    // From right of the form to the customer box (22, 34, 98 x 8), which
    // the band only crosses, as it crosses the date's caption (120, 34) and
    // the ruling at y = 42.
    drag(at(198, 45), at(100, 38));
    const std::vector<RowRef>& selected = view().editor().selection();
    const auto has = [&](RowRef ref) { return std::find(selected.begin(), selected.end(), ref) != selected.end(); };
    EXPECT_TRUE(has({RowKind::Block, 0}));
    EXPECT_TRUE(has({RowKind::Label, 5}));
    EXPECT_TRUE(has({RowKind::Line, 6}));
    EXPECT_FALSE(has({RowKind::Label, 4}));
    ASSERT_TRUE(dialogs.currentRows.count(Section::Blocks));
    EXPECT_EQ(dialogs.currentRows.at(Section::Blocks), 0);
}

TEST_F(LayoutPageTest, AfterAZoomChangeTheKeysGoToTheViewSoEscClearsTheSelection) {
    openDeliveryNote();
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"ZoomBox", [&] { chooseZoom(page.ZoomBox->findData(171)); }},
        {"ZoomBox fit", [&] { chooseZoom(page.ZoomBox->count() - 2); }},
        {"Ctrl+wheel", [&] { ctrlWheel(); }},
        {"Ctrl+-", [&] { QTest::keyClick(page.focusWidget(), Qt::Key_Minus, Qt::ControlModifier); }},
    };
    for (const auto& [how, change] : changes) {
        SCOPED_TRACE(how);
        view().editor().select({{RowKind::Block, 0}});
        page.ZoomBox->setFocus(Qt::MouseFocusReason);
        if (std::string(how) == "Ctrl+-") view().setFocus();
        const int dpi = view().dpi();
        change();
        EXPECT_NE(view().dpi(), dpi);
        ASSERT_EQ(page.focusWidget(), &view());
        QTest::keyClick(page.focusWidget(), Qt::Key_Escape);
        EXPECT_TRUE(view().editor().selection().empty());
    }
}

// ---- rulers and grid

// A report ruled at 10, 100 and 200 mm from the printer origin, across and
// down, in thin red lines; its header moves the form by 10 and 8 mm.
std::string ruledReport() {
    std::string lines;
    for (int mm : {10, 100, 200}) {
        lines += "0\t1\t" + std::to_string(mm - 10) + "\t0\t" + std::to_string(mm - 10) + "\t270\t\r\n";
        lines += "0\t1\t0\t" + std::to_string(mm - 8) + "\t195\t" + std::to_string(mm - 8) + "\t\r\n";
    }
    return "0\t10\t8\r\nLINE_INFO\t6\r\n" + lines + "LABEL_STRING\t0\r\nBLOCK_INFO\t0\r\n";
}

// Along a run of pixels from at - 3 to at + 3 (clipped to [0, size)), the
// one nearest at for which is(i) holds; nullopt when none does.
std::optional<int> nearest(int at, int size, const std::function<bool(int)>& is) {
    for (int distance = 0; distance <= 3; ++distance) {
        for (int i : {at - distance, at + distance}) {
            if (i >= 0 && i < size && is(i)) return i;
        }
    }
    return std::nullopt;
}

bool isDark(QRgb pixel) { return qGray(pixel) < 100; }

// A tick of at least middle length: the ruler's last six pixels toward the
// sheet, across it, all dark.
bool isTick(const QImage& image, Qt::Orientation ruler, int at) {
    for (int depth = LayoutView::kMargin - 6; depth < LayoutView::kMargin; ++depth) {
        if (!isDark(ruler == Qt::Horizontal ? image.pixel(at, depth) : image.pixel(depth, at))) return false;
    }
    return true;
}

// How much a grid line took off a pixel's red: every pixel the grid can
// cover (white paper, a red line) is full red without it, so a strong line
// takes off about twice what a light one does.
bool isStrongGrid(QRgb without, QRgb with) { return qRed(without) - qRed(with) > 92; }

TEST_F(LayoutPageTest, RulerTicksAndGridLinesLieOnTheEnginesLinesAtEveryZoom) {
    printers.use({{"beta", true}}, {{"beta", SheetMargins{5, 7, 5, 9}}});
    open(file("ruled.txt", ruledReport()));
    ASSERT_EQ(view().sheet().origin(), (PointMm{5, 7}));
    for (int index = 0; index < page.ZoomBox->count(); ++index) {
        chooseZoom(index);
        const int dpi = view().dpi();
        for (int mm : {10, 100, 200}) {
            SCOPED_TRACE(testing::Message() << page.ZoomBox->itemText(index).toStdString() << " (" << dpi
                                            << " dpi), " << mm << " mm");
            // The place of (mm, mm) from the origin brought to the middle.
            view().horizontalScrollBar()->setValue(0);
            view().verticalScrollBar()->setValue(0);
            const QPoint place = view().printerOrigin() + QPoint(mmToDevice(mm, dpi), mmToDevice(mm, dpi));
            view().horizontalScrollBar()->setValue(place.x() - view().viewport()->width() / 2);
            view().verticalScrollBar()->setValue(place.y() - view().viewport()->height() / 2);
            const QPoint guess = view().printerOrigin() + QPoint(mmToDevice(mm, dpi), mmToDevice(mm, dpi));

            page.ChB_overlays->setChecked(false);
            page.ChB_grid->setChecked(false);
            const QImage form = grab();
            // The engine's lines, found beside their crossing.
            const std::optional<int> lineX =
                nearest(guess.x(), form.width(), [&](int x) { return isRed(form.pixel(x, guess.y() + 2)); });
            const std::optional<int> lineY =
                nearest(guess.y(), form.height(), [&](int y) { return isRed(form.pixel(guess.x() + 2, y)); });
            ASSERT_TRUE(lineX && lineY);

            page.ChB_overlays->setChecked(true);
            page.ChB_grid->setChecked(true);
            const QImage ruled = grab();
            const std::optional<int> tickX =
                nearest(*lineX, ruled.width(), [&](int x) { return isTick(ruled, Qt::Horizontal, x); });
            const std::optional<int> tickY =
                nearest(*lineY, ruled.height(), [&](int y) { return isTick(ruled, Qt::Vertical, y); });
            ASSERT_TRUE(tickX && tickY);
            EXPECT_LE(std::abs(*tickX - *lineX), 1) << *tickX << " " << *lineX;
            EXPECT_LE(std::abs(*tickY - *lineY), 1) << *tickY << " " << *lineY;

            // Grid lines, looked for just off the crossing, where no other
            // grid line lies.
            const int row = *lineY + 2, column = *lineX + 2;
            const std::optional<int> gridX = nearest(*lineX, ruled.width(), [&](int x) {
                return isStrongGrid(form.pixel(x, row), ruled.pixel(x, row));
            });
            const std::optional<int> gridY = nearest(*lineY, ruled.height(), [&](int y) {
                return isStrongGrid(form.pixel(column, y), ruled.pixel(column, y));
            });
            ASSERT_TRUE(gridX && gridY);
            EXPECT_LE(std::abs(*gridX - *lineX), 1) << *gridX << " " << *lineX;
            EXPECT_LE(std::abs(*gridY - *lineY), 1) << *gridY << " " << *lineY;
        }
    }
}

// The sheet as the view shows it from the viewport's (20, 20), cut to size.
QImage shownSheet(const QImage& viewport, QSize size) {
    return viewport.copy(QRect(QPoint(LayoutView::kMargin, LayoutView::kMargin), size));
}

TEST_F(LayoutPageTest, AtOneHundredPercentTheFormIsThePreviewImagePixelForPixel) {
    openDeliveryNote();
    const std::string data = dir.write("data.txt", example("delivery_note_data.txt") + "nosuch,1\r\n");
    document.typeTestData(decodeBig5Text(TempDir::read(data)));
    document.saveAs(document.fileName());
    page.ChB_overlays->setChecked(false);
    page.pageShown();
    key(Qt::Key_Escape);
    const QImage shown = grab();
    const std::string png = (dir.path() / "preview.png").string();
    render("--png '" + png + "' '" + path("note/delivery_note.txt").toStdString() + "' '" + data + "'");
    const QImage preview = QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGB32);
    // The A4 sheet at 114 dots per inch, as far as the viewport shows it.
    const QSize visible =
        (shown.size() - QSize(LayoutView::kMargin, LayoutView::kMargin)).boundedTo(QSize(943, 1333));
    ASSERT_GT(visible.height(), 1000);
    EXPECT_EQ(shownSheet(shown, visible), preview.copy(QRect(QPoint(0, 0), visible)));
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_TRUE(page.ST_layoutNotes->text().contains(QStringLiteral("nosuch")));
}

TEST_F(LayoutPageTest, OtherZoomsAreDrawnByTheEngineAtTheirResolution) {
    openDeliveryNote();
    page.ChB_overlays->setChecked(false);
    for (int dpi : {57, 228}) {
        view().setDpi(dpi);
        view().horizontalScrollBar()->setValue(0);
        view().verticalScrollBar()->setValue(0);
        const QImage shown = grab();
        // The thin line at y = 42 mm (+ 8 mm of header offset), 15 mm in.
        const int x = LayoutView::kMargin + mmToDevice(15, dpi);
        const int y = LayoutView::kMargin + mmToDevice(50, dpi);
        EXPECT_EQ(shown.pixel(x, y), qRgb(255, 0, 0)) << dpi;
        EXPECT_EQ(shown.pixel(x, y - 1), qRgb(255, 255, 255)) << dpi;
        EXPECT_EQ(shown.pixel(x, y + 1), qRgb(255, 255, 255)) << dpi;
    }
}

TEST_F(LayoutPageTest, ThePreviewOnlyShiftOfTheHeaderIsNotAdded) {
    open(file("shifted.txt", replaced(example("delivery_note.txt"), "0\t10\t8\r\n", "0\t10\t8\t20\t20\r\n")));
    page.ChB_overlays->setChecked(false);
    const QImage shown = grab();
    EXPECT_EQ(shown.pixel(LayoutView::kMargin + mmToDevice(15, 114), LayoutView::kMargin + mmToDevice(50, 114)),
              qRgb(255, 0, 0));
}

TEST_F(LayoutPageTest, TheChosenPrintersMarginsPlaceTheFormAndShadeWhatItCannotPrint) {
    // beta's margins are known, alpha's are not.
    printers.use({{"alpha", false}, {"beta", true}}, {{"beta", SheetMargins{5, 7, 5, 9}}});
    openDeliveryNote();
    key(Qt::Key_Escape);
    ASSERT_EQ(page.CB_printer->count(), 3);
    EXPECT_EQ(page.CB_printer->currentText(), QStringLiteral("beta"));
    EXPECT_EQ(view().sheet().printable, (RectMm{5, 7, 205, 288}));
    const auto sheet = [](double mm) { return LayoutView::kMargin + int(std::lround(mmToPixels(mm, 114))); };
    QImage shown = grab();
    EXPECT_NE(shown.pixel(sheet(100), sheet(2)), qRgb(255, 255, 255));
    page.ChB_overlays->setChecked(false);
    shown = grab();
    EXPECT_EQ(shown.pixel(sheet(100), sheet(2)), qRgb(255, 255, 255));
    // The thin line at 50 mm from the form's origin, now 7 mm lower.
    EXPECT_EQ(shown.pixel(sheet(5) + mmToDevice(15, 114), sheet(7) + mmToDevice(50, 114)), qRgb(255, 0, 0));
    page.CB_printer->setCurrentIndex(1);
    EXPECT_EQ(view().sheet().printable, (RectMm{0, 0, 210, 297}));
    EXPECT_TRUE(page.ST_layoutNotes->text().contains(QStringLiteral("alpha")));
}

TEST_F(LayoutPageTest, ThePageNamesWhatPaperWillNotShowAndFollowsTheListsBothWays) {
    openDeliveryNote();
    typeTestData(QStringLiteral("customer,") + QString(80, QChar(0x5b57)));
    EXPECT_EQ(grab().pixel(at(60, 34).x(), at(60, 34).y() - 1), qRgb(0xff, 0x8c, 0x00));
    EXPECT_TRUE(page.ST_layoutNotes->text().contains(QStringLiteral("customer")));

    // The caption 出貨單 (65, 19, 60 x 11) is the third label.
    mouse(QEvent::MouseMove, at(90, 25), Qt::NoButton);
    EXPECT_TRUE(page.ST_layoutPointer->text().contains(QStringLiteral("LABEL 出貨單")));
    mouse(QEvent::MouseButtonPress, at(90, 25), Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, at(90, 25), Qt::NoButton);
    ASSERT_TRUE(dialogs.currentRows.count(Section::Labels));
    EXPECT_EQ(dialogs.currentRows.at(Section::Labels), 2);

    dialogs.answer = [](ListRow& row) {
        row.caption = QStringLiteral("出貨通知");
        return true;
    };
    mouse(QEvent::MouseButtonDblClick, at(90, 25), Qt::LeftButton);
    EXPECT_EQ(document.rows(Section::Labels)[2].caption, QStringLiteral("出貨通知"));
    EXPECT_TRUE(document.rowsEdited(Section::Labels));
    const int labels = rowCount(Section::Labels);
    key(Qt::Key_Delete);
    EXPECT_EQ(rowCount(Section::Labels), labels - 1);
    key(Qt::Key_Z, Qt::ControlModifier);
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(document.rows(Section::Labels)[2].caption, QStringLiteral("出貨單"));
}

// While a block is dragged, the view draws the rest of the form once and
// the block over it at each step; where the block overlaps no other block,
// that is what a fresh paint of the moved form shows, as the view after
// the release does.
TEST_F(LayoutPageTest, ADragShowsWhatAFreshPaintOfTheMovedFormShows) {
    QImage ruled(600, 800, QImage::Format_RGB32);
    ruled.fill(Qt::white);
    QPainter(&ruled).fillRect(0, 300, 600, 4, Qt::darkGreen);
    for (int dpi : {57, 114, 228}) {
        openDeliveryNote();
        view().stationery().setPicture(StationeryPicture{ruled, 210, 297, {}});
        page.ChB_overlays->setChecked(false);
        view().setDpi(dpi);
        view().horizontalScrollBar()->setValue(0);
        view().verticalScrollBar()->setValue(0);
        const QImage before = grab();
        const QPoint from = at(30, 38);
        const QPoint to = from - QPoint(qRound(mmToPixels(4, dpi)), 0);
        mouse(QEvent::MouseButtonPress, from, Qt::LeftButton);
        mouse(QEvent::MouseMove, (from + to) / 2, Qt::LeftButton);
        mouse(QEvent::MouseMove, to, Qt::LeftButton);
        const QImage during = grab();
        mouse(QEvent::MouseButtonRelease, to, Qt::NoButton);
        EXPECT_NEAR(blockRow(0)[2].toDouble(), 18, 0.05) << dpi;
        const QImage after = grab();
        EXPECT_NE(during, before) << dpi;
        EXPECT_EQ(during, after) << dpi;
        view().refresh();
        EXPECT_EQ(grab(), after) << dpi;
    }
}

// Gestures driven faster than a person could while a row editor of the page
// is open would change the rows under it: every one is refused, and the
// editor's row is still the section's when it closes.
TEST_F(LayoutPageTest, WhileARowEditorIsOpenNoGestureChangesTheRows) {
    struct Case {
        const char* name;
        std::function<void()> openEditor;
    };
    const Case cases[] = {
        {"a line drawn with Alt+Shift",
         [this] { drag(at(60, 200), at(100, 200), Qt::AltModifier | Qt::ShiftModifier); }},
        {"a double-click on customer", [this] { mouse(QEvent::MouseButtonDblClick, at(60, 38), Qt::LeftButton); }},
    };
    openDeliveryNote();
    const QString report = document.fileName();
    view().setDpi(228);
    view().horizontalScrollBar()->setValue(0);
    view().verticalScrollBar()->setValue(0);
    const auto counts = [this] {
        return std::vector<int>{rowCount(Section::Lines), rowCount(Section::Labels),
                                rowCount(Section::Blocks)};
    };
    const std::vector<int> before = counts();
    const QStringList customer = blockRow(0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.calls = 0;
        bool rowKept = false;
        dialogs.answer = [&](ListRow& row) {
            const std::vector<int> open = counts();
            const ListRow given = row;
            drag(at(60, 220), at(80, 230), Qt::ShiftModifier);
            drag(at(60, 38), at(70, 48));
            mouse(QEvent::MouseButtonDblClick, at(60, 38), Qt::LeftButton);
            key(Qt::Key_Delete);
            key(Qt::Key_Z, Qt::ControlModifier);
            EXPECT_EQ(counts(), open);
            // A new row still has its place; an edited one is still there as given.
            const test::ScriptedRowDialogs::Edit edit = *dialogs.last;
            const QList<ListRow>& rows = document.rows(edit.section);
            rowKept = edit.isNew ? edit.at <= rows.size() : edit.at < rows.size() && rows[edit.at] == given;
            return false;
        };
        c.openEditor();
        EXPECT_EQ(dialogs.calls, 1);
        EXPECT_TRUE(rowKept);
        EXPECT_EQ(counts(), before);
        EXPECT_EQ(blockRow(0), customer);
        EXPECT_EQ(document.fileName(), report);
    }
    EXPECT_TRUE(messages.shown().empty());
}

// ---- the stationery

bool isPicture(QRgb pixel) { return !isRed(pixel) && std::min({qRed(pixel), qGreen(pixel), qBlue(pixel)}) < 160; }

// Along a run of pixels, every dark pixel of the picture lies within one
// pixel of the form's red; returns how many picture pixels there were.
int pictureOffTheForm(const std::vector<QRgb>& run, int& misplaced) {
    int seen = 0;
    for (std::size_t i = 0; i < run.size(); ++i) {
        if (!isPicture(run[i])) continue;
        ++seen;
        const bool near = (i > 0 && isRed(run[i - 1])) || isRed(run[i]) || (i + 1 < run.size() && isRed(run[i + 1]));
        if (!near) ++misplaced;
    }
    return seen;
}

class StationeryTest : public LayoutPageTest {
protected:
    // The delivery note's own form printed into a PDF, and that PDF as a
    // 300 dpi scan.
    void makePictures() {
        std::filesystem::create_directories(dir.path() / "pics");
        pdf = path("pics/form.pdf").toStdString();
        png = path("pics/form300.png").toStdString();
        render("--print --pdf '" + pdf + "' '" + std::string(ZARVO_SOURCE_DIR) + "/examples/delivery_note.txt'");
        const test::CommandResult gs =
            test::runCommand("gs -q -sDEVICE=pnggray -r300 -o '" + png + "' '" + pdf + "'", dir);
        ASSERT_EQ(gs.status, 0) << gs.err;
    }
    void choosePicture(const std::string& picture) {
        pictures.push_back(QString::fromStdString(picture));
        page.btn_stationery->click();
    }
    // Checks that the picture under the form lines up with it: across the
    // left border of the customer box and down its left edge.
    void expectLinedUp(const char* what) {
        page.TB_strength->setValue(100);
        page.ChB_overlays->setChecked(false);
        key(Qt::Key_Escape);
        const QImage shown = grab();
        const auto sheet = [&](double mm) { return LayoutView::kMargin + int(mmToPixels(mm, 114)); };
        std::vector<QRgb> across, down;
        for (int x = sheet(5); x < sheet(11.5); ++x) across.push_back(shown.pixel(x, sheet(60)));
        for (int y = sheet(38); y < sheet(78); ++y) down.push_back(shown.pixel(sheet(11), y));
        int misplaced = 0;
        EXPECT_GT(pictureOffTheForm(across, misplaced), 0) << what;
        EXPECT_GT(pictureOffTheForm(down, misplaced), 0) << what;
        EXPECT_EQ(misplaced, 0) << what;
    }

    std::string pdf;
    std::string png;
};

TEST_F(StationeryTest, AScanAndAPdfPageOfTheFormLineUpWithIt) {
    makePictures();
    openDeliveryNote();
    choosePicture(png);
    EXPECT_TRUE(view().stationery().hasPicture());
    EXPECT_TRUE(document.unsaved());
    expectLinedUp("300 dpi scan");
    choosePicture(pdf);
    expectLinedUp("PDF page");
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(StationeryTest, TheSettingsFollowTheReportThroughSaveAsAndBack) {
    makePictures();
    openDeliveryNote();
    choosePicture(png);
    page.TB_strength->setValue(70);
    page.btn_selpicture->setChecked(true);
    key(Qt::Key_Right, Qt::ShiftModifier);
    key(Qt::Key_Down);
    const std::string report = saveAs("a/note.txt");
    EXPECT_EQ(report, original);
    const std::string settings = TempDir::read(path("a/note.zarvo").toStdString());
    EXPECT_NE(settings.find("../pics/form300.png"), std::string::npos) << settings;
    saveAs("b/c/note.txt");
    EXPECT_NE(TempDir::read(path("b/c/note.zarvo").toStdString()).find("../../pics/form300.png"), std::string::npos);

    document.startNew();
    EXPECT_FALSE(view().stationery().hasPicture());
    open(path("b/c/note.txt"));
    ASSERT_TRUE(page.stationerySettings().has_value());
    EXPECT_EQ(page.stationerySettings()->strength, 70);
    EXPECT_EQ(page.stationerySettings()->dx, 1.0);
    EXPECT_EQ(page.stationerySettings()->dy, 0.1);
    EXPECT_EQ(page.TB_strength->value(), 70);
    EXPECT_TRUE(view().stationery().hasPicture());
}

TEST_F(StationeryTest, AMissingPictureOrADamagedFileOpensTheReportWithoutIt) {
    const std::pair<const char*, const char*> cases[] = {
        {"picture=missing.png\npage=1\n", "missing.png"},
        {"\x01\x02garbage[[[\n=\n", "note.zarvo"},
        {"picture=scan.png\n", "scan.png"},  // a FIFO in the picture's place
    };
    for (const auto& [settings, named] : cases) {
        const QString report = file("bad/note.txt", example("delivery_note.txt"));
        std::filesystem::remove(path("bad/note.zarvo").toStdString());
        std::optional<test::FifoWatchdog> fifo;
        if (settings) {
            file("bad/note.zarvo", settings);
        } else {
            fifo.emplace(path("bad/note.zarvo").toStdString());
        }
        if (std::string(named) == "scan.png") fifo.emplace(path("bad/scan.png").toStdString());
        open(report);
        EXPECT_FALSE(view().stationery().hasPicture()) << named;
        EXPECT_TRUE(page.ST_layoutNotes->text().contains(QString::fromLatin1(named))) << page.ST_layoutNotes->text().toStdString();
        EXPECT_EQ(rowCount(Section::Blocks), 67);
        EXPECT_FALSE(fifo && fifo->fired()) << named;
    }
    EXPECT_TRUE(messages.shown().empty());

    // A FIFO in the profile's place cannot be read as a whole: the report
    // opens, one message says so, and nothing waits on it.
    const QString report = file("bad/note.txt", example("delivery_note.txt"));
    std::filesystem::remove(path("bad/note.zarvo").toStdString());
    const test::FifoWatchdog fifo(path("bad/note.zarvo").toStdString());
    open(report);
    EXPECT_EQ(rowCount(Section::Blocks), 67);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_NE(messages.shown().front().text.find("note.zarvo"), std::string::npos) << messages.shown().front().text;
    EXPECT_FALSE(fifo.fired());
}

TEST_F(StationeryTest, TheRenderersOutputsIgnoreTheSettings) {
    makePictures();
    const std::string report = file("r/note.txt", example("delivery_note.txt")).toStdString();
    const std::string args = "'" + report + "' '" + std::string(ZARVO_SOURCE_DIR) + "/examples/delivery_note_data.txt'";
    const std::string before = render("--trace " + args) + render("--print --trace " + args);
    file("r/note.zarvo", "picture=../pics/form300.png\nstrength=100\n");
    EXPECT_EQ(render("--trace " + args) + render("--print --trace " + args), before);
}

// A report with one ruled line and the blocks rows (each a BLOCK_INFO row
// without its line end) under header.
std::string reportWith(const std::string& header, const std::vector<std::string>& blocks) {
    std::string report = header + "\r\nLINE_INFO\t1\r\n0\t3\t0\t30\t190\t30\t\r\nLABEL_STRING\t0\r\nBLOCK_INFO\t" +
                         std::to_string(blocks.size()) + "\r\n";
    for (const std::string& block : blocks) report += block + "\r\n";
    return report;
}

std::string blockAt(const std::string& left, const std::string& name) {
    return "0\t" + left + "\t34\t20\t8\t0\t0\t7\t0\t4\t2.5\t0\t" + name;
}

bool hasRed(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (isRed(image.pixel(x, y))) return true;
    return false;
}

TEST_F(LayoutPageTest, NoStatusTextWidensThePage) {
    page.resize(700, 900);
    QApplication::processEvents();
    const int width = page.width();
    QStringList names;
    for (int i = 0; i < 60; ++i) names.append(QStringLiteral("field%1").arg(i));
    const QString longCaption = QStringLiteral("caption") + QString(120, QChar(0x5b57));
    const std::string folder = "long/" + std::string(200, 'd');
    const QString report = file(folder + "/note.txt", reportWith("0\t10\t8", {kCustomerRow, blockAt("22", "x")}));
    open(report, false);
    const std::pair<QWidget*, std::function<QString()>> cases[] = {
        {page.ST_layoutNotes,
         [&] {
             typeTestData(names.join(QStringLiteral(",1\n")) + QStringLiteral(",1\n"));
             grab();
             return page.ST_layoutNotes->text();
         }},
        {page.ST_layoutPointer,
         [&] {
             ListRow row = document.rows(Section::Blocks)[1];
             row.caption = longCaption;
             document.replaceRow(Section::Blocks, 1, row);
             document.reconcile();
             page.pageShown();
             mouse(QEvent::MouseMove, at(30, 38), Qt::NoButton);
             return page.ST_layoutPointer->text();
         }},
    };
    for (const auto& [status, show] : cases) {
        SCOPED_TRACE(status->objectName().toStdString());
        const QString text = show();
        QApplication::processEvents();
        EXPECT_EQ(page.width(), width);
        EXPECT_TRUE(text.contains(QStringLiteral("field59")) || text.contains(longCaption)) << text.toStdString();
        EXPECT_EQ(status->toolTip(), text);
    }

    // The notes' "…" button shows the whole text.
    const StatusText& notes = *page.ST_layoutNotes;
    page.pageShown();
    QApplication::processEvents();
    EXPECT_TRUE(notes.shownText().endsWith(QStringLiteral("…")));
    ASSERT_TRUE(notes.moreButton()->isVisible());
    notes.moreButton()->click();
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(QString::fromStdString(messages.shown()[0].text), notes.text());
    typeTestData(QString());
    grab();
    EXPECT_FALSE(notes.moreButton()->isVisible()) << notes.text().toStdString();
}

TEST_F(LayoutPageTest, ARowFarOffTheSheetDrawsNothingAndIsNamedInTheStatusBar) {
    for (const std::string left : {"99999999999", "-99999999999"}) {
        for (int dpi : {kLayoutBaseDpi, kZoomSteps.back()}) {
            SCOPED_TRACE(left + " at " + std::to_string(dpi));
            open(file("far.txt", reportWith("0\t10\t8", {kCustomerRow, blockAt(left, "far")})), false);
            // Filled, so that the engine draws there too.
            typeTestData(QStringLiteral("far,") + QString(40, QChar(0x5b57)) + QStringLiteral("\n"));
            view().editor().select({RowRef{RowKind::Block, 1}});
            view().setDpi(dpi);
            ASSERT_EQ(view().editor().selection(), (std::vector<RowRef>{{RowKind::Block, 1}}));
            const QImage selected = grab();
            view().editor().clearSelection();
            EXPECT_EQ(grab(), selected);
            EXPECT_TRUE(page.ST_layoutNotes->text().contains(
                QString::fromStdString("在紙張外: BLOCK far (" + left + ".0, 34.0 mm)")))
                << page.ST_layoutNotes->text().toStdString();
        }
    }
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(LayoutPageTest, AHeaderTooLongToReadIsOneNoteOnAnEmptyPageAndNeverABox) {
    const QString report = file("long/header.txt", reportWith("0\t0\t" + std::string(5000, ' ') + "0", {kCustomerRow}));
    open(report, false);
    typeTestData(QStringLiteral("customer,1\n"));
    view().editor().select({RowRef{RowKind::Block, 0}});
    const std::function<void()> gestures[] = {
        [&] { grab(); },
        [&] { ctrlWheel(); },
        [&] { chooseZoom(page.ZoomBox->findData(171)); },
        [&] { drag(QPoint(100, 100), QPoint(140, 150)); },
    };
    for (const auto& gesture : gestures) {
        gesture();
        EXPECT_FALSE(hasRed(grab()));
    }
    EXPECT_TRUE(messages.shown().empty()) << messages.shown()[0].text;
    EXPECT_EQ(page.ST_layoutNotes->text(), QStringLiteral("報表檔第一行超過 4096 個位元組，無法讀取: ") + report);
}

TEST_F(LayoutPageTest, AGestureOnAViewNotShownSinceTheListsChangedWorksOnTheirRows) {
    dialogs.answer = [](ListRow& row) { return confirmAs(row, QStringLiteral("drawn")); };
    const std::pair<const char*, std::function<void()>> before[] = {
        {"never shown", [] {}},
        {"left after the lists shrank",
         [&] {
             // Shown, then left for a list page.
             page.pageShown();
             page.hide();
             document.reconcile();
             while (document.rows(Section::Blocks).size() > 1) document.removeRow(Section::Blocks, 1);
         }},
    };
    for (const auto& [how, prepare] : before) {
        SCOPED_TRACE(how);
        open(file("note.txt", example("delivery_note.txt")), false);
        prepare();
        const int blocks = rowCount(Section::Blocks);
        drag(at(60, 200), at(80, 210), Qt::ShiftModifier);
        ASSERT_EQ(rowCount(Section::Blocks), blocks + 1);
        EXPECT_EQ(document.rows(Section::Blocks)[blocks].caption, QStringLiteral("drawn"));
        EXPECT_EQ(view().editor().scene().rowCount(RowKind::Block), blocks + 1);
        document.saveAs(document.fileName());
    }
    EXPECT_TRUE(messages.shown().empty()) << messages.shown()[0].text;
}

// Picks CB_paper's entry labelled text as a user would.
void pickPaper(LayoutPage& page, const QString& text) {
    const int index = page.CB_paper->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    page.CB_paper->setCurrentIndex(index);
    emit page.CB_paper->activated(index);
}

TEST_F(LayoutPageTest, APaperPickedGoesIntoTheHeaderAndTheProfileAsOneUndoStep) {
    openDeliveryNote();
    EXPECT_EQ(page.CB_paper->currentText(), QStringLiteral("A4 直式"));
    pickPaper(page, QStringLiteral("連續報表 9½ x 5½ in"));
    EXPECT_TRUE(document.unsaved());
    EXPECT_TRUE(document.text().startsWith(QStringLiteral("9\t10\t8"))) << document.text().left(20).toStdString();
    EXPECT_DOUBLE_EQ(view().sheet().widthMm, 241.3);
    EXPECT_DOUBLE_EQ(view().sheet().heightMm, 139.7);
    EXPECT_EQ(saveAs("c/note.txt"), replaced(original, "0\t10\t8", "9\t10\t8"));
    EXPECT_EQ(TempDir::read(path("c/note.zarvo").toStdString()),
              "[Paper]\nwidth=241.3\nheight=139.7\nname=\"連續報表 9½ x 5½ in\"\n");

    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(page.CB_paper->currentText(), QStringLiteral("A4 直式"));
    EXPECT_EQ(view().sheet().heightMm, 297);
    EXPECT_EQ(saveAs("c/note.txt"), original);
    EXPECT_EQ(TempDir::read(path("c/note.zarvo").toStdString()), "");

    // "自訂..." asks for the paper; a cancelled question changes nothing.
    std::optional<CustomPaper> answer;
    page.setPaperAsker([&answer](const std::optional<CustomPaper>&) { return answer; });
    pickPaper(page, QStringLiteral("自訂..."));
    EXPECT_EQ(page.CB_paper->currentText(), QStringLiteral("A4 直式"));
    answer = customPaper(100, 50, "支票");
    pickPaper(page, QStringLiteral("自訂..."));
    EXPECT_EQ(page.CB_paper->currentText(), QStringLiteral("自訂: 支票 100 x 50 mm"));
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(LayoutPageTest, ACodeWithoutAPaperShowsThePrintersDefaultPaperAndSaysSo) {
    open(file("odd/note.txt", replaced(example("delivery_note.txt"), "0\t10\t8", "7\t10\t8")));
    EXPECT_EQ(view().sheet().widthMm, 210);
    EXPECT_TRUE(page.ST_layoutNotes->text().contains(QStringLiteral("紙張代碼 7 不是 0 到 5, 以A4 (210 x 297 mm)顯示")))
        << page.ST_layoutNotes->text().toStdString();
    EXPECT_EQ(page.CB_paper->currentText(), QStringLiteral("代碼 7: 印表機的預設紙張"));
    EXPECT_TRUE(page.CB_paper->isEnabled());

    // A header that cannot be read has no paper to change.
    open(file("odd/bad.txt", replaced(example("delivery_note.txt"), "0\t10\t8", "x\t10\t8")));
    EXPECT_FALSE(page.CB_paper->isEnabled());
}

TEST_F(LayoutPageTest, AProfileKeepsWhatItDoesNotKnowAndADamagedOneIsKeptAsideWithOneMessage) {
    const std::string kept = "[Mine]\nx=1\n\n[Paper]\nwidth=241.3\nheight=139.7\n\n[Block customer]\nkind=qr\n";
    open(file("p/note.txt", example("delivery_note.txt")));
    file("p/note.zarvo", kept);
    open(path("p/note.txt"));
    saveAs("p/copy.txt");
    EXPECT_EQ(TempDir::read(path("p/copy.zarvo").toStdString()), kept);
    EXPECT_TRUE(messages.shown().empty());

    const std::string damaged = "[Paper]\nwidth=241.3\nheight=abc\n[Mine]\nx=1\n";
    file("d/note.zarvo", damaged);
    open(file("d/note.txt", example("delivery_note.txt")));
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_NE(messages.shown().front().text.find("note.zarvo 第 3 行: height"), std::string::npos)
        << messages.shown().front().text;
    EXPECT_EQ(rowCount(Section::Blocks), 67);
    EXPECT_EQ(TempDir::read(path("d/note.zarvo.damaged").toStdString()), damaged);
    saveAs("d/note.txt");
    EXPECT_EQ(TempDir::read(path("d/note.zarvo").toStdString()), "[Mine]\nx=1\n");
    EXPECT_EQ(TempDir::read(path("d/note.zarvo.damaged").toStdString()), damaged);
}

// Carriage returns from a file edited elsewhere, in values the designer
// keeps without using: Save, reopen, Save writes the same file every time.
TEST_F(LayoutPageTest, AProfileWithCarriageReturnsInKeptValuesIsStableUnderSave) {
    const std::string profiles[] = {"[Mine]\nnote=a\rb\nx=1\n", "[Mine]\nx=\"\r\r\ny=2\n",
                                    "[Mine]\nnote=\"a\\rb\"\r\n"};
    for (const std::string& profile : profiles) {
        SCOPED_TRACE(profile);
        file("cr/note.zarvo", profile);
        open(file("cr/note.txt", example("delivery_note.txt")));
        std::vector<std::string> saved;
        for (int round = 0; round < 3; ++round) {
            saveAs("cr/note.txt");
            saved.push_back(TempDir::read(path("cr/note.zarvo").toStdString()));
            open(path("cr/note.txt"));
        }
        EXPECT_EQ(saved[1], saved[0]);
        EXPECT_EQ(saved[2], saved[0]);
        std::filesystem::remove_all(dir.path() / "cr");
    }
}

TEST_F(LayoutPageTest, AValueItsFormatCannotTakeIsNamedInTheStatusBar) {
    file("f/note.zarvo", "[Block customer]\nformat=amount-tw\n");
    open(file("f/note.txt", example("delivery_note.txt")), false);
    typeTestData(QStringLiteral("customer 12a"));
    grab();
    EXPECT_TRUE(page.ST_layoutNotes->text().contains(QStringLiteral("欄位「customer」: 「12a」不是金額")))
        << page.ST_layoutNotes->text().toStdString();
    EXPECT_TRUE(messages.shown().empty());
}

// A data file's values are laid out against the frames as they stand; a
// double-click on one that does not fit selects its frame.
TEST_F(LayoutPageTest, ADataFilesValuesThatDoNotFitAreListedAndTheirFrameSelected) {
    openDeliveryNote();
    const std::string csv = "no,customer\nA1,Wang\nA2," + std::string(150, 'W') + "\n";
    const QString data = QString::fromStdString(dir.write("orders.csv", csv));
    page.setDataFileChooser([&]() -> std::optional<QString> { return data; });
    page.btn_checkdata->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page.LV_nofit->checking(); }, 20000));
    ASSERT_EQ(page.LV_nofit->topLevelItemCount(), 1);
    EXPECT_EQ(page.LV_nofit->topLevelItem(0)->text(0), QStringLiteral("第 2 筆"));
    emit page.LV_nofit->itemDoubleClicked(page.LV_nofit->topLevelItem(0), 0);
    const std::vector<RowRef> selected = view().editor().selection();
    ASSERT_EQ(selected.size(), 1u);
    EXPECT_EQ(view().editor().scene().row(selected.front()).caption, "customer");
}

}  // namespace
}  // namespace zarvo
