#include "preview/SelectPrinterForm.h"

#include <QComboBox>

#include "tests/windows/preview/PreviewWindows.h"
#include "tests/support/ModalAnswerer.h"

namespace zarvo {
namespace {

using test::ModalAnswerer;

class SelectprinterTest : public test::PreviewWindows {};

TEST_F(SelectprinterTest, AHiddenPreviewAsksForThePrinterAndPrintsOnlyOnOk) {
    struct Case {
        ModalAnswerer::Action answer;
        std::vector<std::vector<int>> jobs;
        std::string printerName;
    };
    const Case cases[] = {
        {test::clickText(QStringLiteral("確定")), {{1, 2}}, "Office"},
        {test::clickText(QStringLiteral("取消")), {}, "Lab"},
        {test::closeWindow(), {}, "Lab"},
    };
    for (const Case& c : cases) {
        usePrinters({{"Office", true}, {"Lab", false}});
        newPreview(2, false);
        preview->setPrinterName("Lab");
        preview->setPreviewMode(0);
        ModalAnswerer answerer(c.answer);
        preview->PrintPages(0, 1, 1, 1);
        EXPECT_TRUE(answerer.answered());
        EXPECT_FALSE(answerer.forced());
        EXPECT_EQ(answerer.seen().title, QStringLiteral("選擇印表機"));
        EXPECT_EQ(spooler->jobs(), c.jobs);
        EXPECT_EQ(preview->printerName(), c.printerName);
    }
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(SelectprinterTest, EveryShowingListsThePrintersAfreshWithTheDefaultSelected) {
    newPreview(1, false);
    QComboBox& list = control<QComboBox>(*SelectPrinterForm, "ComboBox1");
    for (int showing = 0; showing < 2; ++showing) {
        QStringList items;
        int selected = -1;
        ModalAnswerer answerer([&](QWidget& dialog) {
            for (int i = 0; i < list.count(); ++i) items << list.itemText(i);
            selected = list.currentIndex();
            list.setCurrentIndex(1);
            test::closeWindow()(dialog);
        });
        EXPECT_EQ(SelectPrinterForm->exec(), 2);
        EXPECT_EQ(items, (QStringList{"Office", "Lab"}));
        EXPECT_EQ(selected, 0);
    }
}

}  // namespace
}  // namespace zarvo
