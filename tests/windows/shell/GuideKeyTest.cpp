// F1 in the program's windows: the main window and its Layout page, the
// field dialog and the calibration dialog (both run modally, as the program
// runs them) each open the guide window at their own page.

#include <gtest/gtest.h>

#include <functional>

#include <QApplication>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>

#include "calibrationdialog/CalibrationForm.h"
#include "designer/MainWindow.h"
#include "fielddialog/FieldForm.h"
#include "layout/LayoutPage.h"
#include "guidewindow/GuideForm.h"
#include "platform/NoPrinters.h"
#include "tests/common/MarginSpooler.h"
#include "tests/support/ModalAnswerer.h"

namespace zarvo {
namespace {

// What the guide window showed after F1.
struct Shown {
    bool open = false;
    QString page;
    QString text;
};

// Presses F1 where the keyboard is in window, as a person does, and notes
// what the guide window then shows; the guide is closed again.
Shown pressF1(QWidget& window) {
    QApplication::setActiveWindow(&window);
    QWidget* focus = window.focusWidget() ? window.focusWidget() : &window;
    QTest::keyClick(focus, Qt::Key_F1);
    Shown shown;
    if (GuideForm* guide = guideForm()) {
        shown = {guide->isVisible(), guide->TB_guide->source().fileName(), guide->TB_guide->toPlainText()};
        closeGuide();
    }
    return shown;
}

// F1 pressed inside the modal dialog that run opens.
Shown pressF1InModal(const std::function<void()>& run) {
    Shown shown;
    test::ModalAnswerer answerer([&shown](QWidget& modal) {
        shown = pressF1(modal);
        modal.close();
    });
    run();
    EXPECT_TRUE(answerer.answered());
    return shown;
}

TEST(GuideKeyTest, F1OpensTheGuideAtThePageOfTheWindowInUse) {
    NoPrinters none;
    MainWindow window(none);
    window.show();
    test::MarginSpooler printers({{"Office", true}});
    FrameRow total;
    total.width = 60;
    total.height = 8;
    total.ychar = 4;
    total.label = "total";

    const struct {
        const char* where;
        std::function<Shown()> press;
        const char* page;
        const char* title;
    } cases[] = {
        {"main window", [&] { return pressF1(window); }, "index.md", "使用手冊"},
        {"Layout page",
         [&] {
             window.PageControl1->setCurrentWidget(window.TabSheet6);
             const Shown shown = pressF1(window);
             window.PageControl1->setCurrentWidget(window.TabSheet1);
             return shown;
         },
         "align-old-report.md", "對齊舊報表到新底圖"},
        {"field dialog",
         [&] {
             return pressF1InModal([&] {
                 askFieldSection(&window, total, ProfileSection{blockSectionName("total"), 0, {}, {}, {}, {}}, "100");
             });
         },
         "formats.md", "金額大寫"},
        {"calibration dialog",
         [&] {
             TCalibrationForm form(printers, &window);
             return pressF1InModal([&] { form.execute(); });
         },
         "calibration.md", "印表機校正"},
    };
    for (const auto& [where, press, page, title] : cases) {
        const Shown shown = press();
        EXPECT_TRUE(shown.open) << where;
        EXPECT_EQ(shown.page, QString::fromUtf8(page)) << where;
        EXPECT_TRUE(shown.text.contains(QString::fromUtf8(title))) << where << ": " << shown.text.toStdString();
    }
}

}  // namespace
}  // namespace zarvo
