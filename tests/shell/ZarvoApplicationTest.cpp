#include "shell/ZarvoApplication.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "report/ConversionError.h"
#include "report/ReportError.h"
#include "tests/support/QtTestMain.h"
#include "tests/support/RecordingPresenter.h"

namespace zarvo {
namespace {

// Every test of this executable runs under Zarvo's own application class.
const bool usesZarvoApplication = test::useTestApplication(
    [](int& argc, char** argv) -> std::unique_ptr<QApplication> {
        return std::make_unique<ZarvoApplication>(argc, argv);
    });

using test::RecordingPresenter;

TEST(ZarvoApplicationTest, TestsRunUnderZarvoApplication) {
    EXPECT_TRUE(usesZarvoApplication);
    EXPECT_NE(qobject_cast<ZarvoApplication*>(QCoreApplication::instance()), nullptr);
}

// Clicks button from the keyboard (Space). A mouse click would do as well, but
// an exception unwinding through QApplication::notify skips the destructor of
// the mouse event copy it makes, which leak checking then reports.
void click(QPushButton& button) { QTest::keyClick(&button, Qt::Key_Space); }

TEST(ZarvoApplicationTest, AnExceptionFromAClickIsShownAndTheProgramGoesOn) {
    RecordingPresenter messages;
    QPushButton button(QStringLiteral("讀取"));
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] {
        if (++clicks == 1) throw ConversionError("1O");
    });
    button.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&button));

    click(button);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, MessageKind::Warning);
    EXPECT_EQ(messages.shown()[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(messages.shown()[0].text, "'1O' is not a valid integer value");

    // The button and the application still answer.
    click(button);
    EXPECT_EQ(clicks, 2);
    EXPECT_FALSE(button.isDown());
    EXPECT_EQ(messages.shown().size(), 1u);
}

TEST(ZarvoApplicationTest, ExceptionsInsideTheEventLoopAreShownAndTheLoopRunsOn) {
    RecordingPresenter messages;
    QEventLoop loop;
    bool ranAfter = false;
    QTimer::singleShot(0, [] { throw ReportError("無法開啟報表檔: /tmp/甲.txt"); });
    QTimer::singleShot(0, [] { throw 42; });
    QTimer::singleShot(10, [&] {
        ranAfter = true;
        loop.quit();
    });
    loop.exec();

    EXPECT_TRUE(ranAfter);
    ASSERT_EQ(messages.shown().size(), 2u);
    EXPECT_EQ(messages.shown()[0].text, "無法開啟報表檔: /tmp/甲.txt");
    EXPECT_EQ(messages.shown()[1].kind, MessageKind::Warning);
    EXPECT_FALSE(messages.shown()[1].text.empty());
}

}  // namespace
}  // namespace zarvo
