// Unsaved work across a crash: a real designer typed into and killed, then
// the program started again; a normal end leaves nothing behind.

#include <csignal>
#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

#include "document/Big5TextFile.h"
#include "designer/MainWindow.h"
#include "platform/os/DataRoot.h"
#include "platform/recording/RecordingSpooler.h"
#include "tests/common/RecordingPresenter.h"
#include "tests/common/TempDir.h"
#include "tests/windows/designer/AnsweringFileDialogs.h"

namespace zarvo {
namespace {

const QString newReport = QStringLiteral("0\t0\t0\nLINE_INFO\nLABEL_STRING\nBLOCK_INFO\n");

class RecoveryTest : public testing::Test {
protected:
    RecoveryTest() {
        setDataRootOverride((dir.path() / "data").string());
    }
    ~RecoveryTest() override {
        setDataRootOverride("");
    }

    // A child process of this test's own state and data directories.
    std::unique_ptr<QProcess> child() const {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_STATE_HOME"), QString::fromStdString((dir.path() / "state").string()));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString((dir.path() / "run").string()));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process->setProcessEnvironment(environment);
        return process;
    }
    // A designer started on report that has typed text and testData.
    std::unique_ptr<QProcess> startTyping(const QString& report, const QString& text, const QString& testData,
                                          bool exitAfterCopy = false) {
        auto process = child();
        QStringList arguments{report, text, testData};
        if (exitAfterCopy) arguments << QStringLiteral("exit");
        process->start(QStringLiteral(ZARVO_TYPING_DESIGNER), arguments);
        EXPECT_TRUE(process->waitForReadyRead(30000));
        EXPECT_EQ(process->readAllStandardOutput(), "typed\n");
        return process;
    }
    std::filesystem::path recoveryDirectory() const { return dir.path() / "state" / "zarvo" / "recovery"; }
    int copiesOnDisk() const {
        int count = 0;
        if (!std::filesystem::exists(recoveryDirectory())) return 0;
        for (const auto& entry : std::filesystem::directory_iterator(recoveryDirectory()))
            count += entry.path().extension() == ".copy";
        return count;
    }
    static void kill(QProcess& process) {
        ::kill(pid_t(process.processId()), SIGKILL);
        EXPECT_TRUE(process.waitForFinished(10000));
    }

    test::TempDir dir;
    std::ostringstream trace;
    RecordingSpooler spooler{trace, 300, {{"Office", true}}};
};

TEST_F(RecoveryTest, TypedWorkOutlivesAKillAndComesBackOnce) {
    const QString report = QString::fromStdString(dir.write("form.txt", "0\t0\t0\r\nLINE_INFO\r\nLABEL_STRING\r\nBLOCK_INFO\r\n"));
    const QString typed = QStringLiteral("0\t1\t10\t20\t110\t20 客戶 0O1l");
    auto first = startTyping(report, typed, QStringLiteral("customer,祥和"));
    // The second program's copy is the newer one however busy the machine.
    ASSERT_TRUE(QTest::qWaitFor([this] { return copiesOnDisk() == 1; }, 10000));
    auto second = startTyping(QStringLiteral(""), QStringLiteral("second"), QString());
    QTest::qWait(3000);
    {
        // Both programs still run: neither copy is offered.
        test::RecordingPresenter messages;
        MainWindow other(spooler);
        other.keepRecoveryCopies(recoveryDirectory());
        EXPECT_FALSE(other.offerRecoveryCopies());
        EXPECT_TRUE(messages.texts().empty());
    }
    EXPECT_EQ(copiesOnDisk(), 2);
    kill(*first);
    QTest::qWait(100);
    kill(*second);

    test::RecordingPresenter messages;
    messages.answer(ResultNo);   // the newest, the second program's: removed
    messages.answer(ResultYes);  // the first program's: back
    MainWindow window(spooler);
    window.show();
    window.keepRecoveryCopies(recoveryDirectory());
    ASSERT_TRUE(window.offerRecoveryCopies());
    const std::string question = "上次未正常結束, 是否恢復未存檔的報表 ?";
    EXPECT_EQ(messages.texts(), (std::vector<std::string>{question, question + "\n\n" + report.toStdString()}));
    EXPECT_EQ(window.document().fileName(), report);
    EXPECT_TRUE(window.document().unsaved());
    EXPECT_EQ(window.document().testData(), QStringLiteral("customer,祥和"));

    test::AnsweringFileDialogs dialogs;
    dialogs.answers.push_back(QString::fromStdString((dir.path() / "saved.txt").string()));
    window.SaveAs1Click();
    EXPECT_EQ(test::TempDir::read((dir.path() / "saved.txt").string()),
              std::get<std::string>(encodeBig5Text(newReport + typed)));
    EXPECT_EQ(copiesOnDisk(), 0);  // saved: nothing left to recover
}

TEST_F(RecoveryTest, ANormalExitLeavesNoCopy) {
    auto designer = startTyping(QString(), QStringLiteral("typed"), QStringLiteral("a,1"), true);
    ASSERT_TRUE(designer->waitForFinished(30000));
    EXPECT_EQ(designer->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(designer->exitCode(), 0);
    EXPECT_EQ(copiesOnDisk(), 0);
}

// A quit asked for while start-up asks about a copy ends the program, and
// the copy, never answered, waits for the next start.
TEST_F(RecoveryTest, AQuitDuringTheRecoveryQuestionEndsTheProgramAndKeepsTheCopy) {
    auto crashed = startTyping(QString(), QStringLiteral("typed"), QString());
    ASSERT_TRUE(QTest::qWaitFor([this] { return copiesOnDisk() == 1; }, 10000));
    kill(*crashed);

    auto quitting = child();
    quitting->start(QStringLiteral(ZARVO_QUIT_AT_QUESTION), {});
    ASSERT_TRUE(quitting->waitForReadyRead(30000));
    EXPECT_EQ(quitting->readAllStandardOutput(), "asked\n");
    ASSERT_TRUE(quitting->waitForFinished(10000)) << "still running after the quit";
    EXPECT_EQ(quitting->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(quitting->exitCode(), 0);
    EXPECT_EQ(copiesOnDisk(), 1);
}

}  // namespace
}  // namespace zarvo
