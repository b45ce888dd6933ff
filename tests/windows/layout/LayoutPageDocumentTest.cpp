// The Layout page on a ReportDocument alone, without the main window: its
// edits change the document's rows, mark it unsaved and go into the
// document's history; the document's stationery follows the page's.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "document/LayoutBinding.h"
#include "document/ReportDocument.h"
#include "document/RowDialogs.h"
#include "layout/LayoutPage.h"
#include "layout/LayoutView.h"
#include "report/FormProfile.h"
#include "report/RowSchema.h"
#include "tests/common/MarginSpooler.h"

namespace zarvo {
namespace {

// A window that opens no dialog and shows no list.
struct NoDialogs : RowDialogs {
    bool editRow(Section, qsizetype, bool, ListRow&) override { return false; }
    std::optional<RowText> fieldStyleRow(qsizetype) override { return std::nullopt; }
    bool dialogOpen() const override { return false; }
    void showCurrentRow(Section, qsizetype) override {}
};

const qsizetype kLeft = valueIndex(FrameColumn::Left);

TEST(LayoutPageDocumentTest, TheLayoutPageEditsTheDocumentItIsGiven) {
    ReportDocument document;
    document.open(QStringLiteral("0\t0\t0\nLINE_INFO\nLABEL_STRING\nBLOCK_INFO\t1\n0\t22\t30\t98\t8\t0\t0\t7\t0\t4\t2.5\t0\tno\n"),
                  QString());
    NoDialogs dialogs;
    LayoutBinding binding(document, dialogs);
    test::MarginSpooler printers;
    LayoutPage page(printers);
    page.layoutView->setDocument(&binding);
    page.resize(900, 700);
    page.show();
    page.pageShown();

    page.layoutView->editor().select({RowRef{RowKind::Block, 0}});
    QTest::keyClick(page.layoutView, Qt::Key_Right);
    EXPECT_TRUE(document.unsaved());
    EXPECT_TRUE(document.rowsEdited(Section::Blocks));
    EXPECT_EQ(document.rows(Section::Blocks)[0].values[kLeft], QStringLiteral("22.1"));
    ASSERT_TRUE(document.history().canUndo());

    QTest::keyClick(page.layoutView, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(document.rows(Section::Blocks)[0].values[kLeft], QStringLiteral("22"));
    document.reconcile();
    EXPECT_TRUE(document.text().endsWith(QStringLiteral("BLOCK_INFO\t1\n0\t22\t30\t98\t8\t0\t0\t7\t0\t4\t2.5\t0\tno\n")))
        << document.text().toStdString();

    // A new report clears the history and the page shows no stationery.
    document.startNew();
    EXPECT_FALSE(document.history().canUndo());
    page.openStationery(*document.profile(), document.fileName());
    EXPECT_EQ(formProfileText(document.profileToSave(QStringLiteral("/tmp/a.txt"))), std::string());
}

}  // namespace
}  // namespace zarvo
