#pragma once
// The list "LV_nofit": the values of a data file that their frames cannot
// hold whole (page, block, value), found on a worker thread while the
// window stays usable; a double-click asks for the value's page.

#include <QTreeWidget>

#include "report/DataFile.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include <QFutureWatcher>

#include "compose/DataFit.h"

namespace zarvo {

class NoFitList : public QTreeWidget {
    Q_OBJECT
public:
    explicit NoFitList(QWidget* parent = nullptr);
    // Stops a check under way and waits for it.
    ~NoFitList() override;

    // Checks every page of dataPath for the report at reportPath (both
    // paths in the file system's encoding), replacing what the list held;
    // the list says how far it has come, then what it found.
    void check(const std::string& reportPath, const DataOrigin& data);
    // Shows findings (as a finished check does).
    void showFindings(const std::vector<ValueNotFitting>& findings);
    bool checking() const { return checking_; }
    const std::vector<ValueNotFitting>& findings() const { return findings_; }

signals:
    // A finding's page (0-based) was double-clicked.
    void pageChosen(int page);
    // A check has ended (found nothing, or findings are shown).
    void checked();

private:
    struct Outcome {
        std::vector<ValueNotFitting> findings;
        std::string problem;  // UTF-8, when the data could not be read
    };
    void showProgress(qint64 done, qint64 total);
    void finish();
    void stop();

    QFutureWatcher<Outcome> watcher_;
    std::shared_ptr<std::atomic<bool>> cancel_;
    std::vector<ValueNotFitting> findings_;
    bool checking_ = false;  // from check() until its findings are shown
};

// The most values a check lists.
inline constexpr std::size_t kMaxListedNoFit = 1000;

}  // namespace zarvo
