#include "preview/NoFitList.h"

#include <QHeaderView>
#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>

#include "report/ReportError.h"

namespace zarvo {

NoFitList::NoFitList(QWidget* parent) : QTreeWidget(parent) {
    setObjectName(QStringLiteral("LV_nofit"));
    setColumnCount(3);
    setHeaderLabels({QStringLiteral("資料"), QStringLiteral("欄位"), QStringLiteral("放不下的內容")});
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    header()->setStretchLastSection(true);
    setColumnWidth(0, 90);
    setColumnWidth(1, 120);
    connect(&watcher_, &QFutureWatcher<Outcome>::finished, this, &NoFitList::finish);
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        const QVariant page = item->data(0, Qt::UserRole);
        if (page.isValid()) emit pageChosen(page.toInt());
    });
}

NoFitList::~NoFitList() { stop(); }

void NoFitList::stop() {
    if (cancel_) *cancel_ = true;
    watcher_.waitForFinished();
}

void NoFitList::check(const std::string& reportPath, const DataOrigin& data) {
    stop();
    clear();
    findings_.clear();
    addTopLevelItem(new QTreeWidgetItem({QStringLiteral("檢查中..."), QString(), QStringLiteral("正在檢查每筆資料是否放得下它的欄位")}));
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    checking_ = true;
    const QPointer<NoFitList> list(this);
    watcher_.setFuture(QtConcurrent::run([reportPath, data, cancel = cancel_, list]() {
        Outcome outcome;
        try {
            DataPages pages(reportPath, data);
            outcome.findings = valuesNotFitting(reportPath, pages, kMaxListedNoFit,
                                                [&](std::int64_t done, std::int64_t total) {
                                                    if (done % 50 == 0 || done == total) {
                                                        QMetaObject::invokeMethod(list, [list, done, total] {
                                                            if (list) list->showProgress(done, total);
                                                        });
                                                    }
                                                    return !*cancel;
                                                });
        } catch (const std::exception& error) {
            outcome.problem = error.what();
        }
        return outcome;
    }));
}

void NoFitList::showProgress(qint64 done, qint64 total) {
    if (!checking() || topLevelItemCount() != 1) return;
    topLevelItem(0)->setText(0, QStringLiteral("%1/%2").arg(done).arg(total));
}

void NoFitList::finish() {
    checking_ = false;
    const Outcome outcome = watcher_.result();
    if (!outcome.problem.empty()) {
        clear();
        findings_.clear();
        addTopLevelItem(new QTreeWidgetItem({QStringLiteral("無法檢查"), QString(), QString::fromStdString(outcome.problem)}));
    } else {
        showFindings(outcome.findings);
    }
    emit checked();
}

void NoFitList::showFindings(const std::vector<ValueNotFitting>& findings) {
    clear();
    findings_ = findings;
    for (const ValueNotFitting& finding : findings) {
        auto* item = new QTreeWidgetItem({QStringLiteral("第 %1 筆").arg(QString::fromStdString(finding.pageName)),
                                          QString::fromStdString(finding.block),
                                          QString::fromStdString(finding.value)});
        item->setData(0, Qt::UserRole, int(finding.page));
        addTopLevelItem(item);
    }
    if (findings.size() >= kMaxListedNoFit) {
        addTopLevelItem(new QTreeWidgetItem({QString(), QString(), QStringLiteral("只列出前 %1 個").arg(kMaxListedNoFit)}));
    }
}

}  // namespace zarvo
