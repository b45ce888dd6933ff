#include "layout/FieldProposalPanel.h"

#include <algorithm>
#include <cctype>

#include <QComboBox>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtConcurrent>

#include "detailedit/ProposedDetail.h"
#include "layoutmodel/LayoutDocument.h"
#include "layout/LayoutView.h"
#include "layoutmodel/Millimetres.h"
#include "stationery/StationeryScan.h"
#include "platform/Messages.h"
#include "painting/ObjectName.h"
#include "proposals/CaptionNames.h"
#include "scancaptions/ScanCaptions.h"

namespace zarvo {

namespace {

constexpr int kPanelWidth = 320;
// The list's columns.
enum Column { kName = 0, kCaption = 1, kCorner = 2 };
const QColor kClashColour(0xcc, 0x00, 0x00);

QString mm(double v) { return QString::fromStdString(formatTenths(v)); }

// The frame's top-left corner, for its column.
QString cornerText(const RectMm& frame) { return QStringLiteral("%1, %2").arg(mm(frame.left), mm(frame.top)); }

// The whole frame, for the row's tooltip.
QString frameText(const RectMm& frame) {
    return QStringLiteral("左上角 %1, %2 mm, 寬 %3 mm, 高 %4 mm")
        .arg(mm(frame.left), mm(frame.top), mm(frame.right - frame.left), mm(frame.bottom - frame.top));
}

// The corner column: a detail column's corner says its rows too.
QString placeText(const FieldProposal& proposal) {
    const QString corner = cornerText(proposal.frame);
    if (proposal.rowBoxes.empty()) return corner;
    return QStringLiteral("%1 ×%2 列").arg(corner).arg(proposal.rowBoxes.size());
}

QString tooltipText(const FieldProposal& proposal) {
    const QString frame = frameText(proposal.frame);
    if (proposal.rowBoxes.empty()) return frame;
    return QStringLiteral("明細列的一欄, 共 %1 列; 第 1 列%2").arg(proposal.rowBoxes.size()).arg(frame);
}

// The caption as the list shows it: one line.
QString captionText(const std::string& caption) { return QString::fromStdString(caption).simplified(); }

RectMm shifted(const RectMm& box, PointMm by) {
    return {box.left + by.x, box.top + by.y, box.right + by.x, box.bottom + by.y};
}

const QString kNoModelNote =
    QStringLiteral("未安裝繁體中文文字辨識 (tesseract-ocr-chi-tra), 欄位以 field1... 命名");

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
    LB_captions = named(new QLabel, "LB_captions");
    LB_captions->setWordWrap(true);
    LB_captions->hide();
    LV_proposed = named(new QTreeWidget, "LV_proposed");
    LV_proposed->setRootIsDecorated(false);
    LV_proposed->setHeaderLabels({QStringLiteral("名稱"), QStringLiteral("標題"), QStringLiteral("左上角 (mm)")});
    LV_proposed->setSelectionMode(QAbstractItemView::ExtendedSelection);
    LV_proposed->setSelectionBehavior(QAbstractItemView::SelectRows);
    LV_proposed->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                 QAbstractItemView::SelectedClicked);
    LV_proposed->header()->resizeSection(kName, 80);
    LV_proposed->header()->resizeSection(kCaption, 75);
    LV_proposed->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    btn_acceptall = named(new QPushButton(QStringLiteral("全部加入")), "btn_acceptall");
    btn_acceptsel = named(new QPushButton(QStringLiteral("加入所選")), "btn_acceptsel");
    btn_dropall = named(new QPushButton(QStringLiteral("全部捨棄")), "btn_dropall");
    btn_namesfrom = named(new QPushButton(QStringLiteral("欄位名稱來自資料檔...")), "btn_namesfrom");
    LV_proposed->setItemDelegateForColumn(kName, new ColumnNameDelegate(*this, LV_proposed));

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, 0, 0, 0);
    for (QPushButton* button : {btn_acceptall, btn_acceptsel, btn_dropall}) buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(LB_proposed);
    layout->addWidget(LB_captions);
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
    connect(&reading_, &QFutureWatcherBase::progressValueChanged, this, [this](int done) {
        emit progress(QStringLiteral("正在辨識底圖上的標題 %1/%2…").arg(done).arg(readBoxes_.size()));
    });
    connect(&reading_, &QFutureWatcherBase::finished, this, &FieldProposalPanel::captionsRead);
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
    nameAfterCaptions();
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
    stopReading();
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
    stopReading();
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
        const auto columns = std::count_if(proposals_.begin(), proposals_.end(),
                                           [](const FieldProposal& p) { return !p.rowBoxes.empty(); });
        QString text = QStringLiteral("建議 %1 個欄位 (虛線框)").arg(proposals_.size());
        if (columns > 0) text += QStringLiteral(", 其中 %1 欄是明細列").arg(columns);
        LB_proposed->setText(text + QStringLiteral("。雙擊名稱可改名。"));
    }
    readCaptions();
}

void FieldProposalPanel::readCaptions() {
    stopReading();
    LB_captions->hide();
    std::vector<RectMm> boxes;
    for (const FieldProposal& proposal : proposals_) {
        if (proposal.captionBox && proposal.caption.empty() &&
            std::find(boxes.begin(), boxes.end(), *proposal.captionBox) == boxes.end())
            boxes.push_back(*proposal.captionBox);
    }
    const std::optional<StationeryPicture>& picture = view_->stationery().picture();
    if (boxes.empty() || !picture || picture->image.isNull() || picture->widthMm <= 0) return;
    const CaptionReaderFactory make = captionReaders_ ? captionReaders_() : CaptionReaderFactory{};
    if (!make) {
        LB_captions->setText(kNoModelNote);
        LB_captions->show();
        return;
    }
    // The worker gets its own copies: the picture (shared, read only) and
    // the boxes in mm from the picture's corner.
    const PointMm corner = view_->pictureCorner();
    std::vector<RectMm> inPicture;
    for (const RectMm& box : boxes) inPicture.push_back(shifted(box, {-corner.x, -corner.y}));
    const QImage image = picture->image;
    const double pixelsPerMm = image.width() / picture->widthMm;
    readBoxes_ = std::move(boxes);
    emit progress(QStringLiteral("正在辨識底圖上的標題 0/%1…").arg(readBoxes_.size()));
    reading_.setFuture(QtConcurrent::run(
        [image, pixelsPerMm, inPicture, make](QPromise<std::vector<std::string>>& promise) {
            promise.setProgressRange(0, int(inPicture.size()));
            const std::unique_ptr<CaptionReader> reader = make();
            if (!reader) return;
            promise.addResult(zarvo::readCaptions(
                image, pixelsPerMm, inPicture, *reader, [&](int done) { promise.setProgressValue(done); },
                [&] { return promise.isCanceled(); }));
        }));
}

void FieldProposalPanel::stopReading() {
    if (reading_.isRunning()) reading_.cancel();
    reading_.setFuture(QFuture<std::vector<std::string>>());
    readBoxes_.clear();
    emit progress(QString());
}

void FieldProposalPanel::captionsRead() {
    const QFuture<std::vector<std::string>> future = reading_.future();
    if (future.isCanceled() || readBoxes_.empty()) return;
    const std::vector<RectMm> boxes = std::move(readBoxes_);
    readBoxes_.clear();
    emit progress(QString());
    if (future.resultCount() == 0) {
        LB_captions->setText(QStringLiteral("無法啟動繁體中文文字辨識, 欄位以 field1... 命名"));
        LB_captions->show();
        return;
    }
    const std::vector<std::string> texts = future.result();
    for (std::size_t i = 0; i < proposals_.size(); ++i) {
        FieldProposal& proposal = proposals_[i];
        if (!proposal.captionBox || !proposal.caption.empty()) continue;
        const auto read = std::find(boxes.begin(), boxes.end(), *proposal.captionBox);
        if (read == boxes.end()) continue;
        proposal.caption = captionText(texts[std::size_t(read - boxes.begin())]).toStdString();
    }
    nameAfterCaptions();
}

void FieldProposalPanel::nameAfterCaptions() {
    const QSignalBlocker quiet(LV_proposed);
    for (std::size_t i = 0; i < proposals_.size() && int(i) < LV_proposed->topLevelItemCount(); ++i) {
        FieldProposal& proposal = proposals_[i];
        QTreeWidgetItem* item = LV_proposed->topLevelItem(int(i));
        item->setText(kCaption, captionText(proposal.caption));
        if (item->text(kName).toStdString() != proposal.name) continue;  // edited
        const std::string name = nameFromCaption(proposal.caption, columns_);
        // A detail column's blocks add the row's number to its name.
        if (name.empty() || name == proposal.name || (!proposal.rowBoxes.empty() && std::isdigit((unsigned char)name.back())))
            continue;
        const std::vector<std::string> used = namesInUse();
        if (std::find(used.begin(), used.end(), name) != used.end()) continue;
        proposal.name = name;
        item->setText(kName, QString::fromStdString(name));
    }
    markClashes();
}

void FieldProposalPanel::showProposals(std::vector<FieldProposal> proposals) {
    proposals_ = std::move(proposals);
    {
        const QSignalBlocker quiet(LV_proposed);
        LV_proposed->clear();
        for (const FieldProposal& proposal : proposals_) {
            auto* item = new QTreeWidgetItem(
                {QString::fromStdString(proposal.name), captionText(proposal.caption), placeText(proposal)});
            item->setFlags(item->flags() | Qt::ItemIsEditable);
            for (int column : {kName, kCaption, kCorner}) item->setToolTip(column, tooltipText(proposal));
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
        const bool clash = std::find(clashes.begin(), clashes.end(), item->text(kName).toStdString()) != clashes.end();
        item->setForeground(kName, clash ? QBrush(kClashColour) : QBrush());
        item->setToolTip(kName, clash ? QStringLiteral("已有同名的欄位") : tooltipText(proposals_[std::size_t(i)]));
    }
}

void FieldProposalPanel::showFrames() {
    std::vector<ProposedFrame> frames;
    for (int i = 0; i < LV_proposed->topLevelItemCount() && i < int(proposals_.size()); ++i) {
        const bool selected = LV_proposed->topLevelItem(i)->isSelected();
        for (const RectMm& frame : proposedBlockFrames(proposals_[std::size_t(i)])) frames.push_back({frame, selected});
    }
    view_->setProposedFrames(std::move(frames));
}

std::vector<FieldProposal> FieldProposalPanel::listed(Rows rows) const {
    std::vector<FieldProposal> chosen;
    for (int i = 0; i < LV_proposed->topLevelItemCount() && i < int(proposals_.size()); ++i) {
        const QTreeWidgetItem* item = LV_proposed->topLevelItem(i);
        if ((rows == Rows::Selected && !item->isSelected()) || (rows == Rows::Unselected && item->isSelected()))
            continue;
        FieldProposal proposal = proposals_[std::size_t(i)];
        proposal.name = item->text(kName).toStdString();
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
    LayoutDocument* document = view_->document();
    if (!document) return;
    const ProposalsAccepted accepted =
        acceptProposals(chosen, view_->currentRows().rows(RowKind::Block), document->formRow(), *document->profile());
    if (!accepted.error.empty()) {
        ShowWarning("%s", accepted.error.c_str());
        return;
    }
    if (!view_->addBlocks(accepted.step)) return;
    // What stays listed keeps the names typed for it.
    showProposals(rows == Rows::All ? std::vector<FieldProposal>{} : listed(Rows::Unselected));
    if (proposals_.empty()) {
        hide();
    } else {
        LB_proposed->setText(QStringLiteral("已加入 %1 個欄位, 還有 %2 個建議").arg(chosen.size()).arg(proposals_.size()));
    }
}

void FieldProposalPanel::dropAll() {
    stopReading();
    showProposals({});
    hide();
}

}  // namespace zarvo
