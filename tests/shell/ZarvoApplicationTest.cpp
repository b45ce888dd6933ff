#include "shell/ZarvoApplication.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QKeyEvent>
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

// A page-number field whose key handler converts what has been typed, as the
// windows' handlers do, and lets the conversion error escape. (Our own
// handler: an exception unwinding through Qt's own handlers, a button's click
// among them, skips their destructors, which leak checking reports.)
class PageField : public QWidget {
public:
    QString typed;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        typed += event->text();
        bool isNumber = false;
        typed.toInt(&isNumber);
        if (!isNumber) throw ConversionError(typed.toStdString());
    }
};

TEST(ZarvoApplicationTest, AnExceptionFromAnEventHandlerIsShownAndTheProgramGoesOn) {
    RecordingPresenter messages;
    PageField field;

    QTest::keyClicks(&field, "1O");
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, MessageKind::Warning);
    EXPECT_EQ(messages.shown()[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(messages.shown()[0].text, "'1O' is not a valid integer value");

    // The field and the application still answer.
    field.typed.clear();
    QTest::keyClicks(&field, "12");
    EXPECT_EQ(field.typed, QStringLiteral("12"));
    EXPECT_EQ(messages.shown().size(), 1u);
}

TEST(ZarvoApplicationTest, ExceptionsInsideTheEventLoopAreShownAndTheLoopRunsOn) {
    RecordingPresenter messages;
    QEventLoop loop;
    bool ranAfter = false;
    QTimer::singleShot(0, [] { throw ReportError("無法開啟報表檔: /tmp/甲.txt"); });
    QTimer::singleShot(0, [] { throw 42; });
    QTimer::singleShot(0, [&] {
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
