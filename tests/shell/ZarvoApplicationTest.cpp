#include "shell/ZarvoApplication.h"

#include <gtest/gtest.h>

#include <functional>

#include <QEventLoop>

#include "report/ConversionError.h"
#include "report/ReportError.h"
#include "tests/support/QtTestMain.h"
#include "tests/common/RecordingPresenter.h"

namespace zarvo {
namespace {

// Every test of this executable runs under Zarvo's own application class.
[[maybe_unused]] const bool usesZarvoApplication = test::useTestApplication(
    [](int& argc, char** argv) -> std::unique_ptr<QApplication> {
        return std::make_unique<ZarvoApplication>(argc, argv);
    });

using test::RecordingPresenter;

// Runs the work handed to it, one piece per event, in its event handler.
// (Our own handler: an exception unwinding through Qt's own input handlers,
// a button's click among them, skips destructors there, which leak checking
// reports.)
class Worker : public QObject {
public:
    // Delivers work at once, through the application's event delivery.
    void send(std::function<void()> work) {
        WorkEvent event(std::move(work));
        QCoreApplication::sendEvent(this, &event);
    }
    // Queues work for the event loop.
    void post(std::function<void()> work) {
        QCoreApplication::postEvent(this, new WorkEvent(std::move(work)));
    }

protected:
    void customEvent(QEvent* event) override { static_cast<WorkEvent*>(event)->work(); }

private:
    struct WorkEvent : QEvent {
        explicit WorkEvent(std::function<void()> w) : QEvent(QEvent::User), work(std::move(w)) {}
        std::function<void()> work;
    };
};

TEST(ZarvoApplicationTest, AnExceptionFromAnEventHandlerIsShownAndTheProgramGoesOn) {
    RecordingPresenter messages;
    Worker worker;
    worker.send([] { throw ConversionError("1O"); });
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, MessageKind::Warning);
    EXPECT_EQ(messages.shown()[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(messages.shown()[0].text, "'1O' is not a valid integer value");

    bool handled = false;
    worker.send([&] { handled = true; });
    EXPECT_TRUE(handled);
    EXPECT_EQ(messages.shown().size(), 1u);
}

TEST(ZarvoApplicationTest, ExceptionsInsideTheEventLoopAreShownAndTheLoopRunsOn) {
    RecordingPresenter messages;
    QEventLoop loop;
    Worker worker;
    bool ranAfter = false;
    worker.post([] { throw ReportError("無法開啟報表檔: /tmp/甲.txt"); });
    worker.post([] { throw 42; });
    worker.post([&] {
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

// Qt's own texts, such as a file dialog's, read in Chinese like the rest.
TEST(ZarvoApplicationTest, QtsOwnTextsAreInTraditionalChinese) {
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "File &name:"), QStringLiteral("檔名(&N)："));
}

}  // namespace
}  // namespace zarvo
