#pragma once
// The main designer window: the application's main form, created first at
// start-up; closing it ends the program. It shows one ReportDocument as
// source text, as three section lists and on the Layout page, with the
// commands that create, open and save it, and the test data page.

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <QMainWindow>
#include <QString>

#include "designer/FileDialogs.h"
#include "document/ReportDocument.h"
#include "document/ReportSections.h"
#include "document/RowDialogs.h"
#include "layoutmodel/SceneTypes.h"
#include "platform/Spooler.h"
#include "recovery/WriteTimer.h"
#include "report/FormProfile.h"
#include "report/ReportReader.h"

class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace zarvo {

class DocumentRecovery;
class LayoutBinding;
class LayoutPage;
class RowEditors;
class SourceEditor;
class StatusText;
class TCalibrationForm;

class MainWindow : public QMainWindow, private RowDialogs {
    Q_OBJECT

public:
    // Builds the window, 681 x 430, centred on the primary screen; or at the
    // size, place and maximised state kept when it was last closed (a place
    // on no screen now gives way to the centre). The document is empty
    // until the window is first shown, which runs New. Previews, the Layout
    // page and calibration use the printers of printers (not owned, outlives
    // the window).
    explicit MainWindow(Spooler& printers, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The editor dialogs that Insert and Edit show (not owned); without them
    // no row is confirmed.
    void setRowEditors(RowEditors* editors) { rowEditors_ = editors; }
    // What the Help command runs (the version window).
    void setHelpCommand(std::function<void()> help) { helpCommand_ = std::move(help); }
    // The system beep sounded before the questions about unsaved work.
    void setBeep(std::function<void()> beep) { beep_ = std::move(beep); }

    // Keeps recovery copies of the unsaved document in directory from now
    // on (timer: when a copy is due; a QTimer when null); they go when the
    // window does.
    void keepRecoveryCopies(const std::filesystem::path& directory, std::unique_ptr<WriteTimer> timer = nullptr);
    // Offers the copies left by programs that did not end normally; true
    // when one was brought back. Nothing without keepRecoveryCopies.
    bool offerRecoveryCopies();
    // Opens the report at path as Open does after its dialog. Throws
    // ReportError, leaving the document as it was, when it cannot be read.
    void openFile(const QString& path);

    // The document the window shows.
    ReportDocument& document() { return *document_; }
    const ReportDocument& document() const { return *document_; }

    // Commands (also the menu items' handlers).
    void New1Click();
    void Open1Click();
    void Save1Click();
    void SaveAs1Click();
    void Exit1Click();
    void MU_helpClick();
    // 使用手冊 (F1): the guide at the page for what the window shows.
    void MU_manualClick();

    // Brings the text and the lists into agreement: reads the text into the
    // lists when it changed, then writes every edited list into the text.
    void PageControl1Changing();

    // Row commands of the three list pages.
    void btn_BinsertClick();
    // "屬性...": the selected block's kind and format (TFieldForm); OK is one
    // undo step on the Layout page.
    void btn_BfieldClick();
    // Runs the field properties dialog on block blockIndex of the list; the
    // form's row with its section as kept, nullopt when cancelled or refused.
    std::optional<RowText> fieldStyleRow(qsizetype blockIndex) override;
    // What runs the field properties dialog (tests answer it).
    using FieldAsker = std::function<std::optional<ProfileSection>(const FrameRow&, const ProfileSection&,
                                                                   const std::string& sampleValue)>;
    void setFieldAsker(FieldAsker ask) { fieldAsker_ = std::move(ask); }
    void btn_LinsertClick();
    void btn_NinsertClick();
    void ListView1DblClick();
    void LV_LabelDblClick();
    void LV_LineDblClick();
    void btn_BdeleteClick();
    void btn_LdeleteClick();
    void btn_NdeleteClick();

    // The test data page.
    void btn_clearClick();
    void btn_savedataClick();
    void btn_readdataClick();
    // Previews the report as saved with one page per record of a data file
    // (CSV or JSON) chosen in DataFileDialog.
    void btn_previewfileClick();
    // Previews the report as saved with the rows of its [Database], asking
    // the query's parameters first.
    void btn_dbpreviewClick();
    // The database dialog; what it keeps is written into the profile as
    // one undo step.
    void btn_databaseClick();
    // Appends the selected block's name and a comma to the test data as a
    // line of its own; nothing without a selected block.
    void PM_testClick();

    // Preview of the report file on disk with the test data; Save & Preview
    // saves first and previews whatever the save did.
    void Print1Click();
    void SavePreview1Click();
    // The printer calibration dialog, shown modally.
    void MU_calibrateClick();

    // One of the window's dialogs is open (a question, a file dialog, a row
    // editor, a preview): commands that change the lists or close a window
    // are refused until it is closed, so nothing works on rows or windows
    // that went away under it.
    bool dialogOpen() const override { return dialogOpen_ || previewRunning_; }

    FieldAsker fieldAsker_;

    // File dialogs, shared with the test data page.
    FileNameDialog OpenDialog1;
    FileNameDialog SaveDialog1;
    // The Layout page's picture dialog.
    FileNameDialog StationeryDialog;
    // The data file dialog of "資料檔預視...".
    FileNameDialog DataFileDialog;

    // Controls.
    QStatusBar* ST_head;
    StatusText* ST_headPanel;
    QTabWidget* PageControl1;
    QWidget* TabSheet1;
    QWidget* TabSheet2;
    QWidget* TabSheet3;
    QWidget* TabSheet4;
    QWidget* TabSheet5;
    LayoutPage* TabSheet6;
    SourceEditor* ME_text;
    QTreeWidget* ListView1;
    QPushButton* btn_Binsert;
    QPushButton* btn_Bedit;
    QPushButton* btn_Bdelete;
    QPushButton* btn_test;
    QPushButton* btn_Bfield;
    QLabel* Label4;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QPushButton* btn_clear;
    QPushButton* btn_savedata;
    QPushButton* btn_readdata;
    QPushButton* btn_previewfile;
    QPushButton* btn_dbpreview;
    QPushButton* btn_database;
    QPlainTextEdit* ME_data;
    QTreeWidget* LV_Label;
    QPushButton* btn_Linsert;
    QPushButton* btn_Ledit;
    QPushButton* btn_Ldelete;
    QTreeWidget* LV_Line;
    QPushButton* btn_Ninsert;
    QPushButton* btn_Nedit;
    QPushButton* btn_Ndelete;

    // Menus.
    QMenu* File1;
    QAction* New1;
    QAction* Open1;
    QAction* Save1;
    QAction* SaveAs1;
    QAction* N2;
    QAction* Print1;
    QAction* SavePreview1;
    QAction* MU_calibrate;
    QAction* N1;
    QAction* Exit1;
    QAction* MU_help;
    QMenu* MU_guide;
    QAction* MU_manual;
    QMenu* PopupMenu1;
    QAction* PM_insert;
    QAction* PM_delete;
    QAction* PM_test;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    Spooler& printers_;
    std::unique_ptr<ReportDocument> document_;

    void buildMenus();
    // Takes the placement kept in the settings file, if any.
    void restorePlacement();
    // Keeps the window's placement in the settings file for the next run.
    void keepPlacement() const;
    LayoutPage* buildLayoutPage();
    // The Layout page is being shown, coming from page previous.
    void enterLayoutPage(QWidget* previous);
    // Edits elsewhere than on the Layout page end its undo history.
    void clearLayoutHistory();
    QWidget* buildSourcePage();
    QWidget* buildBlocksPage();
    QWidget* buildTestDataPage();
    QWidget* buildLabelsPage();
    QWidget* buildLinesPage();
    void connectCommands();

    void FormShow();
    void ME_textChange();
    void ME_dataChange();
    void PageControl1Change();

    // Keeps the pages in step with the document's changes.
    void showDocument();
    QTreeWidget& list(Section section) const;
    bool editRow(Section section, qsizetype at, bool isNew, ListRow& row) override;
    void showCurrentRow(Section section, qsizetype at) override;
    // The rows selected on the list page of section.
    std::vector<RowRef> selectedRows(Section section) const;

    bool chooseGroupColumn(const QString& dataFile);
    void newDocument();
    bool confirmDrop(const char* question);
    // Exit's questions: the report's, then the test data's.
    bool confirmExit();
    // The name the test data dialogs propose: the last test data file, else
    // the report's name with "_data" before its extension.
    QString proposedTestDataFile() const;
    // Runs a preview command, noting the line of the report where its
    // drawing stopped for the source page.
    void runPreview(const std::function<void()>& preview);
    // Puts the source page's cursor on the noted line when it is shown.
    void showNotedLine();
    void showFileName();
    void showEditor(Section section, QTreeWidgetItem* row, int& confirmed);
    void insertRow(Section section);
    void editRow(Section section);
    void deleteRow(Section section);
    // The profile section of the block name follows it to renamed, or goes
    // when it is nullopt (the block deleted).
    void followBlock(const QString& name, const std::optional<QString>& renamed);

    RowEditors* rowEditors_ = nullptr;
    std::function<void()> helpCommand_;
    std::function<void()> beep_;
    bool programWrite_ = false;
    bool programPageChange_ = false;
    bool formShown_ = false;
    bool exitConfirmed_ = false;
    bool dialogOpen_ = false;
    bool previewRunning_ = false;
    // The report line a preview stopped at, until the source page shows it.
    int notedLine_ = 0;
    QWidget* shownPage_ = nullptr;
    std::unique_ptr<LayoutBinding> layoutBinding_;
    std::unique_ptr<DocumentRecovery> recovery_;
    TCalibrationForm* calibrationForm_ = nullptr;  // made when first shown, owned as a child
};

// The application's main window; nullptr before start-up and after the end.
extern MainWindow* zarvo2_Form;

}  // namespace zarvo
