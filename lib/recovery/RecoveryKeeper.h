#pragma once
// Keeps this program's recovery copy in step with the unsaved document: a
// copy is written no later than writeDelayMs after any change and at most
// once every writeDelayMs, on a worker thread, so that typing never waits
// for the disk.

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include <QObject>
#include <QString>

#include "recovery/RecoveryStore.h"
#include "recovery/WriteTimer.h"

namespace zarvo {

class RecoveryKeeper : public QObject {
    Q_OBJECT

public:
    // The longest a change waits to be in a copy, and the shortest time
    // between two copies, in ms.
    static constexpr int writeDelayMs = 2000;

    // The document as it stands (texts as UTF-8, the file name empty for a
    // new report); the keeper sets savedAtMs.
    using Snapshot = std::function<RecoveryCopy()>;

    // Writes the copies that snapshot takes (called on this object's thread
    // when a write is due) into store, which must outlive the keeper. timer
    // says when a write is due: a QTimer when null.
    RecoveryKeeper(RecoveryStore& store, Snapshot snapshot, std::unique_ptr<WriteTimer> timer = nullptr,
                   QObject* parent = nullptr);
    // The program ends normally: waits for a write in flight, drops a
    // queued one and removes the copy.
    ~RecoveryKeeper() override;

    // The document now differs from what was last created, opened or saved.
    // A copy is taken writeDelayMs after the first change since the last
    // copy; later changes do not put it off.
    void documentChanged();

    // The document equals its file again (after Save, New or Open): drops a
    // pending or queued copy and, once a write in flight is done, removes
    // the copy. Returns at once.
    void documentSaved();

signals:
    // A copy could not be written or removed; message is in Traditional
    // Chinese. Emitted on this object's thread.
    void writeFailed(const QString& message);

private:
    void writeDue();
    void runWorker();
    void attempt(const std::function<void()>& storeAction);

    RecoveryStore& store_;
    Snapshot snapshot_;
    std::unique_ptr<WriteTimer> timer_;
    bool writePending_ = false;  // the timer runs for a change not yet in a copy

    // The worker's queue: at most one copy waiting, the newest.
    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<RecoveryCopy> queued_;
    bool removeQueued_ = false;
    bool stopping_ = false;
    std::thread worker_;  // last, so that it starts after what it uses
};

}  // namespace zarvo
