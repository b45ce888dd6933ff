#include "recovery/RecoveryKeeper.h"

#include <QDateTime>
#include <QMetaObject>
#include <QTimer>

#include "report/ReportError.h"

namespace zarvo {

namespace {

class QtWriteTimer final : public WriteTimer {
public:
    QtWriteTimer() {
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { due_(); });
    }
    void start(int delayMs, std::function<void()> due) override {
        due_ = std::move(due);
        timer_.start(delayMs);
    }
    void stop() override { timer_.stop(); }

private:
    QTimer timer_;
    std::function<void()> due_;
};

QString messageOf(const std::exception& error) {
    if (dynamic_cast<const ReportError*>(&error)) return QString::fromUtf8(error.what());
    return QStringLiteral("無法保存恢復用的副本: ") + QString::fromUtf8(error.what());
}

}  // namespace

RecoveryKeeper::RecoveryKeeper(RecoveryStore& store, Snapshot snapshot, std::unique_ptr<WriteTimer> timer,
                               QObject* parent)
    : QObject(parent),
      store_(store),
      snapshot_(std::move(snapshot)),
      timer_(timer ? std::move(timer) : std::make_unique<QtWriteTimer>()),
      worker_([this] { runWorker(); }) {}

RecoveryKeeper::~RecoveryKeeper() {
    timer_->stop();
    {
        std::lock_guard guard(mutex_);
        queued_.reset();
        removeQueued_ = true;
        stopping_ = true;
    }
    wake_.notify_one();
    worker_.join();
}

void RecoveryKeeper::documentChanged() {
    if (writePending_) return;
    writePending_ = true;
    timer_->start(writeDelayMs, [this] { writeDue(); });
}

void RecoveryKeeper::documentSaved() {
    timer_->stop();
    writePending_ = false;
    {
        std::lock_guard guard(mutex_);
        queued_.reset();
        removeQueued_ = true;
    }
    wake_.notify_one();
}

void RecoveryKeeper::writeDue() {
    writePending_ = false;
    RecoveryCopy copy = snapshot_();
    copy.savedAtMs = QDateTime::currentMSecsSinceEpoch();
    {
        std::lock_guard guard(mutex_);
        queued_ = std::move(copy);  // replaces a copy the worker has not started
    }
    wake_.notify_one();
}

void RecoveryKeeper::runWorker() {
    std::unique_lock lock(mutex_);
    while (true) {
        wake_.wait(lock, [this] { return removeQueued_ || queued_ || stopping_; });
        if (removeQueued_) {
            // documentSaved() dropped every copy queued before it, so a copy
            // still queued was taken after it and must follow the removal.
            removeQueued_ = false;
            lock.unlock();
            attempt([this] { store_.remove(); });
            lock.lock();
        } else if (queued_) {
            RecoveryCopy copy = std::move(*queued_);
            queued_.reset();
            lock.unlock();
            attempt([this, &copy] { store_.write(copy); });
            lock.lock();
        } else {
            return;  // stopping, and nothing left to do
        }
    }
}

void RecoveryKeeper::attempt(const std::function<void()>& storeAction) {
    try {
        storeAction();
    } catch (const std::exception& error) {
        // Queued to this object's thread; dropped with the object if it is
        // being destroyed.
        QMetaObject::invokeMethod(
            this, [this, message = messageOf(error)] { emit writeFailed(message); }, Qt::QueuedConnection);
    }
}

}  // namespace zarvo
