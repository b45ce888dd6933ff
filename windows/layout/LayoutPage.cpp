#include "layout/LayoutPage.h"

#include <cmath>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include "layout/FieldProposalPanel.h"
#include "layout/LayoutView.h"
#include "layoutmodel/LayoutDocument.h"
#include "layout/StatusText.h"
#include "layout/PaperForm.h"
#include "layout/PositionForm.h"
#include "layoutmodel/PaperChoices.h"
#include "layoutmodel/Zoom.h"
#include "stationery/StationeryPicture.h"
#include "stationery/StraightenedPicture.h"
#include "platform/Messages.h"
#include "painting/ObjectName.h"
#include "widgets/DropDownBox.h"
#include "report/FormProfile.h"
#include "report/ReportError.h"
#include "platform/os/PrivateFile.h"

namespace zarvo {

namespace {

const char* const kNoPrinter = "（無）紙張左上角";
// ZoomBox entries after the steps: fit the page, fit its width.
constexpr int kFitPage = -1;
constexpr int kFitWidth = -2;
// A skew below this is no fault of the scan worth a question, degrees.
constexpr double kSkewWorthAsking = 0.1;
// How long a question about the skew waits for a drag or dialog to end, ms.
constexpr int kSkewRetryMs = 300;
// The pointer's part of the status bar: room for both coordinates and a
// short row name; a longer name is cut, never the window widened.
constexpr int kPointerWidth = 300;

QString joined(const std::vector<std::string>& names) {
    QStringList list;
    for (const std::string& name : names) list.append(QString::fromStdString(name));
    return list.join(QStringLiteral(", "));
}

// Lets a push button shrink below the style's least button width, down to
// its text, so that the row of controls keeps the window's least width;
// with room to spare it keeps the style's width.
void shrinkToText(QPushButton* button) {
    constexpr int kBevel = 10;
    button->setMinimumWidth(button->fontMetrics().horizontalAdvance(button->text()) + kBevel);
}

}  // namespace

LayoutPage::LayoutPage(Spooler& printers, QWidget* parent) : QWidget(parent), printers_(printers) {
    setObjectName(QStringLiteral("TabSheet6"));
    buildControls();
}

void LayoutPage::buildControls() {
    ZoomBox = named(new DropDownBox, "ZoomBox");
    for (int dpi : kZoomSteps) ZoomBox->addItem(QString::fromStdString(zoomText(dpi)), dpi);
    ZoomBox->addItem(QStringLiteral("整頁"), kFitPage);
    ZoomBox->addItem(QStringLiteral("頁寬"), kFitWidth);
    ZoomBox->setCurrentIndex(ZoomBox->findData(kLayoutBaseDpi));
    CB_paper = named(new QComboBox, "CB_paper");
    // Short enough that the row of controls keeps the window's least width;
    // the list itself shows every name whole.
    CB_paper->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    CB_paper->setMinimumContentsLength(3);
    CB_paper->setToolTip(QStringLiteral("紙張"));
    CB_printer = named(new QComboBox, "CB_printer");
    CB_printer->addItem(QString::fromUtf8(kNoPrinter));
    CB_printer->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    CB_printer->setMinimumContentsLength(10);
    ChB_names = named(new QCheckBox(QStringLiteral("名稱")), "ChB_names");
    ChB_overlays = named(new QCheckBox(QStringLiteral("輔助")), "ChB_overlays");
    ChB_overlays->setChecked(true);
    ChB_grid = named(new QCheckBox(QStringLiteral("格線")), "ChB_grid");
    btn_stationery = named(new QPushButton(QStringLiteral("底圖...")), "btn_stationery");
    btn_selpicture = named(new QPushButton(QStringLiteral("移動底圖")), "btn_selpicture");
    btn_detail = named(new QPushButton(QStringLiteral("明細列...")), "btn_detail");
    btn_selpicture->setCheckable(true);
    TB_strength = named(new QSlider(Qt::Horizontal), "TB_strength");
    TB_strength->setRange(0, 100);
    TB_strength->setValue(StationeryKeys{}.strength);
    TB_strength->setFixedWidth(64);
    TB_strength->setToolTip(QStringLiteral("底圖濃淡"));

    btn_detect = named(new QPushButton(QStringLiteral("偵測欄位")), "btn_detect");
    btn_detect->setToolTip(QStringLiteral("在底圖的空格上建議欄位"));
    btn_position = named(new QPushButton(QStringLiteral("位置...")), "btn_position");
    btn_position->setToolTip(QStringLiteral("以 mm 移動所選的列, 或設定一個框的位置與大小"));
    btn_fitboxes = named(new QPushButton(QStringLiteral("套入框格")), "btn_fitboxes");
    btn_fitboxes->setToolTip(QStringLiteral("把所選的每個框套入底圖上它所在的格子"));
    btn_checkdata = named(new QPushButton(QStringLiteral("檢查資料...")), "btn_checkdata");
    btn_checkdata->setToolTip(QStringLiteral("列出資料檔中放不下它的欄位的每個值"));
    LV_nofit = new NoFitList;
    LV_nofit->setMaximumHeight(140);
    LV_nofit->hide();

    layoutView = new LayoutView;
    proposals = new FieldProposalPanel(layoutView, scan_, btn_detect);
    ST_layout = named(new QStatusBar, "ST_layout");
    ST_layout->setSizeGripEnabled(false);
    ST_layoutPointer = named(new StatusText(false), "ST_layoutPointer");
    ST_layoutPointer->setMinimumWidth(kPointerWidth);
    ST_layoutNotes = named(new StatusText(true), "ST_layoutNotes");
    ST_layout->addWidget(ST_layoutPointer);
    ST_layout->addWidget(ST_layoutNotes, 1);
    // The row of controls above is as wide as the window's least width
    // allows; the status bar has room at its right end.
    ST_layout->addPermanentWidget(btn_position);
    ST_layout->addPermanentWidget(btn_fitboxes);
    ST_layout->addPermanentWidget(btn_checkdata);
    ST_layout->addPermanentWidget(btn_detect);

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(4, 2, 4, 2);
    for (QWidget* widget : std::initializer_list<QWidget*>{ZoomBox, CB_paper, CB_printer, ChB_names, ChB_overlays, ChB_grid,
                                                          btn_stationery, btn_selpicture, TB_strength, btn_detail}) {
        bar->addWidget(widget);
    }
    for (QPushButton* button : {btn_stationery, btn_selpicture, btn_detail}) shrinkToText(button);
    bar->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(bar);
    auto* middle = new QHBoxLayout;
    middle->setContentsMargins(0, 0, 0, 0);
    middle->setSpacing(0);
    middle->addWidget(layoutView, 1);
    middle->addWidget(proposals);
    layout->addLayout(middle, 1);
    layout->addWidget(LV_nofit);
    layout->addWidget(ST_layout);

    connect(ZoomBox, &QComboBox::activated, this, &LayoutPage::zoomChosen);
    connect(layoutView, &LayoutView::zoomChanged, this, &LayoutPage::showZoom);
    connect(CB_printer, &QComboBox::currentIndexChanged, this, &LayoutPage::printerChosen);
    connect(CB_paper, &QComboBox::activated, this, &LayoutPage::paperPicked);
    connect(layoutView, &LayoutView::refreshed, this, &LayoutPage::formRefreshed);
    askPaper_ = [this](const std::optional<CustomPaper>& current) { return askCustomPaper(this, current); };
    askPosition_ = [this](const std::optional<PositionTexts>& frame) { return askPosition(this, frame); };
    connect(btn_position, &QPushButton::clicked, this, &LayoutPage::positionChosen);
    connect(btn_fitboxes, &QPushButton::clicked, layoutView, &LayoutView::fitSelectionToBoxes);
    connect(btn_checkdata, &QPushButton::clicked, this, &LayoutPage::checkDataFile);
    connect(LV_nofit, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { selectBlock(item->text(1).toStdString()); });
    connect(ChB_names, &QCheckBox::toggled, layoutView, &LayoutView::setNamesShown);
    connect(ChB_overlays, &QCheckBox::toggled, layoutView, &LayoutView::setOverlaysShown);
    connect(ChB_grid, &QCheckBox::toggled, layoutView, &LayoutView::setGridShown);
    connect(btn_stationery, &QPushButton::clicked, this, &LayoutPage::chooseStationery);
    connect(btn_selpicture, &QPushButton::toggled, layoutView, &LayoutView::setPictureMode);
    askDetail_ = detailDialogAsker(this);
    connect(btn_detail, &QPushButton::clicked, this, [this] {
        editDetailRows(*layoutView, askDetail_);
        layoutView->setFocus(Qt::OtherFocusReason);
    });
    connect(TB_strength, &QSlider::valueChanged, this, [this](int value) {
        layoutView->stationery().setStrength(value);
        layoutView->viewport()->update();
        if (settings_ && settings_->strength != value) {
            settings_->strength = value;
            stationeryEdited();
        }
    });
    connect(layoutView, &LayoutView::pictureShiftChanged, this, [this](double dx, double dy) {
        if (!settings_) return;
        settings_->dx = dx;
        settings_->dy = dy;
        stationeryEdited();
    });
    scan_.whenFound([this] { scanLinesFound(); });
    // Reading the scan's captions takes seconds: its progress in the status line.
    connect(proposals, &FieldProposalPanel::progress, ST_layout, [this](const QString& text) {
        if (text.isEmpty()) {
            ST_layout->clearMessage();
        } else {
            ST_layout->showMessage(text);
        }
    });
    connect(layoutView, &LayoutView::pointerMoved, ST_layoutPointer, &StatusText::setText);
    connect(layoutView, &LayoutView::findingsChanged, this, &LayoutPage::showNotes);
}

void LayoutPage::setDataFileChooser(std::function<std::optional<QString>()> choose) {
    chooseDataFile_ = choose;
    proposals->setDataFileChooser(std::move(choose));
}

void LayoutPage::checkDataFile() {
    LayoutDocument* document = layoutView->document();
    if (!document || !chooseDataFile_) return;
    const std::optional<QString> dataFile = chooseDataFile_();
    if (!dataFile) return;
    // The form as it stands, unsaved edits included, beside its profile.
    checkedForm_ = std::make_unique<QTemporaryDir>();
    const std::string report = QFile::encodeName(checkedForm_->filePath(QStringLiteral("form.txt"))).toStdString();
    try {
        writePrivateFile(report, document->reportBytes(), WriteMode::Truncate);
        if (const std::shared_ptr<const FormProfile> profile = document->profile()) {
            writePrivateFile(report.substr(0, report.size() - 4) + ".zarvo", formProfileText(*profile),
                             WriteMode::Truncate);
        }
    } catch (const ReportError& error) {
        ShowWarning("%s", error.what());
        return;
    }
    LV_nofit->show();
    LV_nofit->check(report, QFile::encodeName(*dataFile).toStdString());
}

void LayoutPage::selectBlock(const std::string& name) {
    LayoutEditor& editor = layoutView->editor();
    const std::vector<RowText>& blocks = editor.scene().rows(RowKind::Block);
    std::vector<RowRef> found;
    for (int i = 0; i < int(blocks.size()); ++i) {
        if (blocks[std::size_t(i)].caption == name) found.push_back({RowKind::Block, i});
    }
    if (found.empty()) return;
    editor.select(found, found.front());
    layoutView->viewport()->update();
    layoutView->setFocus(Qt::OtherFocusReason);
}

void LayoutPage::pageShown() {
    if (!printersFilled_) fillPrinters();
    layoutView->reloadRows();
    refresh();
    layoutView->setFocus(Qt::OtherFocusReason);
    if (skewPending_) QTimer::singleShot(0, this, &LayoutPage::offerStraightening);
}

void LayoutPage::refresh() {
    layoutView->refresh();
    showNotes();
}

void LayoutPage::formRefreshed() {
    // The paper may have changed with the header; the margins follow it.
    if (marginsPaper_ != layoutView->form().sheetPaper()) printerChosen();
    showPaper();
}

void LayoutPage::showPaper() {
    const SheetPaper& paper = layoutView->form().sheetPaper();
    const QSignalBlocker quiet(CB_paper);
    CB_paper->clear();
    for (const PaperChoice& choice : paperChoices()) CB_paper->addItem(QString::fromStdString(choice.label));
    std::optional<std::size_t> index = paperChoiceIndex(paper);
    if (!index) {
        CB_paper->addItem(QString::fromStdString(otherPaperLabel(paper)));
        index = static_cast<std::size_t>(CB_paper->count() - 1);
    }
    CB_paper->addItem(QStringLiteral("自訂..."));
    CB_paper->setCurrentIndex(static_cast<int>(*index));
    CB_paper->setEnabled(layoutView->form().headerRead());
}

void LayoutPage::paperPicked(int index) {
    const std::vector<PaperChoice>& choices = paperChoices();
    const SheetPaper& shown = layoutView->form().sheetPaper();
    if (index == CB_paper->count() - 1) {
        const std::optional<CustomPaper> typed = askPaper_ ? askPaper_(shown.custom) : std::nullopt;
        if (typed) layoutView->changePaper(SheetPaper(kCustomPaperCode, *typed));
    } else if (index >= 0 && static_cast<std::size_t>(index) < choices.size()) {
        layoutView->changePaper(choices[static_cast<std::size_t>(index)].paper);
    }
    // Cancelled, or the paper shown picked again: the entry shown is the form's.
    showPaper();
    layoutView->setFocus(Qt::OtherFocusReason);
}

// The system's printers, the default chosen; listed once, when the page
// is first shown, since asking the print service takes a moment.
void LayoutPage::fillPrinters() {
    printersFilled_ = true;
    const std::vector<PrinterInfo> printers = printers_.printers();
    int chosen = 0;
    for (const PrinterInfo& printer : printers) {
        CB_printer->addItem(QString::fromStdString(printer.name));
        if (printer.isDefault) chosen = CB_printer->count() - 1;
    }
    CB_printer->setCurrentIndex(chosen);
}

void LayoutPage::printerChosen() {
    const SheetPaper paper = layoutView->form().sheetPaper();
    marginsPaper_ = paper;
    const bool chosen = CB_printer->currentIndex() > 0;
    const std::string printer = CB_printer->currentText().toStdString();
    // A code outside 0..5 without a paper in the profile prints on the
    // printer's default paper: the sheet shows that paper.
    const std::optional<std::pair<double, double>> defaultMm =
        chosen ? printers_.defaultPaperMm(printer) : std::nullopt;
    const CustomPaper defaultPaper = defaultMm ? customPaper(defaultMm->first, defaultMm->second) : customPaper(210, 297);
    const QString size = QString::fromStdString(paperSizeLabel(defaultPaper.widthMm, defaultPaper.heightMm));
    const QString shown = chosen ? QStringLiteral("印表機「%1」的預設紙張 (%2)").arg(CB_printer->currentText(), size)
                                 : QStringLiteral("A4 (%1)").arg(size);
    paperNote_ = paperFor(paper) ? QString()
                                 : QStringLiteral("紙張代碼 %1 不是 0 到 5, 以%2顯示").arg(paper.code).arg(shown);
    std::optional<SheetMargins> margins;
    if (chosen) {
        const SheetPaper asked = paperFor(paper) ? paper : SheetPaper(paper.code, defaultPaper);
        margins = printers_.sheetMargins(printer, asked);
        if (!margins) setStationeryNote(QStringLiteral("無法取得印表機「%1」的邊界, 以紙張左上角為原點").arg(CB_printer->currentText()));
    }
    const int symbolDpi = chosen ? symbolDpiOf(printers_.dotsPerInch(printer)) : kScreenSymbolDpi;
    layoutView->setPrinterSheet(margins, defaultPaper, symbolDpi);
    showNotes();
}

void LayoutPage::zoomChosen(int index) {
    const int data = ZoomBox->itemData(index).toInt();
    if (data == kFitPage) {
        layoutView->setDpi(layoutView->fitPageDpi());
    } else if (data == kFitWidth) {
        layoutView->setDpi(layoutView->fitWidthDpi());
    } else {
        layoutView->setDpi(data);
    }
}

// A step shows as that step; a fitted zoom keeps the fit entry chosen.
// The keys go back to the view, whichever way the zoom was changed, so that
// Esc and the arrows act on the selection again.
void LayoutPage::showZoom(int dpi) {
    const int step = ZoomBox->findData(dpi);
    if (step >= 0) {
        ZoomBox->setCurrentIndex(step);
    } else if (ZoomBox->currentData().toInt() > 0) {
        ZoomBox->setCurrentIndex(ZoomBox->findData(kFitPage));
    }
    ZoomBox->setToolTip(QString::fromStdString(zoomText(dpi)));
    layoutView->setFocus(Qt::OtherFocusReason);
}

// ---- stationery

void LayoutPage::openStationery(const FormProfile& profile, const QString& reportPath) {
    settings_.reset();
    picturePath_.clear();
    shareStationery();
    loaded_.reset();
    scan_.clear();
    layoutView->setScanLines(std::nullopt);
    layoutView->stationery().setPicture(std::nullopt);
    proposals->pictureChanged();
    setStationeryNote(QString());
    const QString path = settingsPathFor(reportPath);
    const StationerySettingsRead read = stationeryOf(profile, path);
    if (!read.settings) {
        setStationeryNote(read.problem);
        return;
    }
    const QString picture = absolutePicturePath(QString::fromStdString(read.settings->picture), reportPath);
    showPicture(loadStationeryPicture(picture, read.settings->page, read.settings->dpi), *read.settings, picture);
}

bool LayoutPage::showPicture(const PictureLoad& load, const StationeryKeys& settings, const QString& picture) {
    if (!load.picture) {
        setStationeryNote(load.needsDpi ? QStringLiteral("底圖 %1 沒有解析度, 以未套底圖開啟").arg(picture)
                                        : load.problem);
        return false;
    }
    settings_ = settings;
    picturePath_ = picture;
    shareStationery();
    loaded_ = load.picture;
    showStraightened();
    StationeryLayer& layer = layoutView->stationery();
    proposals->pictureChanged();
    layer.setStrength(settings.strength);
    layoutView->setSnapMargin(settings.snapmargin);
    layoutView->setScanLines(std::nullopt);
    // With a stored angle the lines are found for the picture turned by it.
    scan_.start(*load.picture, settings.angle != 0 ? std::optional<double>(settings.angle) : std::nullopt);
    layoutView->setPictureShift(settings.dx, settings.dy);
    const QSignalBlocker quiet(TB_strength);
    TB_strength->setValue(settings.strength);
    return true;
}

void LayoutPage::showStraightened() {
    if (!loaded_ || !settings_) return;
    layoutView->stationery().setPicture(straightenedPicture(*loaded_, settings_->angle));
    layoutView->viewport()->update();
}

void LayoutPage::scanLinesFound() {
    layoutView->setScanLines(scan_.lines());
    proposals->linesFound();
    skewPending_ = true;
    offerStraightening();
}

void LayoutPage::offerStraightening() {
    if (!skewPending_ || !scan_.lines() || !settings_) return;
    if (!isVisible() || layoutView->editor().gestureActive() || QApplication::activeModalWidget()) {
        // Asked when the page is shown again, or once the drag or dialog ends.
        if (isVisible()) QTimer::singleShot(kSkewRetryMs, this, &LayoutPage::offerStraightening);
        return;
    }
    skewPending_ = false;
    const double skew = scan_.lines()->skewDegrees;
    if (settings_->angle != 0 || std::abs(skew) <= kSkewWorthAsking || skewAsked_.count(picturePath_)) return;
    skewAsked_.insert(picturePath_);
    if (AskYesNo("底圖歪了 %.1f°, 是否拉正 ?", std::abs(skew)) != ResultYes) return;
    settings_->angle = skew;
    showStraightened();
    stationeryEdited();
}

void LayoutPage::chooseStationery() {
    if (!choosePicture_) return;
    const std::optional<QString> chosen = choosePicture_();
    if (!chosen) return;
    const QString picture = QFileInfo(*chosen).absoluteFilePath();
    StationeryKeys settings = settings_.value_or(StationeryKeys{});
    settings.picture = picture.toStdString();
    settings.page = 1;
    settings.dpi = 0;
    // Another scan has a skew of its own, measured afresh.
    settings.angle = 0;
    PictureLoad load = loadStationeryPicture(picture, settings.page, settings.dpi);
    if (load.needsDpi && askDpi_) {
        const std::optional<int> dpi = askDpi_();
        if (!dpi) return;
        settings.dpi = *dpi;
        load = loadStationeryPicture(picture, settings.page, settings.dpi);
    }
    setStationeryNote(QString());
    if (!showPicture(load, settings, picture)) return;
    stationeryEdited();
}

void LayoutPage::positionChosen() {
    const LayoutEditor& editor = layoutView->editor();
    std::optional<PositionTexts> frame;
    if (editor.selection().size() == 1) frame = positionTextsOf(editor.scene(), editor.selection().front());
    if (frame && frame->x.empty()) frame.reset();
    if (const std::optional<PositionRequest> request = askPosition_(frame)) layoutView->applyPosition(*request);
    layoutView->setFocus(Qt::OtherFocusReason);
}

void LayoutPage::shareStationery() {
    if (LayoutDocument* document = layoutView->document()) document->setStationery(settings_, picturePath_.toStdString());
}

void LayoutPage::stationeryEdited() {
    shareStationery();
    emit stationeryChanged();
}

void LayoutPage::setStationeryNote(const QString& note) {
    stationeryNote_ = note;
    showNotes();
}

void LayoutPage::showNotes() {
    const FormFindings& findings = layoutView->findings();
    QStringList notes;
    if (!findings.problem.empty()) notes.append(QString::fromStdString(findings.problem));
    if (!layoutView->offSheetNote().isEmpty()) notes.append(layoutView->offSheetNote());
    if (!findings.unmatchedNames.empty()) notes.append(QStringLiteral("沒有這些欄位: ") + joined(findings.unmatchedNames));
    if (!findings.overfullNames.empty()) notes.append(QStringLiteral("資料放不下: ") + joined(findings.overfullNames));
    for (const std::string& fault : findings.valueFaults) notes.append(QString::fromStdString(fault));
    if (!layoutView->dataProblem().empty()) notes.append(QString::fromStdString(layoutView->dataProblem()));
    if (!paperNote_.isEmpty()) notes.append(paperNote_);
    if (!stationeryNote_.isEmpty()) notes.append(stationeryNote_);
    ST_layoutNotes->setText(notes.join(QStringLiteral("；")));
}

}  // namespace zarvo
