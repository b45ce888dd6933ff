#include "shell/ZarvoApplication.h"

#include <gtest/gtest.h>

#include <functional>

#include <QEventLoop>
#include <QPushButton>
#include <QWidget>

#include <new>
#include <stdexcept>

#include "preview/TopLevelError.h"
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

// Runs work when its handler is called, as a window's command does.
class Commands : public QObject {
public:
    void run() { work(); }
    std::function<void()> work;
};

// The program's own errors keep their texts; any other exception's text is
// the library's, in English: the message names the operation instead.
TEST(ZarvoApplicationTest, OnlyTheProgramsOwnErrorsShowTheirTexts) {
    QWidget page;
    nameOperation(page, QStringLiteral("版面"));
    auto* view = new Worker;
    view->setParent(&page);
    QWidget window;
    window.setWindowTitle(QStringLiteral("PreviewForm"));
    auto* button = new QPushButton(QStringLiteral("&A 新增"), &window);
    Commands commands;
    bindHandler(button, &QPushButton::clicked, &commands, &Commands::run);
    Worker unnamed;

    const std::string internal = "無法完成「版面」的操作: 程式內部錯誤";
    struct Case {
        const char* what;
        std::function<void()> deliver;
        std::string text;
    };
    const Case cases[] = {
        {"ReportError", [&] { view->send([] { throw ReportError("無法開啟報表檔: 甲.txt"); }); },
         "無法開啟報表檔: 甲.txt"},
        {"ConversionError", [&] { view->send([] { throw ConversionError("x1"); }); },
         "'x1' is not a valid integer value"},
        {"out_of_range", [&] { view->send([] { throw std::out_of_range("row index 30 not below 1"); }); }, internal},
        {"bad_alloc", [&] { view->send([] { throw std::bad_alloc(); }); }, internal},
        {"a button's command",
         [&] {
             commands.work = [] { throw std::logic_error("vector::_M_range_check"); };
             button->click();
         },
         "無法完成「新增」的操作: 程式內部錯誤"},
        {"nothing named", [&] { unnamed.send([] { throw std::runtime_error("boom"); }); },
         "無法完成「這個動作」的操作: 程式內部錯誤"},
    };
    for (const Case& c : cases) {
        RecordingPresenter messages;
        c.deliver();
        EXPECT_EQ(messages.texts(), std::vector<std::string>{c.text}) << c.what;
    }
}

TEST(ZarvoApplicationTest, ACaptionNamesItsOperationWithoutKeyMarks) {
    const std::pair<const char*, const char*> cases[] = {
        {"&A 新增", "新增"},           {"開啟舊檔 &Open ...", "開啟舊檔 Open"},
        {"存成 PDF...", "存成 PDF"},   {"R&&D", "R&D"},
        {"列印", "列印"},              {"&File", "File"},
    };
    for (const auto& [caption, operation] : cases) {
        EXPECT_EQ(operationCaption(QString::fromUtf8(caption)), QString::fromUtf8(operation)) << caption;
    }
}

// Qt's own texts, such as a file dialog's, read in Chinese like the rest.
TEST(ZarvoApplicationTest, QtsOwnTextsAreInTraditionalChinese) {
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "File &name:"), QStringLiteral("檔名(&N)："));
}

}  // namespace
}  // namespace zarvo
