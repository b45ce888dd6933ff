// 偵測欄位 over a worn scan of a bill: the captions printed beside the boxes
// are read from the scan and shown with the proposals, name them, follow a
// data file's columns, and the table under its captions is proposed as
// detail rows that fill [Detail] when added.

#include <atomic>
#include <filesystem>

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTreeWidget>

#include "detail/DetailSpec.h"
#include "layout/FieldProposalPanel.h"
#include "layout/LayoutPage.h"
#include "layout/LayoutView.h"
#include "proposals/CaptionNames.h"
#include "report/Big5.h"
#include "tests/common/ScopedEnv.h"
#include "tests/common/WornCaptionForm.h"
#include "tests/windows/layout/LayoutPageFixture.h"

namespace zarvo {
namespace {

// Reads the texts given in turn, whatever it is shown.
class ScriptedReader : public CaptionReader {
public:
    explicit ScriptedReader(std::vector<std::string> texts) : texts_(std::move(texts)) {}
    std::string read(const QImage&) override { return next_ < texts_.size() ? texts_[next_++] : std::string(); }

private:
    std::vector<std::string> texts_;
    std::size_t next_ = 0;
};

class ScanCaptionsPanelTest : public test::LayoutPageFixture {
protected:
    void SetUp() override { page.resize(1100, 900); }
    FieldProposalPanel& panel() { return *page.proposals; }
    QTreeWidget& list() { return *panel().LV_proposed; }

    // A blank report over the worn bill's scan, opened on the Layout page.
    void openWornBill() {
        std::filesystem::create_directories(dir.path() / "bill");
        ASSERT_TRUE(bill.scan.save(path("bill/scan.png")));
        dir.write("bill/bill.txt", "0\t0\t0\r\nLINE_INFO\t0\r\nLABEL_STRING\t0\r\nBLOCK_INFO\t0\r\n");
        dir.write("bill/bill.zarvo", "picture=scan.png\n");
        open(path("bill/bill.txt"));
    }
    // Presses 偵測欄位 and waits for the proposals and their captions.
    void detectAndRead() {
        page.btn_detect->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !panel().busy(); }, 60000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !panel().reading(); }, 120000));
        QCoreApplication::processEvents();
    }
    std::vector<std::string> column(int at) {
        std::vector<std::string> texts;
        for (int i = 0; i < list().topLevelItemCount(); ++i) texts.push_back(list().topLevelItem(i)->text(at).toStdString());
        return texts;
    }
    std::optional<DetailSpec> detail() { return detailSpecOf(*document.profile()); }
    QString blockValue(const QString& name, int value) {
        for (const ListRow& row : document.rows(Section::Blocks))
            if (row.caption == name) return row.values.value(value);
        return QStringLiteral("(none)");
    }

    test::WornCaptionForm bill = test::wornCaptionForm();
    test::ScopedEnv cache{"XDG_CACHE_HOME", (dir.path() / "cache").string()};
};

// The captions of the bill as Tesseract reads them: at least five of six
// right, shown in 標題, naming the proposals; accepted, the table's columns
// become six numbered rows each with [Detail] filled, the data file's
// columns of numbers set right, and one undo takes it all back.
TEST_F(ScanCaptionsPanelTest, ReadsTheCaptionsAndProposesTheTableAsDetailRows) {
    if (!traditionalChineseModelDir()) GTEST_SKIP() << "tesseract-ocr-chi-tra is not installed";
    openWornBill();
    page.btn_detect->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !panel().busy(); }, 60000));
    EXPECT_TRUE(panel().reading());
    EXPECT_TRUE(page.ST_layout->currentMessage().startsWith(QStringLiteral("正在辨識底圖上的標題")))
        << page.ST_layout->currentMessage().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !panel().reading(); }, 120000));
    QCoreApplication::processEvents();
    EXPECT_TRUE(page.ST_layout->currentMessage().isEmpty());
    EXPECT_FALSE(panel().LB_captions->isVisible());

    ASSERT_EQ(list().topLevelItemCount(), 6) << "two boxes and the table's four columns: " << panel().LB_proposed->text().toStdString();
    const std::vector<std::string> captions = column(1), names = column(0);
    int right = 0;
    for (std::size_t i = 0; i < captions.size(); ++i) {
        right += captionKey(captions[i]) == bill.captions[i].text;
        if (!captionKey(captions[i]).empty()) EXPECT_EQ(names[i], nameFromCaption(captions[i], {})) << "named after its caption";
    }
    EXPECT_GE(right, 5);
    const QString data = QString::fromStdString(
        dir.write("bills.csv", "客戶名稱,請款日期,品名,數量,單價,金額\r\n甲,2026/12/01,紙,3,4.5,13.5\r\n"));
    panel().setDataFileChooser([&] { return std::optional<QString>(data); });
    panel().btn_namesfrom->click();

    panel().btn_acceptall->click();
    EXPECT_TRUE(messages.shown().empty()) << messages.shown().front().text;
    ASSERT_EQ(rowCount(Section::Blocks), 2 + 4 * 6);
    const std::optional<DetailSpec> written = detail();
    ASSERT_TRUE(written.has_value());
    EXPECT_EQ(written->rows, 6);
    std::vector<std::string> fields;
    for (int i = 2; i < 6; ++i) fields.push_back(*utf8ToBig5(names[std::size_t(i)]));
    EXPECT_EQ(written->fields, fields);
    for (int i = 2; i < 6; ++i) {
        const QString field = QString::fromStdString(names[std::size_t(i)]);
        const bool number = field == QStringLiteral("數量") || field == QStringLiteral("單價") || field == QStringLiteral("金額");
        for (int row = 1; row <= 6; ++row)
            EXPECT_EQ(blockValue(field + QString::number(row), 7), number ? QStringLiteral("5") : QStringLiteral("0"))
                << field.toStdString() << row;
    }

    QTest::keyClick(page.layoutView, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(rowCount(Section::Blocks), 0);
    EXPECT_FALSE(detail().has_value()) << "one undo takes the detail rows away too";
}

// The reading goes on without Tesseract: captions read with blanks and
// punctuation name the proposals; a name edited stays; a data file chosen
// later renames those not edited after its columns, those of numbers set
// right; captions that match no column are offered as they are.
TEST_F(ScanCaptionsPanelTest, CaptionsNameTheProposalsAfterTheDataFilesColumns) {
    std::atomic<int> made = 0;
    panel().setCaptionReaders([&] {
        return CaptionReaderFactory([&]() -> std::unique_ptr<CaptionReader> {
            ++made;
            return std::make_unique<ScriptedReader>(
                std::vector<std::string>{"客戶名稱：", " 請款 日期\n", "「品名」", "數量", "單價。", "金 額"});
        });
    });
    openWornBill();
    detectAndRead();
    EXPECT_EQ(made, 1) << "one reader for all the captions";
    EXPECT_EQ(column(1), (std::vector<std::string>{"客戶名稱：", "請款 日期", "「品名」", "數量", "單價。", "金 額"}));
    EXPECT_EQ(column(0), (std::vector<std::string>{"客戶名稱", "請款日期", "品名", "數量", "單價", "金額"}));

    QTreeWidgetItem* edited = list().topLevelItem(1);
    edited->setText(0, QStringLiteral("due"));
    const QString data = QString::fromStdString(dir.write("bills.csv", "customer,單價,數量,金額(元),品名\r\nA,4.5,3,13.5,紙\r\n"));
    panel().setDataFileChooser([&] { return std::optional<QString>(data); });
    panel().btn_namesfrom->click();
    EXPECT_EQ(column(0), (std::vector<std::string>{"客戶名稱", "due", "品名", "數量", "單價", "金額"}));

    list().clearSelection();
    for (int i : {1, 3, 4}) list().topLevelItem(i)->setSelected(true);
    panel().btn_acceptsel->click();
    ASSERT_EQ(rowCount(Section::Blocks), 1 + 2 * 6) << (messages.shown().empty() ? "" : messages.shown().back().text);
    EXPECT_EQ(blockValue(QStringLiteral("due"), 7), QStringLiteral("0"));
    EXPECT_EQ(blockValue(QStringLiteral("數量6"), 7), QStringLiteral("5"));
    EXPECT_EQ(blockValue(QStringLiteral("單價1"), 7), QStringLiteral("5"));
    ASSERT_TRUE(detail().has_value());
    EXPECT_EQ(detail()->fields, (std::vector<std::string>{*utf8ToBig5("數量"), *utf8ToBig5("單價")}));
    EXPECT_EQ(column(0), (std::vector<std::string>{"客戶名稱", "品名", "金額"})) << "the rest stay listed";
}

// Without the model the proposals are named as before, the panel says why,
// and the table is still proposed as detail rows.
TEST_F(ScanCaptionsPanelTest, WithoutTheModelTheNoteSaysWhy) {
    panel().setCaptionReaders([] { return CaptionReaderFactory(); });
    openWornBill();
    detectAndRead();
    EXPECT_EQ(column(0), (std::vector<std::string>{"field1", "field2", "colA", "colB", "colC", "colD"}));
    EXPECT_EQ(column(1), std::vector<std::string>(6));
    EXPECT_TRUE(panel().LB_captions->isVisible());
    EXPECT_EQ(panel().LB_captions->text(),
              QStringLiteral("未安裝繁體中文文字辨識 (tesseract-ocr-chi-tra), 欄位以 field1... 命名"));
    EXPECT_TRUE(panel().LB_proposed->text().contains(QStringLiteral("其中 4 欄是明細列")))
        << panel().LB_proposed->text().toStdString();
}

}  // namespace
}  // namespace zarvo
