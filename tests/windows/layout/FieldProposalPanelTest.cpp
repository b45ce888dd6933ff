// 偵測欄位 on the Layout page: a report of the delivery note's lines and
// captions without blocks, over a 300 dpi scan of the delivery note's
// stationery, gets a frame proposed for each of its empty boxes; accepting
// them adds blocks as one undo step.

#include "layout/FieldProposalPanel.h"

#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include <QAbstractItemDelegate>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTreeWidget>

#include "layout/LayoutPage.h"
#include "layout/LayoutView.h"
#include "layoutmodel/Millimetres.h"
#include "layoutmodel/RowShape.h"
#include "tests/common/Command.h"
#include "tests/common/ScopedEnv.h"
#include "tests/common/TempDir.h"
#include "tests/windows/layout/LayoutPageFixture.h"

namespace zarvo {
namespace {

using test::TempDir;

constexpr double kMarginMm = 0.5;
constexpr double kFrameToleranceMm = 0.3;

// The report's text without its block rows: BLOCK_INFO with a count of 0.
std::string withoutBlocks(const std::string& report) {
    std::istringstream lines(report);
    std::string line, kept;
    int skip = 0;
    while (std::getline(lines, line)) {
        if (skip > 0) {
            --skip;
            continue;
        }
        if (line.rfind("BLOCK_INFO\t", 0) == 0) {
            skip = std::stoi(line.substr(11));
            kept += "BLOCK_INFO\t0\r\n";
            continue;
        }
        kept += line + "\n";
    }
    return kept;
}

// A section's rows as the Layout page's model reads them: caption and values.
std::vector<RowText> sectionRows(const ReportDocument& document, Section section) {
    std::vector<RowText> rows;
    for (const ListRow& list : document.rows(section)) {
        RowText row{list.caption.toStdString(), {}};
        for (const QString& value : list.values) row.values.push_back(value.toStdString());
        rows.push_back(row);
    }
    return rows;
}

RectMm frameOf(RowKind kind, const RowText& row) {
    const std::optional<RowShape> shape = rowShape(kind, row);
    EXPECT_TRUE(shape.has_value()) << row.caption;
    return shape ? shape->frame : RectMm{};
}

bool within(const RectMm& a, const RectMm& b, double tolerance) {
    return std::abs(a.left - b.left) <= tolerance && std::abs(a.top - b.top) <= tolerance &&
           std::abs(a.right - b.right) <= tolerance && std::abs(a.bottom - b.bottom) <= tolerance;
}

bool overlaps(const RectMm& a, const RectMm& b) {
    return std::min(a.right, b.right) - std::max(a.left, b.left) > 0.1 &&
           std::min(a.bottom, b.bottom) - std::max(a.top, b.top) > 0.1;
}

// The example's block rows, as its block list holds them.
std::vector<RowText> exampleBlocks(const std::string& report) {
    std::istringstream lines(report);
    std::string line;
    while (std::getline(lines, line) && line.rfind("BLOCK_INFO\t", 0) != 0) {
    }
    std::vector<RowText> blocks;
    const int count = std::stoi(line.substr(11));
    for (int i = 0; i < count && std::getline(lines, line); ++i) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, '\t');) fields.push_back(cell);
        if (fields.empty()) continue;
        const std::string name = fields.back();
        fields.pop_back();
        blocks.push_back(RowText{name, fields});
    }
    return blocks;
}

class FieldProposalPanelTest : public test::LayoutPageFixture {
protected:
    void SetUp() override { page.resize(1100, 900); }
    FieldProposalPanel& panel() { return *page.proposals; }

    // The delivery note printed by the renderer without data, read at 300
    // dpi as a scan: note/scan.png.
    void scanTheDeliveryNote() {
        std::filesystem::create_directories(dir.path() / "note");
        const std::string pdf = path("note/form.pdf").toStdString();
        const std::string png = path("note/scan.png").toStdString();
        const test::CommandResult render = test::runCommand(
            std::string(ZARVO_RENDER) + " --data-dir '" + (dir.path() / "cli").string() + "' --print --pdf '" + pdf +
                "' '" + std::string(ZARVO_SOURCE_DIR) + "/examples/delivery_note.txt'",
            dir);
        ASSERT_EQ(render.status, 0) << render.err;
        const test::CommandResult gs =
            test::runCommand("gs -q -dSAFER -sDEVICE=pnggray -r300 -o '" + png + "' '" + pdf + "'", dir);
        ASSERT_EQ(gs.status, 0) << gs.err;
    }
    // A blank report over a 300 dpi scan of three boxes in a row at the
    // top (the first holding a caption) and a fourth alone below them, opened
    // on the Layout page: form/form.txt.
    void openThreeBoxes() {
        std::filesystem::create_directories(dir.path() / "form");
        QImage scan(2480, 3508, QImage::Format_RGB32);
        scan.fill(Qt::white);
        scan.setDotsPerMeterX(11811);
        scan.setDotsPerMeterY(11811);
        {
            QPainter painter(&scan);
            painter.scale(300 / 25.4, 300 / 25.4);
            painter.setPen(QPen(Qt::black, 0.3));
            painter.drawRect(QRectF(20, 30, 150, 10));
            for (double x : {50.0, 120.0}) painter.drawLine(QPointF(x, 30), QPointF(x, 40));
            painter.drawRect(QRectF(20, 60, 80, 12));
            QFont font("AR PL UMing TW");
            font.setPixelSize(50);
            painter.setFont(font);
            painter.drawText(QRectF(22, 31, 26, 8), Qt::AlignCenter, QStringLiteral("客戶"));
        }
        ASSERT_TRUE(scan.save(path("form/scan.png")));
        dir.write("form/form.txt", "0\t0\t0\r\nLINE_INFO\t0\r\nLABEL_STRING\t0\r\nBLOCK_INFO\t0\r\n");
        dir.write("form/form.zarvo", "picture=scan.png\n");
        open(path("form/form.txt"));
    }
    // Presses 偵測欄位 and waits for its proposals.
    void detect() {
        page.btn_detect->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !panel().busy(); }, 60000));
        QCoreApplication::processEvents();
    }
    std::vector<std::string> listed() {
        std::vector<std::string> names;
        for (int i = 0; i < panel().LV_proposed->topLevelItemCount(); ++i)
            names.push_back(panel().LV_proposed->topLevelItem(i)->text(0).toStdString());
        return names;
    }
    // Renames the proposal at row in place, as typed into its editor.
    void rename(int row, const QString& name) {
        QTreeWidgetItem* item = panel().LV_proposed->topLevelItem(row);
        panel().LV_proposed->setCurrentItem(item);
        panel().LV_proposed->editItem(item, 0);
        // The editor open now; those closed before may linger until deleted.
        QLineEdit* editor = nullptr;
        for (QLineEdit* open : panel().LV_proposed->viewport()->findChildren<QLineEdit*>())
            if (open->isVisible()) editor = open;
        ASSERT_NE(editor, nullptr);
        editor->setText(name);
        QTest::keyClick(editor, Qt::Key_Return);
        // The list takes the text and closes the editor from its event loop.
        QCoreApplication::processEvents();
    }

    test::ScopedEnv cache{"XDG_CACHE_HOME", (dir.path() / "cache").string()};
};

TEST_F(FieldProposalPanelTest, ProposesAFrameForEveryEmptyBoxOfTheDeliveryNote) {
    page.pageShown();
    EXPECT_FALSE(page.btn_detect->isEnabled()) << "no picture yet";
    scanTheDeliveryNote();
    const std::string example = TempDir::read(std::string(ZARVO_SOURCE_DIR) + "/examples/delivery_note.txt");
    dir.write("note/form.txt", withoutBlocks(example));
    dir.write("note/form.zarvo", "picture=scan.png\ndpi=300\n");
    open(path("note/form.txt"));
    ASSERT_EQ(rowCount(Section::Blocks), 0);
    ASSERT_TRUE(page.layoutView->stationery().hasPicture());
    ASSERT_TRUE(page.btn_detect->isEnabled());
    const std::vector<RowText> labels = sectionRows(document, Section::Labels);
    const std::vector<RowText> lines = sectionRows(document, Section::Lines);

    page.btn_detect->click();
    EXPECT_TRUE(panel().isVisible());
    EXPECT_TRUE(panel().LB_proposed->text().contains(QStringLiteral("請稍候"))) << "it says that it is looking";
    EXPECT_FALSE(page.btn_detect->isEnabled()) << "one search at a time";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !panel().busy(); }, 60000));
    QCoreApplication::processEvents();
    const int proposed = panel().LV_proposed->topLevelItemCount();
    ASSERT_GT(proposed, 0) << panel().LB_proposed->text().toStdString();
    EXPECT_TRUE(page.btn_detect->isEnabled());

    // The item table's columns are proposed as detail rows: a block a row.
    int rows = 0;
    for (int i = 0; i < proposed; ++i) {
        const QString place = panel().LV_proposed->topLevelItem(i)->text(2);
        const QRegularExpressionMatch detail = QRegularExpression(QStringLiteral("×(\\d+) 列")).match(place);
        rows += detail.hasMatch() ? detail.captured(1).toInt() : 1;
    }
    panel().btn_acceptall->click();
    const std::vector<RowText> blocks = sectionRows(document, Section::Blocks);
    ASSERT_EQ(blocks.size(), std::size_t(rows));
    EXPECT_EQ(panel().LV_proposed->topLevelItemCount(), 0);
    std::vector<RectMm> frames;
    for (const RowText& block : blocks) frames.push_back(frameOf(RowKind::Block, block));

    // Every box in which the example has a block gets a frame: the box less
    // the margin. The example's blocks fill their boxes, but for the
    // shipper's, which leaves room for a signature under it.
    const std::vector<RowText> wanted = exampleBlocks(example);
    ASSERT_EQ(wanted.size(), 67u);
    for (const RowText& block : wanted) {
        // The page number and count stand among the captions, the seal
        // under the signatures: in no box.
        if (block.caption == "page" || block.caption == "pages" || block.caption == "seal") continue;
        RectMm box = frameOf(RowKind::Block, block);
        if (block.caption == "shipper") box.bottom = 227;
        const RectMm want{box.left + kMarginMm, box.top + kMarginMm, box.right - kMarginMm, box.bottom - kMarginMm};
        const bool found = std::any_of(frames.begin(), frames.end(),
                                       [&](const RectMm& frame) { return within(frame, want, kFrameToleranceMm); });
        EXPECT_TRUE(found) << "no frame for " << block.caption << " at " << box.left << ", " << box.top;
    }
    // No frame on a caption: every caption of the form lies clear of them.
    for (const RowText& label : labels) {
        const RectMm caption = frameOf(RowKind::Label, label);
        for (std::size_t i = 0; i < frames.size(); ++i)
            EXPECT_FALSE(overlaps(frames[i], caption)) << blocks[i].caption << " over the caption " << label.caption;
    }
    // The box right of the caption 客戶名稱 is named after it.
    const auto customer = std::find_if(blocks.begin(), blocks.end(), [](const RowText& b) { return b.caption == "客戶名稱"; });
    ASSERT_NE(customer, blocks.end());
    EXPECT_NEAR(frameOf(RowKind::Block, *customer).left, 22.5, kFrameToleranceMm);
    // The user's rows stay as they were.
    EXPECT_EQ(sectionRows(document, Section::Labels), labels);
    EXPECT_EQ(sectionRows(document, Section::Lines), lines);

    QTest::keyClick(page.layoutView, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(rowCount(Section::Blocks), 0) << "one undo takes every added block away";
    EXPECT_TRUE(messages.shown().empty());
}

// The list beside the view: names edited in place, some added, names that
// cannot be a block's refused, the rest dropped; a box holding a block gets
// no second frame, and another picture drops what was proposed for the old.
// Names may come from a data file's columns: each name cell lists them,
// those in use greyed, and a column of numbers makes a block set right.
TEST_F(FieldProposalPanelTest, NamesComeFromADataFilesColumns) {
    openThreeBoxes();
    detect();
    ASSERT_EQ(listed().size(), 3u);
    const QString data = QString::fromStdString(dir.write("bills.csv", "no,field2,qty\r\nA1,x,3\r\nA2,y,4.5\r\n"));
    panel().setDataFileChooser([&] { return std::optional<QString>(data); });
    panel().btn_namesfrom->click();
    ASSERT_EQ(panel().columns().size(), 3u);

    QTreeWidget& list = *panel().LV_proposed;
    list.editItem(list.topLevelItem(0), 0);
    auto* names = list.findChild<QComboBox*>(QStringLiteral("CB_column"));
    ASSERT_NE(names, nullptr);
    ASSERT_EQ(names->count(), 3);
    EXPECT_EQ(names->itemData(1, Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::gray)) << "field2 is listed";
    EXPECT_FALSE(names->itemData(2, Qt::ForegroundRole).isValid());
    names->setCurrentText(QStringLiteral("qty"));
    QAbstractItemDelegate* cell = list.itemDelegateForColumn(0);
    emit cell->commitData(names);
    emit cell->closeEditor(names);
    ASSERT_EQ(listed().front(), "qty");

    list.clearSelection();
    list.topLevelItem(0)->setSelected(true);
    panel().btn_acceptsel->click();
    ASSERT_EQ(rowCount(Section::Blocks), 1);
    EXPECT_EQ(document.rows(Section::Blocks)[0].caption, QStringLiteral("qty"));
    EXPECT_EQ(document.rows(Section::Blocks)[0].values[7], QStringLiteral("5")) << "set right";
}

TEST_F(FieldProposalPanelTest, AddsRenamesAndDropsProposals) {
    // Named from the report alone: the caption on the scan is not read.
    panel().setCaptionReaders([] { return CaptionReaderFactory(); });
    openThreeBoxes();
    ASSERT_TRUE(page.btn_detect->isEnabled());
    detect();
    ASSERT_EQ(listed(), (std::vector<std::string>{"field1", "field2", "field3"}))
        << panel().LB_proposed->text().toStdString();
    EXPECT_FALSE(panel().btn_acceptsel->isEnabled()) << "nothing selected";

    rename(0, QStringLiteral("customer"));
    panel().LV_proposed->clearSelection();
    panel().LV_proposed->topLevelItem(1)->setSelected(true);
    panel().btn_acceptsel->click();
    ASSERT_EQ(rowCount(Section::Blocks), 1);
    EXPECT_EQ(document.rows(Section::Blocks)[0].caption, QStringLiteral("field2"));
    EXPECT_EQ(document.rows(Section::Blocks)[0].values[1], QStringLiteral("120.5")) << "the box's left plus the margin";
    EXPECT_EQ(document.rows(Section::Blocks)[0].values[9], QStringLiteral("5"))
        << "0.6 of 10 mm, at most 5 mm";
    EXPECT_EQ(listed(), (std::vector<std::string>{"customer", "field3"})) << "the rest keep their names";

    struct Refused {
        QString name;
        std::string message;
    };
    const Refused refused[] = {{QStringLiteral("a b"), "欄位名稱「a b」不能有空白"},
                               {QString(), "欄位名稱不能空白, 請在清單中雙擊它輸入名稱"}};
    for (const Refused& r : refused) {
        rename(0, r.name);
        panel().btn_acceptall->click();
        ASSERT_FALSE(messages.shown().empty()) << r.message;
        EXPECT_EQ(messages.shown().back().text, r.message);
        EXPECT_EQ(rowCount(Section::Blocks), 1) << r.message;
        EXPECT_EQ(panel().LV_proposed->topLevelItemCount(), 2) << r.message;
    }

    // A name a block has is marked, and asked about before it is added.
    rename(0, QStringLiteral("field2"));
    EXPECT_EQ(panel().LV_proposed->topLevelItem(0)->foreground(0).color(), QColor(0xcc, 0x00, 0x00));
    EXPECT_EQ(panel().LV_proposed->topLevelItem(1)->foreground(0).style(), Qt::NoBrush);
    for (int answer : {ResultNo, ResultYes}) {
        messages.answer(answer);
        panel().LV_proposed->clearSelection();
        panel().LV_proposed->topLevelItem(0)->setSelected(true);
        panel().btn_acceptsel->click();
        EXPECT_EQ(messages.shown().back().text, "已有名為 field2 的 Block, 只有最後一個會填入資料, 仍要加入 ?");
        EXPECT_EQ(rowCount(Section::Blocks), answer == ResultYes ? 2 : 1);
    }

    panel().btn_dropall->click();
    EXPECT_FALSE(panel().isVisible());
    EXPECT_EQ(panel().LV_proposed->topLevelItemCount(), 0);
    EXPECT_EQ(rowCount(Section::Blocks), 2);

    detect();
    EXPECT_EQ(listed(), (std::vector<std::string>{"field1"})) << "the blocks' boxes are taken";
    open(path("form/form.txt"));
    EXPECT_FALSE(panel().isVisible());
    EXPECT_EQ(panel().LV_proposed->topLevelItemCount(), 0);
}

}  // namespace
}  // namespace zarvo
