// The tray's menu and the allowed web pages dialog, driven without a real
// tray: the jobs of a paused queue are listed as they change, 繼續列印 and
// 暫停列印 turn the queue, a failure is told once, and 移除 takes an
// allowed web page back.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sstream>
#include <thread>

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTableWidget>

#include "platform/os/DataRoot.h"
#include "platform/recording/RecordingSpooler.h"
#include "servicetray/OriginsForm.h"
#include "servicetray/ServiceTray.h"
#include "tests/common/TempDir.h"
#include "tests/support/QtTestMain.h"
#include "tests/windows/servicetray/EventWait.h"

namespace zarvo {
namespace {

using test::waitFor;
// Says yes at once.
class YesQuestion : public OriginQuestion {
public:
    void ask(const std::string&, std::function<void(bool)> answer) override { answer(true); }
};

class ServiceTrayTest : public ::testing::Test {
protected:
    ServiceTrayTest() {
        std::filesystem::create_directories(dir.path() / "forms");
        for (const char* extension : {".txt", ".zarvo", "_seal.svg"}) {
            dir.write(std::string("forms/delivery_note") + extension,
                      test::TempDir::read(std::string(ZARVO_SOURCE_DIR) + "/examples/delivery_note" + extension));
        }
        setDataRootOverride((dir.path() / "data").string());
        // Printing paused: the jobs stay as they are accepted.
        jobs.setPaused(true);
        jobs.addListener(tray.listener());
        jobs.start();
        tray.reload();
    }
    ~ServiceTrayTest() override {
        jobs.stop();
        setDataRootOverride({});
    }

    // The texts of the menu's visible entries, '&&' as written.
    QStringList menuTexts() {
        QStringList texts;
        for (QAction* action : tray.menu().actions()) {
            if (action->isVisible() && !action->isSeparator()) texts << action->text();
        }
        return texts;
    }
    QAction& action(const char* name) { return *tray.menu().findChild<QAction*>(QLatin1String(name)); }

    JobRecord submit() {
        return std::get<JobRecord>(jobs.submit({"delivery_note", "Office", 1, false, R"([{"no": "A1"}])", "json"}));
    }

    test::TempDir dir;
    std::ostringstream trace;
    RecordingSpooler printers{trace, 300, {{"Office", true}}};
    FormCatalog forms{{(dir.path() / "forms").string()}};
    JobSpool spool{(dir.path() / "state/jobs").string()};
    JobQueue jobs{printers, {}, forms, spool, JobQueue::Settings{1, 20, {}}};
    OriginAccess origins{{{"https://erp.example.com"}, (dir.path() / "paired-origins").string()}};
    TServiceTray tray{jobs, origins, {8700, (dir.path() / "forms").string(), {"https://erp.example.com"}}};
};

TEST_F(ServiceTrayTest, TheMenuListsTheJobsAsTheyChangeAndTheCommands) {
    EXPECT_EQ(tray.objectName(), "ServiceTray");
    EXPECT_EQ(tray.menu().objectName(), "MU_service");
    EXPECT_EQ(menuTexts(), QStringList({"沒有最近的工作", "繼續列印", "開啟表單資料夾", "允許的網頁...", "結束服務"}));
    EXPECT_EQ(tray.icon().toolTip(), "Zarvo 列印服務\n通訊埠 8700, 沒有等待中的工作\n列印已暫停");
    EXPECT_FALSE(tray.icon().icon().isNull());

    submit();
    const JobRecord second = submit();
    ASSERT_TRUE(waitFor([&] { return menuTexts().size() == 6; })) << menuTexts().join('|').toStdString();
    EXPECT_EQ(menuTexts().mid(0, 2),
              QStringList({"delivery_note → Office — 排隊中", "delivery_note → Office — 排隊中"}));
    EXPECT_EQ(tray.icon().toolTip(), "Zarvo 列印服務\n通訊埠 8700, 等待中 2 件\n列印已暫停");
    EXPECT_FALSE(action("act_job0").isEnabled());

    // Cancelled on a server thread, the change reaches the menu on the tray's.
    std::thread([&] { jobs.cancel(second.id); }).join();
    ASSERT_TRUE(waitFor([&] { return menuTexts().value(0).endsWith("已取消"); }));
    EXPECT_EQ(menuTexts().value(1), "delivery_note → Office — 排隊中");
    EXPECT_EQ(tray.icon().toolTip(), "Zarvo 列印服務\n通訊埠 8700, 等待中 1 件\n列印已暫停");

    // 繼續列印 and 暫停列印 turn the queue.
    for (const bool paused : {false, true}) {
        action("act_pause").trigger();
        EXPECT_EQ(jobs.paused(), paused);
        EXPECT_EQ(action("act_pause").text(), paused ? "繼續列印" : "暫停列印");
        EXPECT_EQ(tray.icon().toolTip().endsWith("列印已暫停"), paused);
    }
}

TEST_F(ServiceTrayTest, AFailedJobIsToldOnceAndQuitIsAsked) {
    QSignalSpy messages(&tray, &TServiceTray::messageShown);
    QSignalSpy quit(&tray, &TServiceTray::quitRequested);
    JobRecord failed = submit();
    failed.state = JobState::Failed;
    failed.message = "印表機沒有回應";
    tray.jobChanged(failed);
    tray.jobChanged(failed);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0][0].toString(), "列印失敗");
    EXPECT_EQ(messages[0][1].toString(), "delivery_note → Office: 印表機沒有回應");
    action("act_quit").trigger();
    EXPECT_EQ(quit.size(), 1);
}

TEST_F(ServiceTrayTest, TheAllowedPagesListTheConfiguredAndRemoveThePaired) {
    YesQuestion yes;
    origins.setQuestion(&yes);
    ASSERT_TRUE(origins.pair("https://shop.example.com"));
    ASSERT_TRUE(origins.pair("http://localhost:3000"));

    action("act_origins").trigger();
    TOriginsForm& form = tray.showOrigins();  // the same dialog, not a second one
    EXPECT_EQ(form.objectName(), "OriginsForm");
    auto* table = form.findChild<QTableWidget*>("TB_origins");
    ASSERT_NE(table, nullptr);
    const auto rows = [&] {
        QStringList texts;
        for (int row = 0; row < table->rowCount(); ++row) {
            auto* remove = qobject_cast<QPushButton*>(table->cellWidget(row, 1));
            texts << table->item(row, 0)->text() + " " + (remove ? remove->text() : table->item(row, 1)->text());
        }
        return texts;
    };
    EXPECT_EQ(rows(), QStringList({"https://erp.example.com 設定檔", "http://localhost:3000 移除",
                                   "https://shop.example.com 移除"}));
    EXPECT_TRUE(form.findChild<QLabel*>("Label_empty")->isHidden());

    form.findChild<QPushButton*>("btn_remove_2")->click();
    ASSERT_TRUE(waitFor([&] { return table->rowCount() == 2; }));
    EXPECT_EQ(origins.pairedOrigins(), std::vector<std::string>{"http://localhost:3000"});
    EXPECT_FALSE(origins.allowed("https://shop.example.com"));
    EXPECT_EQ(rows(), QStringList({"https://erp.example.com 設定檔", "http://localhost:3000 移除"}));
    form.close();
    origins.setQuestion(nullptr);
}

}  // namespace
}  // namespace zarvo
