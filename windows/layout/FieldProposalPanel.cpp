#include "layout/FieldProposalPanel.h"

#include <algorithm>

#include <QComboBox>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "layoutmodel/LayoutDocument.h"
#include "layout/LayoutView.h"
#include "layoutmodel/Millimetres.h"
#include "stationery/StationeryScan.h"
#include "platform/Messages.h"
#include "painting/ObjectName.h"

namespace zarvo {

namespace {

constexpr int kPanelWidth = 240;
const QColor kClashColour(0xcc, 0x00, 0x00);

QString mm(double v) { return QString::fromStdString(formatTenths(v)); }

// The frame's top-left corner, for its column.
QString cornerText(const RectMm& frame) { return QStringLiteral("%1, %2").arg(mm(frame.left), mm(frame.top)); }

// The whole frame, for the row's tooltip.
QString frameText(const RectMm& frame) {
    return QStringLiteral("左上角 %1, %2 mm, 寬 %3 mm, 高 %4 mm")
        .arg(mm(frame.left), mm(frame.top), mm(frame.right - frame.left), mm(frame.bottom - frame.top));
}

bool hasBlank(const QString& name) {
    return std::any_of(name.begin(), name.end(), [](QChar c) { return c.isSpace(); });
}

// A proposal's name cell: typed, or chosen among the data file's columns
// when they are offered, those in use greyed.
class ColumnNameDelegate : public QStyledItemDelegate {
public:
    ColumnNameDelegate(const FieldProposalPanel& panel, QObject* parent) : QStyledItemDelegate(parent), panel_(panel) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        if (panel_.columns().empty()) return QStyledItemDelegate::createEditor(parent, option, index);
        auto* box = new QComboBox(parent);
        box->setObjectName(QStringLiteral("CB_column"));
        box->setEditable(true);
        const std::vector<std::string> used = panel_.namesInUse();
        for (const DataColumn& column : panel_.columns()) {
            box->addItem(QString::fromStdString(column.name));
            if (std::find(used.begin(), used.end(), column.name) != used.end()) {
                box->setItemData(box->count() - 1, QBrush(Qt::gray), Qt::ForegroundRole);
                box->setItemData(box->count() - 1, QStringLiteral("已經用過"), Qt::ToolTipRole);
            }
        }
        return box;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        if (auto* box = qobject_cast<QComboBox*>(editor)) {
            box->setCurrentText(index.data().toString());
            return;
        }
        QStyledItemDelegate::setEditorData(editor, index);
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        if (auto* box = qobject_cast<QComboBox*>(editor)) {
            model->setData(index, box->currentText().trimmed());
            return;
        }
        QStyledItemDelegate::setModelData(editor, model, index);
    }

private:
    const FieldProposalPanel& panel_;
};

}  // namespace

FieldProposalPanel::FieldProposalPanel(LayoutView* view, const StationeryScan& scan, QPushButton* detectButton,
                                       QWidget* parent)
    : QWidget(parent), view_(view), detect_(detectButton), scan_(scan) {
    setObjectName(QStringLiteral("FieldProposalPanel"));
    LB_proposed = named(new QLabel, "LB_proposed");
    LB_proposed->setWordWrap(true);
    LV_proposed = named(new QTreeWidget, "LV_proposed");
    LV_proposed->setRootIsDecorated(false);
    LV_proposed->setHeaderLabels({QStringLiteral("名稱"), QStringLiteral("左上角 (mm)")});
    LV_proposed->setSelectionMode(QAbstractItemView::ExtendedSelection);
    LV_proposed->setSelectionBehavior(QAbstractItemView::SelectRows);
    LV_proposed->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                 QAbstractItemView::SelectedClicked);
    LV_proposed->header()->resizeSection(0, 100);
    LV_proposed->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    btn_acceptall = named(new QPushButton(QStringLiteral("全部加入")), "btn_acceptall");
    btn_acceptsel = named(new QPushButton(QStringLiteral("加入所選")), "btn_acceptsel");
    btn_dropall = named(new QPushButton(QStringLiteral("全部捨棄")), "btn_dropall");
    btn_namesfrom = named(new QPushButton(QStringLiteral("欄位名稱來自資料檔...")), "btn_namesfrom");
    LV_proposed->setItemDelegateForColumn(0, new ColumnNameDelegate(*this, LV_proposed));

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, 0, 0, 0);
    for (QPushButton* button : {btn_acceptall, btn_acceptsel, btn_dropall}) buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(LB_proposed);
    layout->addWidget(LV_proposed, 1);
    layout->addWidget(btn_namesfrom);
    layout->addLayout(buttons);
    setFixedWidth(kPanelWidth);
    hide();

    connect(detect_, &QPushButton::clicked, this, &FieldProposalPanel::detect);
    connect(btn_acceptall, &QPushButton::clicked, this, &FieldProposalPanel::acceptAll);
    connect(btn_acceptsel, &QPushButton::clicked, this, &FieldProposalPanel::acceptSelected);
    connect(btn_dropall, &QPushButton::clicked, this, &FieldProposalPanel::dropAll);
    connect(btn_namesfrom, &QPushButton::clicked, this, &FieldProposalPanel::namesFromDataFile);
    connect(LV_proposed, &QTreeWidget::itemChanged, this, [this] { markClashes(); });
    connect(LV_proposed, &QTreeWidget::itemSelectionChanged, this, [this] {
        showFrames();
        updateButtons();
    });
    updateButtons();
}

void FieldProposalPanel::namesFromDataFile() {
    if (!chooseDataFile_) return;
    const std::optional<QString> path = chooseDataFile_();
    if (!path) return;
    std::vector<DataColumn> columns = dataColumns(QFile::encodeName(*path).toStdString());
    if (columns.empty()) {
        ShowWarning("資料檔 %s 讀不到欄位名稱", path->toUtf8().constData());
        return;
    }
    columns_ = std::move(columns);
    LB_proposed->setText(QStringLiteral("雙擊名稱可從資料檔的 %1 個欄位中選擇 (灰色的已經用過)").arg(columns_.size()));
}

std::vector<std::string> FieldProposalPanel::namesInUse() const {
    std::vector<std::string> names;
    for (const RowText& block : view_->currentRows().rows(RowKind::Block)) names.push_back(block.caption);
    for (const FieldProposal& proposal : listed(Rows::All)) names.push_back(proposal.name);
    return names;
}

void FieldProposalPanel::pictureChanged() {
    waiting_ = false;
    showProposals({});
    hide();
    updateButtons();
}

void FieldProposalPanel::updateButtons() {
    detect_->setEnabled(view_->stationery().hasPicture() && !busy());
    btn_acceptall->setEnabled(!proposals_.empty());
    btn_acceptsel->setEnabled(!LV_proposed->selectedItems().isEmpty());
    btn_dropall->setEnabled(!proposals_.empty());
}

void FieldProposalPanel::detect() {
    if (busy()) return;
    const std::optional<StationeryPicture>& picture = view_->stationery().picture();
    show();
    if (!picture) {
        LB_proposed->setText(QStringLiteral("沒有底圖: 請先以「底圖...」選擇空白表單的掃描"));
        return;
    }
    if (picture->image.isNull() || picture->widthMm <= 0) {
        LB_proposed->setText(QStringLiteral("底圖太大, 無法在其中偵測欄位"));
        return;
    }
    showProposals({});
    if (!scan_.lines()) {
        LB_proposed->setText(QStringLiteral("正在找底圖上的格子, 請稍候…"));
        waiting_ = true;
        updateButtons();
        return;
    }
    propose();
}

void FieldProposalPanel::linesFound() {
    if (!waiting_) return;
    waiting_ = false;
    propose();
}

void FieldProposalPanel::propose() {
    const StationeryGuides guides = view_->stationeryGuides();
    const LayoutScene& rows = view_->currentRows();
    showProposals(proposeFields(guides.boxes, rows.rows(RowKind::Label), rows.rows(RowKind::Block),
                                view_->snapMargin()));
    if (guides.boxes.empty()) {
        LB_proposed->setText(QStringLiteral("底圖上沒有找到格子"));
    } else if (proposals_.empty()) {
        LB_proposed->setText(QStringLiteral("找到 %1 個格子, 但都有標題、已有欄位或太小, 沒有可建議的欄位")
                                 .arg(guides.boxes.size()));
    } else {
        LB_proposed->setText(QStringLiteral("建議 %1 個欄位 (虛線框)。雙擊名稱可改名。").arg(proposals_.size()));
    }
}

void FieldProposalPanel::showProposals(std::vector<FieldProposal> proposals) {
    proposals_ = std::move(proposals);
    {
        const QSignalBlocker quiet(LV_proposed);
        LV_proposed->clear();
        for (const FieldProposal& proposal : proposals_) {
            auto* item = new QTreeWidgetItem({QString::fromStdString(proposal.name), cornerText(proposal.frame)});
            item->setFlags(item->flags() | Qt::ItemIsEditable);
            for (int column : {0, 1}) item->setToolTip(column, frameText(proposal.frame));
            LV_proposed->addTopLevelItem(item);
        }
    }
    markClashes();
    showFrames();
    updateButtons();
}

// Names a block has, or that two proposals share, are marked in the list.
void FieldProposalPanel::markClashes() {
    const std::vector<std::string> clashes = clashingNames(listed(Rows::All), view_->currentRows().rows(RowKind::Block));
    const QSignalBlocker quiet(LV_proposed);
    for (int i = 0; i < LV_proposed->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = LV_proposed->topLevelItem(i);
        const bool clash = std::find(clashes.begin(), clashes.end(), item->text(0).toStdString()) != clashes.end();
        item->setForeground(0, clash ? QBrush(kClashColour) : QBrush());
        item->setToolTip(0, clash ? QStringLiteral("已有同名的欄位") : frameText(proposals_[std::size_t(i)].frame));
    }
}

void FieldProposalPanel::showFrames() {
    std::vector<ProposedFrame> frames;
    for (int i = 0; i < LV_proposed->topLevelItemCount() && i < int(proposals_.size()); ++i)
        frames.push_back({proposals_[std::size_t(i)].frame, LV_proposed->topLevelItem(i)->isSelected()});
    view_->setProposedFrames(std::move(frames));
}

std::vector<FieldProposal> FieldProposalPanel::listed(Rows rows) const {
    std::vector<FieldProposal> chosen;
    for (int i = 0; i < LV_proposed->topLevelItemCount() && i < int(proposals_.size()); ++i) {
        const QTreeWidgetItem* item = LV_proposed->topLevelItem(i);
        if ((rows == Rows::Selected && !item->isSelected()) || (rows == Rows::Unselected && item->isSelected()))
            continue;
        FieldProposal proposal = proposals_[std::size_t(i)];
        proposal.name = item->text(0).toStdString();
        proposal.number = std::any_of(columns_.begin(), columns_.end(), [&proposal](const DataColumn& column) {
            return column.number && column.name == proposal.name;
        });
        chosen.push_back(std::move(proposal));
    }
    return chosen;
}

void FieldProposalPanel::acceptAll() { accept(Rows::All); }

void FieldProposalPanel::acceptSelected() { accept(Rows::Selected); }

void FieldProposalPanel::accept(Rows rows) {
    const std::vector<FieldProposal> chosen = listed(rows);
    if (chosen.empty()) return;
    for (const FieldProposal& proposal : chosen) {
        const QString name = QString::fromStdString(proposal.name);
        if (name.isEmpty()) {
            ShowWarning("%s", "欄位名稱不能空白, 請在清單中雙擊它輸入名稱");
            return;
        }
        if (hasBlank(name)) {
            ShowWarning("欄位名稱「%s」不能有空白", proposal.name.c_str());
            return;
        }
    }
    // Two blocks of one name leave the first empty: asked as the block editor asks.
    const std::vector<std::string> clashes = clashingNames(chosen, view_->currentRows().rows(RowKind::Block));
    if (!clashes.empty()) {
        markClashes();
        std::string names;
        for (const std::string& name : clashes) names += (names.empty() ? "" : ", ") + name;
        if (AskYesNo("已有名為 %s 的 Block, 只有最後一個會填入資料, 仍要加入 ?", names.c_str()) != ResultYes) return;
    }
    if (!view_->addBlocks(acceptProposalsStep(chosen, view_->currentRows().rowCount(RowKind::Block)))) return;
    // What stays listed keeps the names typed for it.
    showProposals(rows == Rows::All ? std::vector<FieldProposal>{} : listed(Rows::Unselected));
    if (proposals_.empty()) {
        hide();
    } else {
        LB_proposed->setText(QStringLiteral("已加入 %1 個欄位, 還有 %2 個建議").arg(chosen.size()).arg(proposals_.size()));
    }
}

void FieldProposalPanel::dropAll() {
    showProposals({});
    hide();
}

}  // namespace zarvo
