// A print from the preview window on a queue of a private print service.

#include <QElapsedTimer>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>

#include "printing/CupsSpooler.h"
#include "preview/PrinterForm.h"
#include "compose/TestPage.h"
#include "report/TestDataLine.h"
#include "tests/windows/preview/PreviewWindows.h"
#include "tests/support/ModalAnswerer.h"
#include "tests/support/PrivateCups.h"

namespace zarvo {
namespace {

// Prints go to the queue Office, the default of a private print service.
class PreviewCupsTest : public test::PreviewWindows {
protected:
    PreviewCupsTest() {
        cups.addQueue("Office");
        cups.setDefault("Office");
        printers.use(system);
    }

    test::PrivateCups cups;
    CupsSpooler system;
};

TEST_F(PreviewCupsTest, AllPagesOfAThreePagePreviewComeOutAsThreeSheets) {

    TPreviewForm& form = newPreview(0, false);
    for (int page = 0; page < 3; ++page) writeTestPage(form.pages(), reportOnPaper(0), {});
    form.show();
    form.RenderPages();
    ASSERT_EQ(form.printerName(), "Office");

    test::ModalAnswerer everyPage([this](QWidget& dialog) {
        control<QRadioButton>(dialog, "RB3").setChecked(true);
        control<QPushButton>(dialog, "Button1").click();
    });
    control<QPushButton>(form, "Button2").click();
    ASSERT_TRUE(everyPage.answered());
    EXPECT_TRUE(messages.shown().empty());

    const auto jobs = cups.waitForJobs(1);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(test::PrivateCups::sheetCount(jobs[0]), 3);
    EXPECT_EQ(cups.jobCount(), 1u);
}

TEST_F(PreviewCupsTest, TheStatusBarNamesTheSheetsThePrinterAndEveryJobOfAPrint) {
    // The delivery note and an empty form on A4, then one on A3: one job per
    // run of sheets on the same paper.
    TPreviewForm& form = newPreview(0, false);
    const std::string examples = std::string(ZARVO_SOURCE_DIR) + "/examples/";
    writeTestPage(form.pages(), examples + "delivery_note.txt",
                  splitTestDataLines(test::TempDir::read(examples + "delivery_note_data.txt")));
    for (int paperCode : {0, 4}) writeTestPage(form.pages(), reportOnPaper(paperCode), {});
    form.show();
    form.RenderPages();
    test::ModalAnswerer everyPage([this](QWidget& dialog) {
        control<QRadioButton>(dialog, "RB3").setChecked(true);
        control<QPushButton>(dialog, "Button1").click();
    });
    control<QPushButton>(form, "Button2").click();
    ASSERT_TRUE(everyPage.answered());
    // The note reaches past the private queue's right margin: said as ever, and the print still went out.
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"第 1 頁超出印表機可列印範圍: 右 0.2 mm\n超出的部分印不出來."});

    const auto jobs = cups.waitForJobs(2);
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(test::PrivateCups::sheetCount(jobs[0]), 2);
    // The output files are named by their job ids.
    const std::string expected = "已送出 3 張到 Office (工作 " + std::to_string(std::stoi(jobs[0].stem())) + ", " +
                                 std::to_string(std::stoi(jobs[1].stem())) + ")";
    EXPECT_EQ(control<QStatusBar>(form, "ST_preview").currentMessage().toStdString(), expected);
    form.grab().save(QStringLiteral("/tmp/zarvo-preview-printed.png"));
}

TEST_F(PreviewCupsTest, CancelDuringALongPrintLeavesNothingOnTheQueue) {
    TPreviewForm& form = newPreview(1);
    form.setPreviewMode(0);

    QElapsedTimer sincePrint;
    qint64 shownAfterMs = -1;
    test::ModalAnswerer cancel([&](QWidget& dialog) {
        shownAfterMs = sincePrint.elapsed();
        test::clickText(QStringLiteral("取消"))(dialog);
    });
    sincePrint.start();
    // Far more sheets than a second can draw.
    form.PrintPages(0, 0, 1, 1000000);

    ASSERT_TRUE(cancel.answered());
    EXPECT_EQ(cancel.seen().className, QStringLiteral("QProgressDialog"));
    // Shown as soon as the print looks long, and stopped at once.
    EXPECT_LT(sincePrint.elapsed(), shownAfterMs + 500);
    EXPECT_EQ(form.findChild<QProgressDialog*>(QStringLiteral("PrintProgress")), nullptr);
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(cups.jobCount(), 0u);
}

}  // namespace
}  // namespace zarvo
