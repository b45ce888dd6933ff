// A print from the preview window on a queue of a private print service.

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

}  // namespace
}  // namespace zarvo
