#include "designer/MainWindow.h"

#include <climits>
#include <iterator>
#include <optional>
#include <tuple>
#include <string>
#include <vector>

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScopedValueRollback>
#include <QStatusBar>
#include <QTextCursor>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "calibrationdialog/CalibrationForm.h"
#include "document/Big5TextFile.h"
#include "document/DocumentRecovery.h"
#include "document/LayoutBinding.h"
#include "designer/EditorText.h"
#include "document/FieldStyleInput.h"
#include "guide/GuidePages.h"
#include "guidewindow/GuideForm.h"
#include "designer/MainWindowParts.h"
#include "layout/StatusText.h"
#include "designer/PreviewLaunch.h"
#include "document/ReportProfileFiles.h"
#include "designer/RowEditors.h"
#include "designer/SectionList.h"
#include "designer/SourceEditor.h"
#include "document/TestDataFileName.h"
#include "document/WindowPlacement.h"
#include "detail/DetailOrders.h"
#include "detail/DetailSpec.h"
#include "database/DatabaseSpec.h"
#include "databasedialog/DatabaseForm.h"
#include "detaildialog/DetailForm.h"
#include "layout/FieldProposalPanel.h"
#include "layout/LayoutPage.h"
#include "layout/LayoutView.h"
#include "platform/Messages.h"
#include "engine/FormProfileFile.h"
#include "fielddialog/FieldForm.h"
#include "report/Big5.h"
#include "format/DataColumns.h"
#include "report/DataFile.h"
#include "report/TestDataLine.h"
#include "platform/os/FileGroupWrite.h"
#include "painting/FormFonts.h"
#include "painting/ObjectName.h"
#include "widgets/ScreenCentre.h"
#include "preview/TopLevelError.h"
#include "report/ProfilePaper.h"
#include "report/ReportReader.h"

namespace zarvo {

MainWindow* zarvo2_Form = nullptr;

namespace {

constexpr int windowWidth = 681;
constexpr int windowHeight = 430;

const char* const reportFilter = "報表文字檔(*.txt)|*.txt|所有檔案(*.*)|*.*";
const char* const dataFilter = "資料檔 (*.csv *.json *.jsonl)|*.csv;*.json;*.jsonl";
const char* const pictureFilter =
    "底圖(*.png;*.jpg;*.jpeg;*.tif;*.tiff;*.pdf)|*.png;*.jpg;*.jpeg;*.tif;*.tiff;*.pdf|所有檔案(*.*)|*.*";
const char* const exitQuestion = "尚未存檔, 是否確定離開 ?";
const char* const dropQuestion = "尚未存檔, 是否放棄目前的報表 ?";
const char* const testDataExitQuestion = "測試資料尚未存檔, 是否確定離開 ?";

// The row selected in list, or nullptr when there is none.
QTreeWidgetItem* selectedRow(const QTreeWidget& list) {
    const QList<QTreeWidgetItem*> selected = list.selectedItems();
    return selected.isEmpty() ? nullptr : selected.constFirst();
}

}  // namespace

MainWindow::MainWindow(Spooler& printers, QWidget* parent)
    : QMainWindow(parent),
      OpenDialog1(QStringLiteral("OpenDialog1"), FileDialogKind::Open, QString::fromUtf8(reportFilter)),
      SaveDialog1(QStringLiteral("SaveDialog1"), FileDialogKind::Save, QString(), QStringLiteral("txt")),
      StationeryDialog(QStringLiteral("StationeryDialog"), FileDialogKind::Open, QString::fromUtf8(pictureFilter)),
      DataFileDialog(QStringLiteral("DataFileDialog"), FileDialogKind::Open, QString::fromUtf8(dataFilter)),
      printers_(printers),
      document_(std::make_unique<ReportDocument>()),
      beep_(&QApplication::beep),
      layoutBinding_(std::make_unique<LayoutBinding>(*document_, static_cast<RowDialogs&>(*this))) {
    setObjectName(QStringLiteral("zarvo2_Form"));
    setWindowTitle(QStringLiteral("Zarvo v2.1"));
    setFont(sansSerifFormFont());
    resize(windowWidth, windowHeight);

    ST_head = named(new QStatusBar, "ST_head");
    ST_head->setSizeGripEnabled(false);
    ST_headPanel = new StatusText(false);
    ST_headPanel->setFixedWidth(500);
    ST_head->addWidget(ST_headPanel);

    PageControl1 = named(new QTabWidget, "PageControl1");
    PageControl1->setFont(mingFont(16));
    PageControl1->addTab(TabSheet1 = buildSourcePage(), QStringLiteral("報表檔原始碼"));
    PageControl1->addTab(TabSheet2 = buildBlocksPage(), QStringLiteral("BLOCKS"));
    PageControl1->addTab(TabSheet3 = buildTestDataPage(), QStringLiteral("測試資料"));
    PageControl1->addTab(TabSheet4 = buildLabelsPage(), QStringLiteral("LABEL"));
    PageControl1->addTab(TabSheet5 = buildLinesPage(), QStringLiteral("Lines"));
    PageControl1->addTab(TabSheet6 = buildLayoutPage(), QStringLiteral("版面 Layout"));
    // What the top-level handler's messages call an error on each page.
    const std::pair<QWidget*, const char*> operations[] = {
        {TabSheet1, "報表檔原始碼"}, {TabSheet2, "BLOCKS"}, {TabSheet3, "測試資料"},
        {TabSheet4, "LABEL"},        {TabSheet5, "Lines"},  {TabSheet6, "版面"}};
    for (const auto& [page, operation] : operations) nameOperation(*page, QString::fromUtf8(operation));
    shownPage_ = TabSheet1;

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ST_head);
    layout->addWidget(PageControl1, 1);
    setCentralWidget(central);

    buildMenus();
    connectCommands();
    showDocument();
    // The report's own dialogs open in its folder; the data file dialog
    // where a data file was last chosen.
    const auto reportFolder = [this] {
        return document_->fileName().isEmpty() ? QString() : QFileInfo(document_->fileName()).absolutePath();
    };
    for (FileNameDialog* dialog : {&OpenDialog1, &SaveDialog1, &StationeryDialog}) dialog->setFolder(reportFolder);
    move(centredOnScreen(size()));
    restorePlacement();
}

MainWindow::~MainWindow() = default;

void MainWindow::restorePlacement() {
    const std::optional<WindowPlacement> kept = readWindowPlacement(windowSettingsPath());
    if (!kept) return;
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) screens.append(screen->geometry());
    if (reachableOnSomeScreen(kept->geometry, screens)) {
        setGeometry(kept->geometry);
    } else {
        resize(kept->geometry.size());
        move(centredOnScreen(size()));
    }
    if (kept->maximized) setWindowState(windowState() | Qt::WindowMaximized);
}

void MainWindow::keepPlacement() const {
    // A maximised window's own size is the screen's; the one it goes back to is kept.
    const QRect normal = isMaximized() && normalGeometry().isValid() ? normalGeometry() : geometry();
    // The next run starts at the given size where it cannot be kept; nothing to say.
    writeWindowPlacement(windowSettingsPath(), {normal, isMaximized()});
}

QWidget* MainWindow::buildSourcePage() {
    auto* page = named(new QWidget, "TabSheet1");
    ME_text = named(new SourceEditor, "ME_text");
    ME_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ME_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(ME_text);
    return page;
}

QWidget* MainWindow::buildBlocksPage() {
    ListView1 = makeBlockList("ListView1", "Block 名稱");
    makeRowButtons('B', btn_Binsert, btn_Bedit, btn_Bdelete);
    btn_test = makeButton("btn_test", "&T 新增至測試區");
    btn_Bfield = makeButton("btn_Bfield", "屬性...");
    Label4 = makeLabel("Label4", "或點選資料後按滑鼠右鍵");
    return listPage("TabSheet2", ListView1, {btn_Binsert, btn_Bedit, btn_Bdelete, btn_test, btn_Bfield, Label4});
}

QWidget* MainWindow::buildTestDataPage() {
    auto* page = named(new QWidget, "TabSheet3");
    auto* panel = named(new QWidget, "Panel1");
    Label2 = makeLabel("Label2", "測試資料的格式應為 :");
    Label1 = makeLabel("Label1", "BLOCK名稱,BLOCK測試資料");
    Label3 = makeLabel("Label3", "(名稱與資料用逗號隔開)");
    btn_clear = makeButton("btn_clear", "清除");
    btn_savedata = makeButton("btn_savedata", "儲存測試資料");
    btn_readdata = makeButton("btn_readdata", "讀取測試資料");
    btn_previewfile = makeButton("btn_previewfile", "資料檔預視...");
    btn_dbpreview = makeButton("btn_dbpreview", "資料庫預視...");
    btn_database = makeButton("btn_database", "資料庫...");
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->addWidget(Label2, 0, 0);
    grid->addWidget(Label1, 1, 0);
    grid->addWidget(Label3, 2, 0);
    grid->setColumnStretch(1, 1);
    grid->addWidget(btn_clear, 1, 2);
    grid->addWidget(btn_savedata, 1, 3);
    grid->addWidget(btn_readdata, 1, 4);
    grid->addWidget(btn_previewfile, 1, 5);
    grid->addWidget(btn_dbpreview, 2, 5);
    grid->addWidget(btn_database, 2, 4);

    ME_data = makeEditor("ME_data");
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(panel);
    layout->addWidget(ME_data, 1);
    return page;
}

QWidget* MainWindow::buildLabelsPage() {
    LV_Label = makeBlockList("LV_Label", "Label 名稱");
    makeRowButtons('L', btn_Linsert, btn_Ledit, btn_Ldelete);
    return listPage("TabSheet4", LV_Label, {btn_Linsert, btn_Ledit, btn_Ldelete});
}

QWidget* MainWindow::buildLinesPage() {
    LV_Line = makeList("LV_Line", {std::begin(lineColumns), std::end(lineColumns)});
    makeRowButtons('N', btn_Ninsert, btn_Nedit, btn_Ndelete);
    return listPage("TabSheet5", LV_Line, {btn_Ninsert, btn_Nedit, btn_Ndelete});
}

LayoutPage* MainWindow::buildLayoutPage() {
    auto* page = new LayoutPage(printers_);
    page->layoutView->setDocument(layoutBinding_.get());
    page->setPictureChooser([this]() -> std::optional<QString> {
        if (dialogOpen()) return std::nullopt;
        const QScopedValueRollback open(dialogOpen_, true);
        return StationeryDialog.execute(this);
    });
    page->setDataFileChooser([this]() -> std::optional<QString> {
        if (dialogOpen()) return std::nullopt;
        const QScopedValueRollback open(dialogOpen_, true);
        return DataFileDialog.execute(this);
    });
    page->setDpiAsker([this]() -> std::optional<int> {
        // Asked right after the picture is chosen, as part of the same command.
        const QScopedValueRollback open(dialogOpen_, true);
        bool ok = false;
        const int dpi = QInputDialog::getInt(this, QStringLiteral("底圖解析度"),
                                             QStringLiteral("這張圖沒有記錄解析度, 請輸入掃描的 dpi:"), 300, 10,
                                             4800, 1, &ok);
        return ok ? std::optional<int>(dpi) : std::nullopt;
    });
    page->setDetailAsker([this](const FormProfile& profile, const std::vector<std::string>& blocks,
                                const std::vector<std::string>& selected) -> std::optional<FormProfile> {
        const QScopedValueRollback open(dialogOpen_, true);
        // The columns of the data file last chosen for a preview, as grouping columns.
        std::vector<std::string> columns;
        if (!DataFileDialog.fileName().isEmpty()) {
            for (const DataColumn& column : dataColumns(QFile::encodeName(DataFileDialog.fileName()).toStdString()))
                columns.push_back(column.name);
        }
        return askDetailProfile(this, profile, blocks, selected, columns);
    });
    connect(page, &LayoutPage::stationeryChanged, this, [this] { document_->markUnsaved(); });
    return page;
}

void MainWindow::enterLayoutPage(QWidget* previous) {
    LayoutView& view = *TabSheet6->layoutView;
    TabSheet6->pageShown();
    // The row selected on the list page just left is the selection.
    const std::pair<QWidget*, Section> listPages[] = {
        {TabSheet2, Section::Blocks}, {TabSheet4, Section::Labels}, {TabSheet5, Section::Lines}};
    for (const auto& [page, section] : listPages) {
        if (page == previous) view.editor().select(selectedRows(section));
    }
    view.viewport()->update();
}

void MainWindow::clearLayoutHistory() { document_->history().clear(); }

// ---- the document's views

void MainWindow::showDocument() {
    ReportDocument& document = *document_;
    connect(&document, &ReportDocument::textReplaced, this, [this](bool wholeDocument) {
        const QScopedValueRollback programWrite(programWrite_, true);
        if (wholeDocument) {
            ME_text->setPlainText(document_->text());
        } else if (editorText(*ME_text) != document_->text()) {
            replaceEditorText(*ME_text, document_->text());
        }
    });
    connect(&document, &ReportDocument::testDataReplaced, this, [this] {
        const QScopedValueRollback programWrite(programWrite_, true);
        replaceEditorText(*ME_data, document_->testData());
    });
    connect(&document, &ReportDocument::rowsReset, this,
            [this](Section section) { fillList(list(section), document_->rows(section)); });
    connect(&document, &ReportDocument::rowInserted, this, [this](Section section, qsizetype at) {
        list(section).insertTopLevelItem(int(at), makeListItem(document_->rows(section)[at]));
    });
    connect(&document, &ReportDocument::rowReplaced, this, [this](Section section, qsizetype at) {
        if (QTreeWidgetItem* item = list(section).topLevelItem(int(at))) setListItem(*item, document_->rows(section)[at]);
    });
    connect(&document, &ReportDocument::rowRemoved, this,
            [this](Section section, qsizetype at) { delete list(section).takeTopLevelItem(int(at)); });
    connect(&document, &ReportDocument::fileNameChanged, this, &MainWindow::showFileName);
    connect(&document, &ReportDocument::profileReplaced, this,
            [this] { TabSheet6->openStationery(*document_->profile(), document_->fileName()); });
    const QScopedValueRollback programWrite(programWrite_, true);
    ME_text->setPlainText(document.text());
}

QTreeWidget& MainWindow::list(Section section) const {
    switch (section) {
    case Section::Lines: return *LV_Line;
    case Section::Labels: return *LV_Label;
    case Section::Blocks: break;
    }
    return *ListView1;
}

std::vector<RowRef> MainWindow::selectedRows(Section section) const {
    const QTreeWidget& rows = list(section);
    std::vector<RowRef> refs;
    for (QTreeWidgetItem* item : rows.selectedItems())
        refs.push_back(RowRef{rowKindOf(section), rows.indexOfTopLevelItem(item)});
    return refs;
}

// The editors edit a row of the list in place (and compare its name with
// the others there): a new row stands in the list while its dialog is open.
bool MainWindow::editRow(Section section, qsizetype at, bool isNew, ListRow& row) {
    QTreeWidget& rows = list(section);
    std::unique_ptr<QTreeWidgetItem> added;
    QTreeWidgetItem* item = rows.topLevelItem(int(at));
    if (isNew) {
        added.reset(makeListItem(row));
        rows.insertTopLevelItem(int(at), added.get());
        item = added.get();
    }
    if (!item) return false;
    int confirmed = 0;
    showEditor(section, item, confirmed);
    row = listRow(*item);
    return confirmed > 0;
}

void MainWindow::showCurrentRow(Section section, qsizetype at) {
    QTreeWidget& rows = list(section);
    if (QTreeWidgetItem* item = rows.topLevelItem(int(at))) rows.setCurrentItem(item);
}

void MainWindow::buildMenus() {
    QMenuBar* bar = named(new QMenuBar, "MainMenu1");
    setMenuBar(bar);
    File1 = named(bar->addMenu(QStringLiteral("&File")), "File1");
    File1->menuAction()->setObjectName(QStringLiteral("File1"));
    New1 = makeAction(this, "New1", "畫新報表檔 &New ", QKeySequence(QStringLiteral("Ctrl+N")));
    Open1 = makeAction(this, "Open1", "開啟舊檔 &Open ...", QKeySequence(QStringLiteral("Ctrl+O")));
    Save1 = makeAction(this, "Save1", "存檔 &Save", QKeySequence(QStringLiteral("Ctrl+S")));
    SaveAs1 = makeAction(this, "SaveAs1", "另存新檔 Save &As ...", QKeySequence(QStringLiteral("Ctrl+Shift+S")));
    N2 = makeSeparator(this, "N2");
    Print1 = makeAction(this, "Print1", "預視 &Preview ...", QKeySequence(QStringLiteral("F5")));
    SavePreview1 = makeAction(this, "SavePreview1", "儲存並預視 Save && Preview...");
    MU_calibrate = makeAction(this, "MU_calibrate", "印表機校正...");
    N1 = makeSeparator(this, "N1");
    Exit1 = makeAction(this, "Exit1", "結束離開 E&xit");
    File1->addActions({New1, Open1, Save1, SaveAs1, N2, Print1, SavePreview1, MU_calibrate, N1, Exit1});
    MU_help = makeAction(this, "MU_help", "&Help");
    bar->addAction(MU_help);
    MU_guide = named(bar->addMenu(QStringLiteral("說明")), "MU_guide");
    MU_guide->menuAction()->setObjectName(QStringLiteral("MU_guide"));
    MU_manual = makeAction(this, "MU_manual", "使用手冊", QKeySequence(Qt::Key_F1));
    MU_guide->addAction(MU_manual);

    PopupMenu1 = named(new QMenu(this), "PopupMenu1");
    PM_insert = makeAction(this, "PM_insert", "新增一筆資料");
    PM_delete = makeAction(this, "PM_delete", "刪除點選的資料");
    PM_test = makeAction(this, "PM_test", "新增至測試資料區");
    PopupMenu1->addActions({PM_insert, PM_delete, PM_test});
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListView1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(ListView1->viewport()->mapToGlobal(at)); });
}

void MainWindow::connectCommands() {
    bindHandler(New1, &QAction::triggered, this, &MainWindow::New1Click);
    bindHandler(Open1, &QAction::triggered, this, &MainWindow::Open1Click);
    bindHandler(Save1, &QAction::triggered, this, &MainWindow::Save1Click);
    bindHandler(SaveAs1, &QAction::triggered, this, &MainWindow::SaveAs1Click);
    bindHandler(Print1, &QAction::triggered, this, &MainWindow::Print1Click);
    bindHandler(SavePreview1, &QAction::triggered, this, &MainWindow::SavePreview1Click);
    bindHandler(MU_calibrate, &QAction::triggered, this, &MainWindow::MU_calibrateClick);
    bindHandler(Exit1, &QAction::triggered, this, &MainWindow::Exit1Click);
    bindHandler(MU_help, &QAction::triggered, this, &MainWindow::MU_helpClick);
    bindHandler(MU_manual, &QAction::triggered, this, &MainWindow::MU_manualClick);
    connect(ME_text, &QPlainTextEdit::textChanged, this, &MainWindow::ME_textChange);
    connect(ME_data, &QPlainTextEdit::textChanged, this, &MainWindow::ME_dataChange);
    bindHandler(PageControl1, &QTabWidget::currentChanged, this, &MainWindow::PageControl1Change);

    bindHandler(btn_Binsert, &QPushButton::clicked, this, &MainWindow::btn_BinsertClick);
    bindHandler(btn_Bfield, &QPushButton::clicked, this, &MainWindow::btn_BfieldClick);
    bindHandler(PM_insert, &QAction::triggered, this, &MainWindow::btn_BinsertClick);
    bindHandler(btn_Bedit, &QPushButton::clicked, this, &MainWindow::ListView1DblClick);
    bindHandler(ListView1, &QTreeWidget::itemDoubleClicked, this, &MainWindow::ListView1DblClick);
    bindHandler(btn_Bdelete, &QPushButton::clicked, this, &MainWindow::btn_BdeleteClick);
    bindHandler(PM_delete, &QAction::triggered, this, &MainWindow::btn_BdeleteClick);
    bindHandler(btn_test, &QPushButton::clicked, this, &MainWindow::PM_testClick);
    bindHandler(PM_test, &QAction::triggered, this, &MainWindow::PM_testClick);

    bindHandler(btn_clear, &QPushButton::clicked, this, &MainWindow::btn_clearClick);
    bindHandler(btn_savedata, &QPushButton::clicked, this, &MainWindow::btn_savedataClick);
    bindHandler(btn_readdata, &QPushButton::clicked, this, &MainWindow::btn_readdataClick);
    bindHandler(btn_previewfile, &QPushButton::clicked, this, &MainWindow::btn_previewfileClick);
    bindHandler(btn_dbpreview, &QPushButton::clicked, this, &MainWindow::btn_dbpreviewClick);
    bindHandler(btn_database, &QPushButton::clicked, this, &MainWindow::btn_databaseClick);

    bindHandler(btn_Linsert, &QPushButton::clicked, this, &MainWindow::btn_LinsertClick);
    bindHandler(btn_Ledit, &QPushButton::clicked, this, &MainWindow::LV_LabelDblClick);
    bindHandler(LV_Label, &QTreeWidget::itemDoubleClicked, this, &MainWindow::LV_LabelDblClick);
    bindHandler(btn_Ldelete, &QPushButton::clicked, this, &MainWindow::btn_LdeleteClick);

    bindHandler(btn_Ninsert, &QPushButton::clicked, this, &MainWindow::btn_NinsertClick);
    bindHandler(btn_Nedit, &QPushButton::clicked, this, &MainWindow::LV_LineDblClick);
    bindHandler(LV_Line, &QTreeWidget::itemDoubleClicked, this, &MainWindow::LV_LineDblClick);
    bindHandler(btn_Ndelete, &QPushButton::clicked, this, &MainWindow::btn_NdeleteClick);
}

// ---- window events

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // Only the first showing starts a document; restoring the window from
    // its icon shows it again.
    if (!formShown_) {
        formShown_ = true;
        FormShow();
    }
}

void MainWindow::FormShow() { newDocument(); }

// The close box drops unsaved work only after the same question as Exit;
// Exit has asked already when it closes the window.
void MainWindow::closeEvent(QCloseEvent* event) {
    if (!exitConfirmed_ && (dialogOpen() || !confirmExit())) {
        event->ignore();
        return;
    }
    keepPlacement();
    QMainWindow::closeEvent(event);
}

// The program's own writes are not edits; everything else that changes
// the text (typing, pasting, dropping, undo) is.
void MainWindow::ME_textChange() {
    if (!programWrite_) document_->typeText(editorText(*ME_text));
}

void MainWindow::ME_dataChange() {
    if (!programWrite_) document_->typeTestData(editorText(*ME_data));
}

void MainWindow::PageControl1Change() {
    QWidget* previous = shownPage_;
    shownPage_ = PageControl1->currentWidget();
    if (programPageChange_) return;
    if (dialogOpen()) {
        // Reading typed text into the lists would free the rows a dialog edits.
        const QScopedValueRollback programChange(programPageChange_, true);
        PageControl1->setCurrentWidget(previous);
        return;
    }
    PageControl1Changing();
    if (shownPage_ == TabSheet6) enterLayoutPage(previous);
    showNotedLine();
}

// ---- document commands

bool MainWindow::confirmDrop(const char* question) {
    if (!document_->unsaved()) return true;
    beep_();
    return AskOkCancel("%s", question) == ResultOk;
}

void MainWindow::newDocument() {
    document_->startNew();
    const QScopedValueRollback programChange(programPageChange_, true);
    PageControl1->setCurrentWidget(TabSheet1);
}

void MainWindow::New1Click() {
    if (dialogOpen()) return;
    const QScopedValueRollback open(dialogOpen_, true);
    if (confirmDrop(dropQuestion)) newDocument();
}

void MainWindow::Open1Click() {
    if (dialogOpen()) return;
    const QScopedValueRollback open(dialogOpen_, true);
    if (!confirmDrop(dropQuestion)) return;
    const std::optional<QString> path = OpenDialog1.execute(this);
    if (path) openFile(*path);
}

void MainWindow::openFile(const QString& path) {
    // Read before changing anything, so that a file that cannot be read
    // leaves the document as it was.
    const QString text = readBig5TextFile(path);
    document_->open(text, path);
    document_->openProfile();
    if (PageControl1->currentWidget() == TabSheet6) TabSheet6->pageShown();
}

void MainWindow::Save1Click() {
    // A row half edited in its dialog is not saved, nor are rows changed
    // while the file is chosen forgotten by the save.
    if (dialogOpen()) return;
    const QScopedValueRollback open(dialogOpen_, true);
    PageControl1Changing();
    QString path = document_->fileName();
    if (path.isEmpty()) {
        const std::optional<QString> chosen = SaveDialog1.execute(this);
        if (!chosen) return;
        path = *chosen;
    }
    document_->saveAs(path);
}

void MainWindow::SaveAs1Click() {
    if (dialogOpen()) return;
    const QScopedValueRollback open(dialogOpen_, true);
    const std::optional<QString> path = SaveDialog1.execute(this);
    if (!path) return;
    PageControl1Changing();
    document_->saveAs(*path);
}

// Test data is no part of the report; typed test data that was never saved
// is asked about only once the report's own question lets the program end.
bool MainWindow::confirmExit() {
    const QScopedValueRollback open(dialogOpen_, true);
    if (!confirmDrop(exitQuestion)) return false;
    return !document_->typedTestDataUnsaved() ||
           AskOkCancel("%s", testDataExitQuestion) == ResultOk;
}

void MainWindow::Exit1Click() {
    if (dialogOpen() || !confirmExit()) return;
    exitConfirmed_ = true;
    close();
    exitConfirmed_ = false;
}

void MainWindow::MU_helpClick() {
    if (helpCommand_) helpCommand_();
}

void MainWindow::MU_manualClick() {
    // The page on show (the Layout page has a page of its own), else the window's.
    const std::string page = PageControl1->currentWidget()->objectName().toStdString();
    const std::string window = objectName().toStdString();
    const std::string_view names[] = {page, window};
    showGuide(guidePageFor(names));
}

void MainWindow::MU_calibrateClick() {
    if (dialogOpen()) return;
    const QScopedValueRollback open(dialogOpen_, true);
    if (!calibrationForm_) calibrationForm_ = new TCalibrationForm(printers_, this);
    calibrationForm_->offerPaper(SheetPaper(document_->headerPaperCode(), profilePaper(*document_->profile())));
    calibrationForm_->execute();
}

void MainWindow::showFileName() { ST_headPanel->setText(document_->fileName()); }

void MainWindow::keepRecoveryCopies(const std::filesystem::path& directory, std::unique_ptr<WriteTimer> timer) {
    constexpr int kStatusMessageMs = 15000;
    recovery_ = std::make_unique<DocumentRecovery>(
        *document_, directory, [this](const QString& message) { ST_head->showMessage(message, kStatusMessageMs); },
        std::move(timer));
}

bool MainWindow::offerRecoveryCopies() { return recovery_ && recovery_->offerCopies(); }

void MainWindow::btn_BfieldClick() {
    QTreeWidgetItem* row = selectedRow(*ListView1);
    if (!row) return;
    if (const std::optional<RowText> after = fieldStyleRow(ListView1->indexOfTopLevelItem(row))) {
        TabSheet6->layoutView->changeForm(*after);
    }
}

std::optional<RowText> MainWindow::fieldStyleRow(qsizetype blockIndex) {
    if (dialogOpen()) return std::nullopt;
    const QList<ListRow>& blocks = document_->rows(Section::Blocks);
    if (blockIndex < 0 || blockIndex >= blocks.size()) return std::nullopt;
    const ListRow& list = blocks[blockIndex];
    const std::optional<std::string> name = utf8ToBig5(list.caption.toStdString());
    if (!name || name->empty()) {
        ShowWarning("這個欄位沒有名稱或名稱無法以 Big5 表示, 無法設定屬性");
        return std::nullopt;
    }
    const FrameRow frame = frameRowOf(*name, list.values);
    const std::shared_ptr<const FormProfile> profile = document_->profile();
    const ProfileSection* kept = profile->block(*name);
    ProfileSection section = kept ? *kept : ProfileSection{blockSectionName(*name), 0, {}, {}, {}, {}};
    const std::string sample = testDataValue(splitSource(document_->testData()).lines, *name);
    const QScopedValueRollback open(dialogOpen_, true);
    const std::optional<ProfileSection> chosen =
        fieldAsker_ ? fieldAsker_(frame, section, sample)
                    : askFieldSection(this, frame, section, sample,
                                      QFile::encodeName(document_->fileName()).toStdString());
    if (!chosen) return std::nullopt;
    return RowText{std::to_string(document_->headerPaperCode()),
                   {formProfileText(withBlockSection(*profile, section.name, *chosen))}};
}

// ---- sections

void MainWindow::PageControl1Changing() { document_->reconcile(); }

// ---- rows

void MainWindow::showEditor(Section section, QTreeWidgetItem* row, int& confirmed) {
    if (!rowEditors_) return;
    const QScopedValueRollback open(dialogOpen_, true);
    switch (section) {
    case Section::Blocks: rowEditors_->editBlockRow(row, confirmed, QStringLiteral("block")); break;
    case Section::Labels: rowEditors_->editBlockRow(row, confirmed, QStringLiteral("label")); break;
    case Section::Lines: rowEditors_->editLineRow(row, confirmed); break;
    }
}

// While a dialog is open its row must stay: the row commands wait. An edit
// on a list page ends the Layout page's undo history.
void MainWindow::insertRow(Section section) {
    if (dialogOpen()) return;
    const QTreeWidget& rows = list(section);
    QTreeWidgetItem* selected = selectedRow(rows);
    const qsizetype at = selected ? rows.indexOfTopLevelItem(selected) : rows.topLevelItemCount();
    // An empty value for every value column of the list.
    ListRow row{QString(), QStringList(valueCount(section), QString())};
    if (!editRow(section, at, true, row)) return;
    clearLayoutHistory();
    document_->insertRow(section, at, row);
}

void MainWindow::editRow(Section section) {
    if (dialogOpen()) return;
    QTreeWidgetItem* selected = selectedRow(list(section));
    int confirmed = 0;
    if (!selected) {
        // The dialog opens on no row; what it confirms changes none.
        showEditor(section, nullptr, confirmed);
        if (confirmed > 0) document_->markUnsaved();
        return;
    }
    const qsizetype at = list(section).indexOfTopLevelItem(selected);
    const QString name = selected->text(0);
    ListRow row = document_->rows(section)[at];
    if (!editRow(section, at, false, row)) return;
    clearLayoutHistory();
    document_->replaceRow(section, at, row);
    if (section == Section::Blocks) followBlock(name, row.caption);
}

void MainWindow::deleteRow(Section section) {
    QTreeWidgetItem* selected = selectedRow(list(section));
    if (!selected || dialogOpen()) return;
    const qsizetype at = list(section).indexOfTopLevelItem(selected);
    const QString name = selected->text(0);
    clearLayoutHistory();
    document_->removeRow(section, at);
    if (section == Section::Blocks) followBlock(name, std::nullopt);
}

void MainWindow::followBlock(const QString& name, const std::optional<QString>& renamed) {
    const auto row = [](const QString& caption) { return RowText{caption.toStdString(), {}}; };
    layoutBinding_->followBlockRows(
        {RowChange{RowKind::Block, 0, row(name), renamed ? std::optional(row(*renamed)) : std::nullopt}});
}

void MainWindow::btn_BinsertClick() { insertRow(Section::Blocks); }
void MainWindow::btn_LinsertClick() { insertRow(Section::Labels); }
void MainWindow::btn_NinsertClick() { insertRow(Section::Lines); }
void MainWindow::ListView1DblClick() { editRow(Section::Blocks); }
void MainWindow::LV_LabelDblClick() { editRow(Section::Labels); }
void MainWindow::LV_LineDblClick() { editRow(Section::Lines); }
void MainWindow::btn_BdeleteClick() { deleteRow(Section::Blocks); }
void MainWindow::btn_LdeleteClick() { deleteRow(Section::Labels); }
void MainWindow::btn_NdeleteClick() { deleteRow(Section::Lines); }

// ---- test data

void MainWindow::btn_clearClick() { ME_data->clear(); }

QString MainWindow::proposedTestDataFile() const {
    const QString& file = document_->testDataFile();
    return file.isEmpty() ? testDataFileFor(document_->fileName()) : file;
}

void MainWindow::btn_savedataClick() {
    if (dialogOpen()) return;
    const QScopedValueRollback open(dialogOpen_, true);
    const std::optional<QString> path = SaveDialog1.execute(this, proposedTestDataFile());
    if (!path) return;
    if (!document_->fileName().isEmpty() && isSameFile(*path, document_->fileName())) {
        ShowWarning("這是目前的報表檔, 不能存成測試資料");
        return;
    }
    if (!writeBig5TextFile(*path, document_->testData())) return;
    document_->testDataSaved(*path);
}

void MainWindow::btn_readdataClick() {
    if (dialogOpen()) return;
    const QScopedValueRollback open(dialogOpen_, true);
    const std::optional<QString> path = OpenDialog1.execute(this, proposedTestDataFile());
    if (!path) return;
    // Read first, so that a file that cannot be read leaves the text alone.
    document_->loadTestData(readBig5TextFile(*path), *path);
}

void MainWindow::btn_previewfileClick() {
    if (dialogOpen()) return;
    std::optional<QString> path;
    {
        const QScopedValueRollback open(dialogOpen_, true);
        // The question about unsaved edits comes before the file is chosen.
        if (!confirmPreviewOfSavedReport(document_->unsaved())) return;
        path = DataFileDialog.execute(this);
    }
    if (!path || !chooseGroupColumn(*path)) return;
    runPreview([&] { launchDataPreview(document_->fileName(), *path, printers_, this); });
}

void MainWindow::btn_dbpreviewClick() {
    if (dialogOpen()) return;
    DatabaseParameters params;
    {
        const QScopedValueRollback open(dialogOpen_, true);
        if (!confirmPreviewOfSavedReport(document_->unsaved())) return;
        const std::optional<DatabaseSpec> spec = databaseSpecOf(*document_->profile(), "");
        if (!spec) {
            ShowWarning("表單設定檔沒有可用的 [Database], 請先按「資料庫...」設定資料庫");
            return;
        }
        for (const std::string& name : parameterNames(spec->query)) {
            bool ok = false;
            const QString value = QInputDialog::getText(this, QStringLiteral("資料庫預視"),
                                                        QStringLiteral("查詢的參數 :%1 的值:").arg(QString::fromStdString(name)),
                                                        QLineEdit::Normal, QString(), &ok);
            if (!ok) return;
            params[name] = value.toStdString();
        }
    }
    runPreview([&] { launchDatabasePreview(document_->fileName(), params, printers_, this); });
}

void MainWindow::btn_databaseClick() {
    if (dialogOpen()) return;
    std::optional<FormProfile> kept;
    {
        const QScopedValueRollback open(dialogOpen_, true);
        kept = askDatabaseProfile(this, *document_->profile(), QFile::encodeName(document_->fileName()).toStdString());
    }
    if (!kept || *kept == *document_->profile()) return;
    // The profile is part of the form's text: one change, one undo step.
    TabSheet6->layoutView->changeForm(
        RowText{std::to_string(document_->headerPaperCode()), {formProfileText(*kept)}});
}

// A CSV file of detail rows needs the column whose equal values make one
// order: asked for among its columns and written into the profile as one
// undo step. The preview shows the report as saved, so the profile is saved
// with it when nothing else was unsaved; otherwise the user is told to save.
bool MainWindow::chooseGroupColumn(const QString& dataFile) {
    const std::optional<DetailSpec> spec = detailSpecOf(*document_->profile());
    if (!spec || dataFormatOf(QFile::encodeName(dataFile).toStdString()) != DataFormat::Csv) return true;
    std::vector<std::string> big5Columns;
    QStringList offered;
    for (const DataColumn& column : dataColumns(QFile::encodeName(dataFile).toStdString())) {
        big5Columns.push_back(utf8ToBig5(column.name).value_or(std::string()));
        offered.append(QString::fromStdString(column.name));
    }
    if (!needsGroupColumn(*spec, big5Columns)) return true;
    bool ok = false;
    QString group;
    {
        const QScopedValueRollback open(dialogOpen_, true);
        group = QInputDialog::getItem(this, QStringLiteral("明細列"),
                                      QStringLiteral("資料檔的每一列是一筆明細. 哪一欄相同的列屬於同一筆訂單 ?"),
                                      offered, 0, true, &ok)
                    .trimmed();
    }
    if (!ok || group.isEmpty()) return false;
    const bool wasSaved = !document_->unsaved() && !document_->fileName().isEmpty();
    FormProfile grouped = *document_->profile();
    grouped.sectionFor(kDetailSection).set("group", group.toStdString());
    TabSheet6->layoutView->changeForm(
        RowText{std::to_string(document_->headerPaperCode()), {formProfileText(grouped)}});
    if (wasSaved) return document_->saveAs(document_->fileName());
    ShowInfo("已把「%s」設為明細列的分組欄位. 預視印的是硬碟上的報表, 請先存檔再預視.", group.toUtf8().constData());
    return false;
}

void MainWindow::PM_testClick() {
    const QTreeWidgetItem* selected = selectedRow(*ListView1);
    if (!selected) return;
    QTextCursor end(ME_data->document());
    end.movePosition(QTextCursor::End);
    // A new line unless the text is empty or already ends with a line break.
    const QString line = selected->text(0) + QLatin1Char(',');
    end.insertText(end.atBlockStart() ? line : QLatin1Char('\n') + line);
}

void MainWindow::Print1Click() {
    runPreview([this] {
        launchPreview(document_->fileName(), document_->unsaved(), document_->testData(), printers_, this);
    });
}

// A preview started while another is composing or shown would delete the
// window under it: it waits until that one is closed.
void MainWindow::runPreview(const std::function<void()>& preview) {
    if (dialogOpen()) return;
    const QScopedValueRollback running(previewRunning_, true);
    const MessageWatch watch;
    preview();
    for (const std::string& text : watch.texts()) {
        if (const std::optional<std::int64_t> line = reportLineOf(text)) {
            notedLine_ = int(std::min<std::int64_t>(*line, INT_MAX));
            showNotedLine();
            return;
        }
    }
}

void MainWindow::showNotedLine() {
    if (notedLine_ <= 0 || PageControl1->currentWidget() != TabSheet1) return;
    ME_text->goToLine(notedLine_);
    notedLine_ = 0;
}

void MainWindow::SavePreview1Click() {
    Save1Click();
    Print1Click();
}

}  // namespace zarvo
