#include "preview/PreviewForm.h"

#include <ctime>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPaintEvent>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollArea>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>

#include "engine/PageFileName.h"
#include "platform/Messages.h"
#include "painting/FormFonts.h"
#include "compose/DataFileStem.h"
#include "preview/DigitEdit.h"
#include "compose/PageFiles.h"
#include "compose/PageJump.h"
#include "compose/PrintFeedback.h"
#include "compose/PrinterChoices.h"
#include "preview/PrinterForm.h"
#include "preview/SelectPrinterForm.h"
#include "compose/SheetOrder.h"
#include "preview/TopLevelError.h"
#include "report/ReportError.h"
#include "report/ReportReader.h"

namespace zarvo {

TPreviewForm* PreviewForm = nullptr;

namespace {

// The busy pointer for as long as it lives, also when the work throws.
class BusyPointer {
public:
    BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QApplication::restoreOverrideCursor(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};

constexpr int kWidth = 800;
// The panel and the page; the status bar adds its own height below.
constexpr int kHeight = 602;
constexpr int kPanelHeight = 73;
constexpr int kNoFitListHeight = 120;
// CB_zoom's items: the page at 100 %, the whole page in the window.
constexpr int kWholePage = 1;

template <typename Widget>
Widget* place(Widget* widget, const char* name, int left, int top, int width = -1) {
    widget->setObjectName(QLatin1String(name));
    widget->move(left, top);
    if (width >= 0) widget->setFixedWidth(width);
    return widget;
}

QPushButton* button(QWidget* panel, const char* name, const QString& caption, int left, int top = 8,
                    int width = 75) {
    auto* pushButton = place(new QPushButton(caption, panel), name, left, top, width);
    // Enter belongs to the page number field; no button answers it.
    pushButton->setAutoDefault(false);
    return pushButton;
}

PdfFileChooser& installedPdfFileChooser() {
    static PdfFileChooser chooser;
    return chooser;
}

std::optional<QString> choosePdfFile(QWidget* parent) {
    if (installedPdfFileChooser()) return installedPdfFileChooser()(parent);
    const QString name = QFileDialog::getSaveFileName(parent, QStringLiteral("存成 PDF"), QString(),
                                                      QStringLiteral("PDF (*.pdf)"));
    if (name.isEmpty()) return std::nullopt;
    return name;
}

// The progress of a print in a modal dialog that shows as soon as the print
// looks like taking more than a second, and after a second at the latest;
// its Cancel (or Esc) stops the print.
class PrintProgressDialog {
public:
    explicit PrintProgressDialog(QWidget* parent)
        : dialog_(QStringLiteral("列印中..."), QStringLiteral("取消"), 0, kSteps, parent) {
        dialog_.setObjectName(QStringLiteral("PrintProgress"));
        dialog_.setWindowModality(Qt::ApplicationModal);
        dialog_.setMinimumDuration(kShowAfterMs);
        dialog_.setValue(0);
        sinceEvents_.start();
    }

    // After done of total sheets: moves the bar and lets the dialog answer,
    // at most every kEventIntervalMs. Returns false once it was cancelled.
    bool update(std::int64_t done, std::int64_t total) {
        if (sinceEvents_.elapsed() < kEventIntervalMs) return true;
        sinceEvents_.restart();
        dialog_.setValue(int(done * kSteps / total));
        // Until the dialog shows, no click or key reaches the windows: a
        // second print or a page change must not start inside this one.
        QCoreApplication::processEvents(dialog_.isVisible() ? QEventLoop::AllEvents
                                                            : QEventLoop::ExcludeUserInputEvents);
        return !dialog_.wasCanceled();
    }

private:
    static constexpr int kSteps = 1000;
    static constexpr int kShowAfterMs = 1000;
    static constexpr int kEventIntervalMs = 50;

    QProgressDialog dialog_;
    QElapsedTimer sinceEvents_;
};

}  // namespace

void setPdfFileChooser(PdfFileChooser chooser) { installedPdfFileChooser() = std::move(chooser); }

PageImage::PageImage(const PreviewImage& image, QWidget* parent) : QWidget(parent), image_(image) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

// At 100 % the page is drawn pixel for pixel; fitted, it is scaled to the
// widget's size, which keeps its proportions.
void PageImage::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect area = event->rect();
    painter.fillRect(area, Qt::white);
    if (size() == image_.canvas().size()) {
        painter.drawImage(area.topLeft(), image_.canvas(), area);
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), image_.canvas());
}

TPreviewForm::TPreviewForm(Spooler& printers, QWidget* parent) : QDialog(parent), printers_(printers) {
    buildControls();
    pages_ = PageSequence(reserveDataFileStem(std::time(nullptr)));
    pages_.onPageStarted = [this](int page) {
        if (PreviewMode == 1) addPageItem(std::to_string(page + 1));
    };
    ScrollBox1->horizontalScrollBar()->setTracking(true);
    ScrollBox1->verticalScrollBar()->setTracking(true);
    CurrentPage = 0;
    E1->setText(QStringLiteral("1"));
    fillPrinterList();
    nameOperation(*this, QStringLiteral("預覽"));
    PreviewForm = this;
}

TPreviewForm::~TPreviewForm() {
    if (PreviewForm == this) PreviewForm = nullptr;
    removePageFiles(pages_.stem(), pages_.lastPage());
}

void TPreviewForm::buildControls() {
    setObjectName(QStringLiteral("PreviewForm"));
    setWindowTitle(QStringLiteral("PreviewForm"));

    P1 = place(new QWidget(this), "P1", 0, 0);
    P1->setFixedSize(kWidth, kPanelHeight);
    P1->setFont(fixedFormFont(16));
    Label1 = place(new QLabel(P1), "Label1", 8, 0);
    Label2 = place(new QLabel(P1), "Label2", 8, 22);
    Label1->setFixedHeight(19);
    Label2->setFixedHeight(19);
    c1 = place(new QComboBox(P1), "c1", 64, 8, 75);
    c1->setEditable(true);
    acceptDigitsOnly(*c1->lineEdit(), 4);
    E1 = place(new QLineEdit(P1), "E1", 64, 8, 73);
    acceptDigitsOnly(*E1);
    Button2 = button(P1, "Button2", QStringLiteral("列印"), 152);
    Button4 = button(P1, "Button4", QStringLiteral("上一頁"), 232);
    Button3 = button(P1, "Button3", QStringLiteral("下一頁"), 312);
    Button1 = button(P1, "Button1", QStringLiteral("離開"), 392);
    Label3 = place(new QLabel(QStringLiteral("選擇印表機"), P1), "Label3", 480, 8);
    ComboBox1 = place(new QComboBox(P1), "ComboBox1", 568, 8, 193);
    btn_savepdf = button(P1, "btn_savepdf", QStringLiteral("存成 PDF..."), 8, 44, 90);
    // In the panel's font this caption is wider than the room before the check box.
    btn_savepdf->setFont(fixedFormFont(13));
    ChB_stationery = place(new QCheckBox(QStringLiteral("含底圖"), P1), "ChB_stationery", 100, 44);
    ChB_stationery->setEnabled(false);
    // The sheet of an order a page is, for data files with detail rows.
    Label_sheet = place(new QLabel(P1), "Label_sheet", 232, 44, 240);
    CB_zoom = place(new QComboBox(P1), "CB_zoom", 480, 44, 80);
    CB_zoom->addItems({QStringLiteral("100 %"), QStringLiteral("整頁")});
    for (QWidget* control : P1->findChildren<QWidget*>()) {
        if (control != Label1 && control != Label2) control->setFixedHeight(24);
    }

    ScrollBox1 = place(new QScrollArea(this), "ScrollBox1", 0, kPanelHeight);
    ScrollBox1->resize(kWidth, kHeight - kPanelHeight);
    ScrollBox1->setWidgetResizable(false);
    ScrollBox1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1 = new PageImage(previewImage, nullptr);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(0, 0);
    ScrollBox1->setWidget(Image1);

    ST_preview = place(new QStatusBar(this), "ST_preview", 0, kHeight);
    ST_preview->setSizeGripEnabled(false);
    ST_preview->resize(kWidth, ST_preview->sizeHint().height());
    // It opens at its classic size; it may be enlarged or maximised to see a
    // whole sheet, never made smaller than its controls.
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setMinimumSize(kWidth, kHeight + ST_preview->height());
    resize(kWidth, kHeight + ST_preview->height());

    bindHandler(Button1, &QPushButton::clicked, this, &TPreviewForm::Button1Click);
    bindHandler(Button2, &QPushButton::clicked, this, &TPreviewForm::Button2Click);
    bindHandler(Button3, &QPushButton::clicked, this, &TPreviewForm::Button3Click);
    bindHandler(Button4, &QPushButton::clicked, this, &TPreviewForm::Button4Click);
    bindHandler(btn_savepdf, &QPushButton::clicked, this, &TPreviewForm::btn_savepdfClick);
    bindHandler(E1, &QLineEdit::returnPressed, this, &TPreviewForm::E1KeyDown);
    bindHandler(c1->lineEdit(), &QLineEdit::returnPressed, this, &TPreviewForm::c1KeyDown);
    connect(ComboBox1, &QComboBox::currentTextChanged, this, &TPreviewForm::ComboBox1Change);
    connect(CB_zoom, &QComboBox::currentIndexChanged, this, &TPreviewForm::fitImage);
}

void TPreviewForm::fillPrinterList() {
    ComboBox1->clear();
    PrinterChoices choices = printerChoices(spooler());
    printerProblem = choices.problem;
    for (const std::string& name : choices.names) ComboBox1->addItem(QString::fromStdString(name));
    ComboBox1->setCurrentIndex(choices.selected);
    PrinterName = ComboBox1->currentText().toStdString();
}

void TPreviewForm::showEvent(QShowEvent* event) {
    c1->hide();
    move(0, 0);
    QDialog::showEvent(event);
}

void TPreviewForm::resizeEvent(QResizeEvent* event) {
    Label1->move(5, Label1->y());
    Label2->move(5, Label2->y());
    // The page takes what the window gains; the panel stays as it is.
    const int status = ST_preview->height();
    const int list = LV_nofit ? kNoFitListHeight : 0;
    ScrollBox1->resize(width(), height() - kPanelHeight - status - list);
    if (LV_nofit) LV_nofit->setGeometry(0, height() - status - list, width(), list);
    ST_preview->setGeometry(0, height() - status, width(), status);
    fitImage();
    QDialog::resizeEvent(event);
}

void TPreviewForm::setNoFitList(NoFitList* list) {
    LV_nofit = list;
    list->setParent(this);
    list->show();
    connect(list, &NoFitList::pageChosen, this, [this](int page) { jumpToPage(QString::number(page + 1)); });
    // The window grows by the list, so the page keeps its room.
    resize(width(), height() + kNoFitListHeight);
}

void TPreviewForm::fitImage() {
    const QSize page = previewImage.canvas().size();
    if (CB_zoom->currentIndex() != kWholePage || page.isEmpty()) {
        Image1->setFixedSize(page);
        return;
    }
    Image1->setFixedSize(page.scaled(ScrollBox1->maximumViewportSize(), Qt::KeepAspectRatio));
    Image1->update();
}

void TPreviewForm::addPageItem(const std::string& item) { c1->addItem(QString::fromStdString(item)); }

void TPreviewForm::setPageWriter(int count, std::function<void(int page)> writePage,
                                 std::function<std::string(int page)> pageName) {
    pageWriter_ = std::move(writePage);
    pageName_ = std::move(pageName);
    pageWritten_.assign(std::size_t(std::max(count, 0)), false);
    for (int page = 0; page < count; ++page) addPageItem(std::to_string(page + 1));
    pages_.setLastPage(count - 1);
}

std::string TPreviewForm::pageFile(int page) {
    if (pageWriter_ && page >= 0 && std::size_t(page) < pageWritten_.size() && !pageWritten_[std::size_t(page)]) {
        pageWriter_(page);
        pageWritten_[std::size_t(page)] = true;
    }
    return pageFileName(pages_.stem(), page);
}

void TPreviewForm::setStationery(StationeryOptions stationery) {
    stationery_ = std::move(stationery);
    ChB_stationery->setEnabled(bool(stationery_));
    if (!stationery_) ChB_stationery->setChecked(false);
}

Surface& TPreviewForm::sizeImage(int width, int height) {
    Surface& surface = previewImage.resize(width, height);
    fitImage();
    return surface;
}

Spooler& TPreviewForm::spooler() { return printers_; }

RenderContext TPreviewForm::renderContext() {
    RenderContext context;
    context.mode = PreviewMode == 1 ? RenderMode::Screen : RenderMode::Paper;
    context.image = [this](int width, int height) -> Surface& { return sizeImage(width, height); };
    context.spooler = &spooler();
    context.printer = PrinterName;
    context.pages = &pages_;
    context.pictureFolder = pictureFolder_;
    context.info = [this](const std::string& message) {
        ShowInfo("%s", message.c_str());
        Image1->repaint();
    };
    return context;
}

void TPreviewForm::updatePageIndicator(int page) {
    const int pageCount = pages_.lastPage() + 1;
    CurrentPage = page - 1;
    Button4->setEnabled(page != 1);
    Button3->setEnabled(page != pageCount);
    Label1->setText(QStringLiteral("第%1頁").arg(page));
    Label_sheet->setText(pageName_ ? QString::fromStdString(pageName_(page - 1)) : QString());
    Label2->setText(QStringLiteral("共%1頁").arg(pageCount));
    Label1->adjustSize();
    Label2->adjustSize();
}

void TPreviewForm::RenderPages() {
    if (PreviewMode == 0) {
        printInOneJob(SheetOrder(0, pages_.lastPage(), 1, 1));
        return;
    }
    const int page = strictToInt(E1->text().toStdString());
    if (page < 1 || page > pages_.lastPage() + 1) {
        throw ReportError(formatMessage("沒有第%d頁可以顯示", page));
    }
    updatePageIndicator(page);
    CompositionProblems problems;
    showPage(renderContext(), pageFile(page - 1), problems);
    Image1->update();
    if (isVisible()) {
        reportProblems(problems);
        return;
    }
    // The page is on screen before what could not be drawn of it is said.
    if (!problems.empty()) QTimer::singleShot(0, this, [this, problems] { reportProblems(problems); });
    exec();
}

void TPreviewForm::PrintPages(int first, int last, int passes, int repeats) {
    if (PreviewMode != 0) return;
    if (!isVisible() && SelectPrinterForm) {
        const QScopedValueRollback open(dialogOpen_, true);
        if (SelectPrinterForm->exec() == ResultCancel) return;
    }
    printInOneJob(SheetOrder(first, last, passes, repeats));
}

void TPreviewForm::printInOneJob(const SheetOrder& sheets) {
    if (sheets.count() == 0) return;
    // What an earlier print sent is no answer for this one, whatever becomes of it.
    ST_preview->clearMessage();
    if (PrinterName.empty()) {
        std::string message = "沒有可用的印表機, 無法列印";
        if (!printerProblem.empty()) message += "\n\n" + printerProblem;
        throw ReportError(message);
    }
    printWithProgress(renderContext(), sheets, [this](const PrintReceipt& receipt) {
        ST_preview->showMessage(QString::fromStdString(printedText(receipt)));
    });
}

void TPreviewForm::printWithProgress(const RenderContext& context, const SheetOrder& sheets,
                                     const std::function<void(const PrintReceipt&)>& handedOver) {
    CompositionProblems problems;
    PrintReceipt receipt;
    try {
        // A long print shows the busy pointer until the job is handed over.
        const BusyPointer busy;
        PrintProgressDialog progress(this);
        receipt = zarvo::printSheets(
            context, sheets.count(),
            [this, &sheets](std::int64_t sheet) { return pageFile(sheets.pageOf(sheet)); },
            problems,
            [&progress](std::int64_t done, std::int64_t total) { return progress.update(done, total); });
    } catch (const PrintCancelled&) {
        return;
    }
    if (handedOver) handedOver(receipt);
    reportProblems(problems);
    if (!receipt.sheetWarnings.empty()) ShowWarning("%s", sheetWarningSummary(receipt.sheetWarnings).c_str());
}

void TPreviewForm::reportProblems(const CompositionProblems& problems) {
    for (const std::string& problem : problems) {
        ShowWarning("%s\n\n其後的內容沒有畫出.", problem.c_str());
    }
}

void TPreviewForm::done(int result) {
    if (!dialogOpen_) QDialog::done(result);
}

void TPreviewForm::Button1Click() { close(); }

void TPreviewForm::Button2Click() {
    if (!PrinterForm || dialogOpen_) return;
    const QScopedValueRollback open(dialogOpen_, true);
    PrinterForm->exec();
}

void TPreviewForm::Button3Click() {
    E1->setText(QString::number(CurrentPage + 2));
    RenderPages();
}

void TPreviewForm::Button4Click() {
    E1->setText(QString::number(CurrentPage));
    RenderPages();
}

void TPreviewForm::jumpToPage(const QString& text) {
    if (!pageJumpTarget(text.toStdString(), pages_.lastPage() + 1)) return;
    E1->setText(text);
    RenderPages();
}

void TPreviewForm::E1KeyDown() { jumpToPage(E1->text()); }

void TPreviewForm::c1KeyDown() { jumpToPage(c1->currentText()); }

void TPreviewForm::ComboBox1Change(const QString& text) { PrinterName = text.toStdString(); }

void TPreviewForm::btn_savepdfClick() {
    if (dialogOpen_) return;
    const QScopedValueRollback open(dialogOpen_, true);
    const std::optional<QString> file = choosePdfFile(this);
    if (!file) return;
    const bool overStationery = ChB_stationery->isChecked() && stationery_;
    PdfSpooler pdf(file->toStdString(), "PDF", overStationery ? stationery_(PrinterName) : PdfSheetOptions{});
    // The window's pages go to the PDF file's one printer, black, while the
    // window stays as it is.
    RenderContext printing = renderContext();
    printing.spooler = &pdf;
    printing.printer = pdf.printers().front().name;
    printWithProgress(printing, SheetOrder(0, pages_.lastPage(), 1, 1));
}

}  // namespace zarvo
