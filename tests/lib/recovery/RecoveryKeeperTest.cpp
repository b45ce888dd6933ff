// The recovery keeper: when copies are taken, where they are written, and
// that a saved document leaves no copy behind.

#include "recovery/RecoveryKeeper.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include "recovery/RecoveryFormat.h"
#include "tests/common/TempDir.h"
#include "tests/lib/recovery/RecoveryTesting.h"

namespace zarvo {
namespace {

namespace fs = std::filesystem;
using test::filesIn;
constexpr int delay = RecoveryKeeper::writeDelayMs;

// A timer on simulated time: advanceTo() calls what falls due, at the
// moment it falls due.
class SteppedTimer : public WriteTimer {
public:
    void start(int delayMs, std::function<void()> due) override {
        deadline_ = now_ + delayMs;
        due_ = std::move(due);
        active_ = true;
    }
    void stop() override { active_ = false; }
    void advanceTo(std::int64_t ms) {
        while (active_ && deadline_ <= ms) {
            now_ = deadline_;
            active_ = false;
            due_();
        }
        now_ = ms;
    }
    std::int64_t now() const { return now_; }

private:
    std::int64_t now_ = 0;
    std::int64_t deadline_ = 0;
    bool active_ = false;
    std::function<void()> due_;
};

// A store that records its writes and can hold them back, as a slow disk would.
class WatchedStore : public RecoveryStore {
public:
    struct Record {
        int started = 0;
        int removals = 0;
        std::vector<std::string> written;
        std::vector<QThread*> writeThreads;
    };
    using RecoveryStore::RecoveryStore;

    void write(const RecoveryCopy& copy) override {
        std::unique_lock lock(mutex_);
        ++record_.started;
        record_.writeThreads.push_back(QThread::currentThread());
        released_.wait(lock, [this] { return !held_; });
        lock.unlock();
        RecoveryStore::write(copy);
        lock.lock();
        record_.written.push_back(copy.text);
    }
    void remove() override {
        RecoveryStore::remove();
        std::lock_guard lock(mutex_);
        ++record_.removals;
    }
    void hold(bool held) {
        std::lock_guard lock(mutex_);
        held_ = held;
        released_.notify_all();
    }
    Record record() {
        std::lock_guard lock(mutex_);
        return record_;
    }

private:
    std::mutex mutex_;
    std::condition_variable released_;
    bool held_ = false;
    Record record_;
};

// A document being edited under a keeper on simulated time; version n is
// the text "vn".
struct Editing {
    struct Taken {
        std::int64_t atMs;
        int version;
        QThread* thread;
    };

    explicit Editing(const fs::path& dir) : store(dir) {
        auto owned = std::make_unique<SteppedTimer>();
        timer = owned.get();
        keeper = std::make_unique<RecoveryKeeper>(
            store,
            [this] {
                taken.push_back({timer->now(), version, QThread::currentThread()});
                return test::copyOf("v" + std::to_string(version));
            },
            std::move(owned));
    }
    void changeAt(std::int64_t ms) {
        timer->advanceTo(ms);
        ++version;
        keeper->documentChanged();
    }
    // Waits, in real time, until the store's record satisfies done.
    bool waitUntil(const std::function<bool(const WatchedStore::Record&)>& done) {
        return QTest::qWaitFor([&] { return done(store.record()); });
    }
    // A change at 0 whose copy is then taken and held at the disk.
    bool firstCopyHeld() {
        store.hold(true);
        changeAt(0);
        timer->advanceTo(delay);
        return waitUntil([](const auto& r) { return r.started == 1; });
    }
    bool waitForWritten(int writtenVersion) {
        const std::string text = "v" + std::to_string(writtenVersion);
        return waitUntil([&](const auto& r) { return !r.written.empty() && r.written.back() == text; });
    }

    WatchedStore store;
    SteppedTimer* timer = nullptr;
    std::unique_ptr<RecoveryKeeper> keeper;
    int version = 0;
    std::vector<Taken> taken;
};

TEST(RecoveryKeeperTest, CopiesAreTakenWithinTwoSecondsOfAChangeAndTwoSecondsApart) {
    struct Case {
        const char* name;
        std::vector<std::int64_t> changesAtMs;
    };
    std::vector<std::int64_t> typing;
    for (std::int64_t ms = 0; ms < 5000; ms += 100) typing.push_back(ms);
    const std::vector<Case> cases = {
        {"typing every 100 ms for 5 s", typing},
        {"one change", {300}},
        {"bursts between quiet spells", {0, 10, 1999, 2000, 2001, 7000, 7500}},
        {"a change every 1999 ms", {0, 1999, 3998, 5997}},
    };
    for (const Case& c : cases) {
        test::TempDir temp;
        Editing editing(temp.path());
        for (std::int64_t ms : c.changesAtMs) editing.changeAt(ms);
        editing.timer->advanceTo(c.changesAtMs.back() + 10 * delay);

        const auto& taken = editing.taken;
        for (std::size_t i = 1; i < taken.size(); ++i) {
            EXPECT_GE(taken[i].atMs - taken[i - 1].atMs, delay) << c.name;
        }
        for (std::size_t i = 0; i < c.changesAtMs.size(); ++i) {
            const int version = static_cast<int>(i) + 1;
            auto first =
                std::find_if(taken.begin(), taken.end(), [&](const auto& t) { return t.version >= version; });
            ASSERT_NE(first, taken.end()) << c.name << ", change " << version;
            EXPECT_LE(first->atMs - c.changesAtMs[i], delay) << c.name << ", change " << version;
        }
        for (const auto& t : taken) EXPECT_EQ(t.thread, QThread::currentThread()) << c.name;

        // The newest copy reaches the disk, written off the interface thread.
        ASSERT_TRUE(editing.waitForWritten(editing.version)) << c.name;
        for (QThread* thread : editing.store.record().writeThreads) {
            EXPECT_NE(thread, QThread::currentThread()) << c.name;
        }
        const auto copies = filesIn(temp.path(), ".copy");
        ASSERT_EQ(copies.size(), 1u) << c.name;
        auto onDisk = parseRecoveryCopy(test::TempDir::read(temp.path() / copies[0]));
        ASSERT_TRUE(onDisk) << c.name;
        EXPECT_EQ(onDisk->text, "v" + std::to_string(editing.version)) << c.name;
        EXPECT_GT(onDisk->savedAtMs, 0) << c.name;
    }
}

TEST(RecoveryKeeperTest, ANewerCopySupersedesOneWaitingForTheDisk) {
    test::TempDir temp;
    Editing editing(temp.path());
    ASSERT_TRUE(editing.firstCopyHeld());
    for (std::int64_t ms : {2100, 4200, 6300}) editing.changeAt(ms);
    editing.timer->advanceTo(9000);
    EXPECT_EQ(editing.taken.size(), 4u);
    editing.store.hold(false);
    ASSERT_TRUE(editing.waitForWritten(4));
    EXPECT_EQ(editing.store.record().written, (std::vector<std::string>{"v1", "v4"}));
}

TEST(RecoveryKeeperTest, ASavedDocumentLeavesNoCopy) {
    struct Case {
        const char* name;
        int copiesTakenBeforeSaving;  // the first is held at the disk, the second waits behind it
        std::vector<std::string> written;
    };
    const std::vector<Case> cases = {
        {"saved before the copy is due", 0, {}},
        {"saved while a copy is written", 1, {"v1"}},
        {"saved while a copy waits for the disk", 2, {"v1"}},
    };
    for (const Case& c : cases) {
        test::TempDir temp;
        Editing editing(temp.path());
        editing.store.hold(true);
        for (int i = 0; i < c.copiesTakenBeforeSaving; ++i) {
            editing.changeAt(editing.timer->now() + 1);
            editing.timer->advanceTo(editing.timer->now() + delay);
            ASSERT_TRUE(editing.waitUntil([](const auto& r) { return r.started == 1; })) << c.name;
        }
        editing.changeAt(editing.timer->now() + 1);
        editing.keeper->documentSaved();
        editing.timer->advanceTo(editing.timer->now() + 10 * delay);
        editing.store.hold(false);
        ASSERT_TRUE(editing.waitUntil([](const auto& r) { return r.removals == 1; })) << c.name;
        EXPECT_EQ(editing.store.record().written, c.written) << c.name;
        EXPECT_TRUE(filesIn(temp.path()).empty()) << c.name;

        // The next change is kept again.
        editing.changeAt(editing.timer->now() + 1);
        editing.timer->advanceTo(editing.timer->now() + delay);
        ASSERT_TRUE(editing.waitForWritten(editing.version)) << c.name;
        EXPECT_EQ(filesIn(temp.path(), ".copy").size(), 1u) << c.name;
    }
}

TEST(RecoveryKeeperTest, AKeeperThatEndsFinishesItsWriteAndRemovesTheCopy) {
    test::TempDir temp;
    Editing editing(temp.path());
    ASSERT_TRUE(editing.firstCopyHeld());
    std::thread disk([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        editing.store.hold(false);
    });
    editing.keeper.reset();
    disk.join();
    EXPECT_EQ(editing.store.record().written, std::vector<std::string>{"v1"});
    EXPECT_TRUE(filesIn(temp.path()).empty());
}

TEST(RecoveryKeeperTest, AFailedWriteIsReportedOnTheInterfaceThread) {
    test::TempDir temp;
    temp.write("file", "a file where the directory should be");
    Editing editing(temp.path() / "file" / "recovery");
    QThread* reportedOn = nullptr;
    QObject::connect(editing.keeper.get(), &RecoveryKeeper::writeFailed,
                     [&](const QString&) { reportedOn = QThread::currentThread(); });
    QSignalSpy failures(editing.keeper.get(), &RecoveryKeeper::writeFailed);
    editing.changeAt(0);
    editing.timer->advanceTo(delay);
    ASSERT_TRUE(failures.wait(5000));
    EXPECT_TRUE(failures.at(0).at(0).toString().contains(QStringLiteral("file/recovery")));
    EXPECT_EQ(reportedOn, QThread::currentThread());
}

}  // namespace
}  // namespace zarvo
