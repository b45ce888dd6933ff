#include "servicetray/OriginsForm.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "report/ReportError.h"
#include "service/ServiceDesktop.h"

namespace zarvo {

TOriginsForm::TOriginsForm(OriginAccess& origins, std::vector<std::string> configured, QWidget* parent)
    : QDialog(parent), origins_(origins), configured_(std::move(configured)) {
    setObjectName(QStringLiteral("OriginsForm"));
    setWindowTitle(QStringLiteral("允許的網頁"));
    Label_intro = new QLabel(QStringLiteral("這些網頁可以使用本機印表機列印。標示「設定檔」的網頁請在 service.conf 修改。"));
    Label_intro->setObjectName(QStringLiteral("Label_intro"));
    Label_intro->setWordWrap(true);
    TB_origins = new QTableWidget(0, 2);
    TB_origins->setObjectName(QStringLiteral("TB_origins"));
    TB_origins->setHorizontalHeaderLabels({QStringLiteral("網頁"), QString()});
    TB_origins->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    TB_origins->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    TB_origins->verticalHeader()->hide();
    TB_origins->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TB_origins->setSelectionMode(QAbstractItemView::NoSelection);
    Label_empty = new QLabel(QStringLiteral("還沒有允許任何網頁。"));
    Label_empty->setObjectName(QStringLiteral("Label_empty"));
    btn_close = new QPushButton(QStringLiteral("關閉"));
    btn_close->setObjectName(QStringLiteral("btn_close"));
    connect(btn_close, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btn_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label_intro);
    layout->addWidget(TB_origins);
    layout->addWidget(Label_empty);
    layout->addLayout(buttons);
    resize(520, 300);
    reload();
}

void TOriginsForm::reload() {
    const std::vector<OriginRow> rows = originRows(configured_, origins_.pairedOrigins());
    TB_origins->clearContents();
    TB_origins->setRowCount(int(rows.size()));
    for (int row = 0; row < int(rows.size()); ++row) {
        const OriginRow& origin = rows[std::size_t(row)];
        TB_origins->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(origin.origin)));
        if (origin.configured) {
            TB_origins->setItem(row, 1, new QTableWidgetItem(QString::fromStdString(origin.note)));
            continue;
        }
        auto* remove = new QPushButton(QStringLiteral("移除"));
        remove->setObjectName(QStringLiteral("btn_remove_%1").arg(row));
        remove->setToolTip(QStringLiteral("不再允許 %1 列印").arg(QString::fromStdString(origin.origin)));
        // Queued: the list is made anew, this button with it.
        connect(remove, &QPushButton::clicked, this, [this, name = origin.origin] { removeOrigin(name); },
                Qt::QueuedConnection);
        TB_origins->setCellWidget(row, 1, remove);
    }
    Label_empty->setVisible(rows.empty());
}

void TOriginsForm::removeOrigin(const std::string& origin) {
    try {
        origins_.forget(origin);
    } catch (const ReportError& error) {
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("已不再允許 %1, 但無法寫入記錄檔, 服務重新啟動後會再次允許:\n%2").arg(QString::fromStdString(origin),
                                                                   QString::fromUtf8(error.what())));
    }
    reload();
}

}  // namespace zarvo
