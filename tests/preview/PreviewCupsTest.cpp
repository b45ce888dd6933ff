// A print from the preview window on a queue of a private print service.

#include <QElapsedTimer>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>

#include "platform/cups/CupsSpooler.h"
#include "preview/PrinterForm.h"
#include "preview/ProgramSpooler.h"
#include "preview/TestPage.h"
#include "tests/preview/PreviewWindows.h"
#include "tests/support/ModalAnswerer.h"
#include "tests/support/PrivateCups.h"

namespace zarvo {
namespace {

class PreviewCupsTest : public test::PreviewWindows {};

TEST_F(PreviewCupsTest, AllPagesOfAThreePagePreviewComeOutAsThreeSheets) {
    test::PrivateCups cups;
    cups.addQueue("Office");
    cups.setDefault("Office");
    CupsSpooler system;
    setProgramSpooler(&system);

    TPreviewForm& form = newPreview(0, false);
    for (int page = 0; page < 3; ++page) writeTestPage(reportOnPaper(0), {});
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

TEST_F(PreviewCupsTest, CancelDuringALongPrintLeavesNothingOnTheQueue) {
    test::PrivateCups cups;
    cups.addQueue("Office");
    cups.setDefault("Office");
    CupsSpooler system;
    setProgramSpooler(&system);
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
