// The stationery's ruled lines on the Layout page:
// a dragged frame edge lands on a line found in the scan (Alt: where the
// pointer went), Shift + double-click fits the selected frame to a box, and
// a skewed scan is offered to be straightened.

#include <cmath>
#include <filesystem>
#include <optional>

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>

#include "layout/LayoutPage.h"
#include "layout/LayoutView.h"
#include "layoutmodel/PositionEdit.h"
#include "tests/common/TempDir.h"
#include "tests/windows/layout/LayoutPageFixture.h"

namespace zarvo {
namespace {

using test::TempDir;

constexpr double kScanDpi = 300;
constexpr double kA4Width = 210, kA4Height = 297;

// A ruled line of the stationery, in mm from the picture's top-left.
struct Rule {
    double x1, y1, x2, y2;
};

// An A4 scan at 300 dpi of rules 0.3 mm wide in black, turned clockwise by
// turnDegrees about its centre, as a PNG that stores its resolution.
void writeScan(const std::string& path, const std::vector<Rule>& rules, double turnDegrees) {
    const double perMm = kScanDpi / 25.4;
    QImage scan(qRound(kA4Width * perMm), qRound(kA4Height * perMm), QImage::Format_RGB32);
    scan.fill(Qt::white);
    const int dotsPerMetre = qRound(kScanDpi / 0.0254);
    scan.setDotsPerMeterX(dotsPerMetre);
    scan.setDotsPerMeterY(dotsPerMetre);
    QPainter painter(&scan);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(scan.width() / 2.0, scan.height() / 2.0);
    painter.rotate(turnDegrees);
    painter.translate(-scan.width() / 2.0, -scan.height() / 2.0);
    painter.scale(perMm, perMm);
    painter.setPen(QPen(Qt::black, 0.3, Qt::SolidLine, Qt::FlatCap));
    for (const Rule& rule : rules) painter.drawLine(QPointF(rule.x1, rule.y1), QPointF(rule.x2, rule.y2));
    painter.end();
    ASSERT_TRUE(scan.save(QString::fromStdString(path), "PNG"));
}

class StationerySnapTest : public test::LayoutPageFixture {
protected:
    void SetUp() override {
        open(file("note/delivery_note.txt", test::example("delivery_note.txt")));
        view().setDpi(114);
        view().horizontalScrollBar()->setValue(0);
        view().verticalScrollBar()->setValue(0);
    }

    // Where the picture's (0, 0) lies in row coordinates.
    PointMm pictureCorner() {
        const PointMm origin = view().sheet().origin();
        return {-origin.x - view().form().offset().x, -origin.y - view().form().offset().y};
    }
    // Rules given in row coordinates, as the picture must hold them.
    std::vector<Rule> inPicture(std::vector<Rule> rules) {
        const PointMm corner = pictureCorner();
        for (Rule& r : rules) r = {r.x1 - corner.x, r.y1 - corner.y, r.x2 - corner.x, r.y2 - corner.y};
        return rules;
    }
    // Shows the scan of rules (row coordinates) under the form and waits for its lines.
    void showScan(const std::vector<Rule>& rules, double turnDegrees = 0, const std::string& name = "scan.png") {
        const std::string path = (dir.path() / name).string();
        writeScan(path, inPicture(rules), turnDegrees);
        pictures.push_back(QString::fromStdString(path));
        page.btn_stationery->click();
        page.stationeryScan().waitForLines();
        ASSERT_TRUE(page.stationeryScan().lines());
    }
    // The found vertical line nearest x (row coordinates).
    std::optional<double> verticalNear(double x) {
        std::optional<double> nearest;
        for (const GuideLine& line : view().stationeryGuides().vertical) {
            if (std::abs(line.position - x) < 0.5 && (!nearest || std::abs(line.position - x) < std::abs(*nearest - x))) {
                nearest = line.position;
            }
        }
        return nearest;
    }
    void click(QPoint point) {
        mouse(QEvent::MouseButtonPress, point, Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, point, Qt::NoButton);
    }
    double blockField(int column) { return blockRow(0)[column].toDouble(); }
};

// The customer block spans 22..120 x 34..42; the scan rules a box 15..125.3
// x 30..48 around it.
const std::vector<Rule> kBoxAroundCustomer = {
    {15, 30, 125.3, 30}, {15, 48, 125.3, 48}, {15, 30, 15, 48}, {125.3, 30, 125.3, 48}};

TEST_F(StationerySnapTest, ADraggedEdgeLandsOnTheFoundLineAndWithAltWhereThePointerWent) {
    showScan(kBoxAroundCustomer);
    const std::optional<double> line = verticalNear(125.3);
    ASSERT_TRUE(line);
    EXPECT_NEAR(*line, 125.3, 0.2);
    struct Case {
        bool grid;
        Qt::KeyboardModifiers keys;
        bool onLine;
    };
    const Case cases[] = {{false, {}, true}, {true, {}, true}, {false, Qt::AltModifier, false}, {true, Qt::AltModifier, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "grid " << c.grid << " alt " << (c.keys != Qt::KeyboardModifiers{}));
        page.ChB_grid->setChecked(c.grid);
        click(at(60, 38));
        const QPoint from = at(120, 38);
        // The pixel whose point lies nearest 0.75 mm before the line.
        QPoint to = at(*line - 0.75, 38);
        for (QPoint next = to + QPoint(-3, 0); next.x() <= to.x() + 3; next.rx()++) {
            if (std::abs(*line - view().rowPointAt(next).x - 0.75) < std::abs(*line - view().rowPointAt(to).x - 0.75)) {
                to = next;
            }
        }
        const double pointer = view().rowPointAt(to).x;
        ASSERT_LE(std::abs(*line - pointer), 0.85);
        ASSERT_GE(std::abs(*line - pointer), 0.6);
        mouse(QEvent::MouseButtonPress, from, Qt::LeftButton, c.keys);
        mouse(QEvent::MouseMove, to, Qt::LeftButton, c.keys);
        // The line it landed on shows while the drag goes on.
        EXPECT_EQ(view().editor().shownGuides().size(), c.onLine ? 1u : 0u);
        mouse(QEvent::MouseButtonRelease, to, Qt::NoButton, c.keys);
        EXPECT_TRUE(view().editor().shownGuides().empty());
        EXPECT_NEAR(blockField(2), 22, 1e-9);
        EXPECT_NEAR(blockField(4), (c.onLine ? *line : pointer) - 22, 0.051);
        EXPECT_TRUE(view().editor().undo());
        EXPECT_NEAR(blockField(4), 98, 1e-9);
    }
}

TEST_F(StationerySnapTest, ShiftDoubleClickFitsTheSelectedFrameToTheBoxAsOneUndoStep) {
    showScan(kBoxAroundCustomer);
    std::optional<RectMm> box;
    for (const GuideBox& found : view().stationeryGuides().boxes)
        if (!found.hasInk && found.frame.left < 100 && found.frame.right > 100) box = found.frame;
    ASSERT_TRUE(box);
    struct Case {
        bool selected;
        double left, top, width, height;
    };
    const Case cases[] = {{false, 22, 34, 98, 8},
                          {true, box->left + 0.5, box->top + 0.5, box->right - box->left - 1, box->bottom - box->top - 1}};
    const int blocks = rowCount(Section::Blocks);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.selected);
        view().editor().clearSelection();
        if (c.selected) click(at(60, 38));
        const QPoint inside = at(100, 45);
        mouse(QEvent::MouseButtonPress, inside, Qt::LeftButton, Qt::ShiftModifier);
        mouse(QEvent::MouseButtonRelease, inside, Qt::NoButton, Qt::ShiftModifier);
        mouse(QEvent::MouseButtonDblClick, inside, Qt::LeftButton, Qt::ShiftModifier);
        mouse(QEvent::MouseButtonRelease, inside, Qt::NoButton, Qt::ShiftModifier);
        EXPECT_NEAR(blockField(2), c.left, 0.051);
        EXPECT_NEAR(blockField(3), c.top, 0.051);
        EXPECT_NEAR(blockField(4), c.width, 0.11);
        EXPECT_NEAR(blockField(5), c.height, 0.11);
        EXPECT_EQ(rowCount(Section::Blocks), blocks) << "no frame drawn by the Shift press";
    }
    EXPECT_TRUE(view().editor().undo());
    EXPECT_NEAR(blockField(2), 22, 1e-9);
    EXPECT_NEAR(blockField(5), 8, 1e-9);
}

// "位置..." moves the selection by typed mm or places one frame, and
// "套入框格" fits every selected frame to its box: each one undo step.
TEST_F(StationerySnapTest, TypedPositionsAndTheBoxesUnderTheFramesPlaceThemAsOneStepEach) {
    showScan(kBoxAroundCustomer);
    std::optional<PositionTexts> offered;
    std::optional<PositionRequest> typed;
    page.setPositionAsker([&](const std::optional<PositionTexts>& frame) {
        offered = frame;
        return typed;
    });
    view().editor().select({RowRef{RowKind::Block, 0}});
    typed = PositionRequest{PositionRequest::Kind::Move, 4.0, 6.9};
    page.btn_position->click();
    ASSERT_TRUE(offered);
    EXPECT_EQ(offered->x, "22");
    EXPECT_NEAR(blockField(2), 26, 1e-9);
    EXPECT_NEAR(blockField(3), 40.9, 1e-9);

    typed = PositionRequest{PositionRequest::Kind::Set, 20, 35, 90, 9};
    page.btn_position->click();
    EXPECT_EQ((QStringList{blockRow(0)[2], blockRow(0)[3], blockRow(0)[4], blockRow(0)[5]}),
              (QStringList{"20", "35", "90", "9"}));

    page.btn_fitboxes->click();
    EXPECT_NEAR(blockField(2), 15.5, 0.051);
    EXPECT_NEAR(blockField(5), 17, 0.11);
    for (double left : {20.0, 26.0, 22.0}) {
        ASSERT_TRUE(view().editor().undo());
        EXPECT_NEAR(blockField(2), left, 1e-9);
    }
}

// A long vertical rule and a box, scanned turned by 0.4 degrees.
const std::vector<Rule> kLongRules = {{15, 30, 125.3, 30}, {15, 48, 125.3, 48}, {15, 30, 15, 48},
                                      {125.3, 30, 125.3, 230}};

TEST_F(StationerySnapTest, ASkewedScanIsOfferedOnceToBeStraightenedAndYesStoresItsAngle) {
    struct Case {
        int answer;
        bool stored;
    };
    const Case cases[] = {{ResultNo, false}, {ResultYes, true}};
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        const std::string name = "skewed" + std::to_string(index++) + ".png";
        messages.answer(c.answer);
        const std::size_t before = messages.shown().size();
        showScan(kLongRules, 0.4, name);
        ASSERT_EQ(messages.shown().size(), before + 1);
        EXPECT_EQ(messages.shown().back().text, "底圖歪了 0.4°, 是否拉正 ?");
        EXPECT_EQ(messages.shown().back().buttons, MessageButtons::YesNo);
        ASSERT_TRUE(page.stationerySettings());
        if (c.stored) {
            EXPECT_NEAR(page.stationerySettings()->angle, 0.4, 0.05);
        } else {
            EXPECT_EQ(page.stationerySettings()->angle, 0);
        }
        if (c.stored) continue;
        // The same picture again: not asked again in this session.
        showScan(kLongRules, 0.4, name);
        EXPECT_EQ(messages.shown().size(), before + 1);
        EXPECT_EQ(page.stationerySettings()->angle, 0);
    }
    // Stored with the report's other stationery keys.
    document.saveAs(path("saved.txt"));
    const std::string profile = TempDir::read((dir.path() / "saved.zarvo").string());
    const std::size_t angle = profile.find("\nangle=");
    ASSERT_NE(angle, std::string::npos) << profile;
    EXPECT_NEAR(std::stod(profile.substr(angle + 7)), 0.4, 0.05) << profile;

    // The straightened picture lies under the lines found for it: the long
    // rule's ink is on its found line at both of its ends.
    page.TB_strength->setValue(100);
    page.ChB_overlays->setChecked(false);
    view().editor().clearSelection();
    const std::optional<double> line = verticalNear(125.3);
    ASSERT_TRUE(line);
    const QImage shown = view().viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (double y : {60.0, 220.0}) {
        const QPoint centre = at(*line, y);
        int darkest = -1, darkness = 256;
        for (int x = centre.x() - 8; x <= centre.x() + 8; ++x) {
            const int grey = qGray(shown.pixel(x, centre.y()));
            if (grey < darkness) darkness = grey, darkest = x;
        }
        EXPECT_LE(std::abs(darkest - centre.x()), 1) << "at y " << y;
    }
}

}  // namespace
}  // namespace zarvo
