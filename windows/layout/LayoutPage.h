#pragma once
// The Layout page of the main window: a row of controls (zoom, printer,
// what to show, the stationery), the view, and a status bar that says where
// the pointer is and what the user cannot see on paper. It also keeps the
// stationery settings beside the report.

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <utility>

#include <QString>
#include <QTemporaryDir>
#include <QWidget>

#include "preview/NoFitList.h"
#include "layout/DetailRows.h"
#include "layoutmodel/PositionEdit.h"
#include "stationery/StationeryPicture.h"
#include "stationery/StationeryScan.h"
#include "stationery/StationerySettings.h"
#include "platform/Paper.h"
#include "platform/Spooler.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QSlider;
class QStatusBar;

namespace zarvo {

class FieldProposalPanel;
class LayoutView;
class StatusText;

class LayoutPage : public QWidget {
    Q_OBJECT

public:
    // The page, named TabSheet6, offering the printers of printers (not
    // owned, outlives the page).
    explicit LayoutPage(Spooler& printers, QWidget* parent = nullptr);

    // Asks for a picture file (nullopt: cancelled), and for the resolution
    // of a scan that stores none (nullopt: cancelled).
    void setPictureChooser(std::function<std::optional<QString>()> choose) { choosePicture_ = std::move(choose); }
    void setDpiAsker(std::function<std::optional<int>()> ask) { askDpi_ = std::move(ask); }
    // What "自訂..." asks for (the paper shown, if custom); the dialog by default.
    void setPaperAsker(std::function<std::optional<CustomPaper>(const std::optional<CustomPaper>&)> ask) {
        askPaper_ = std::move(ask);
    }
    // What "明細列..." asks for; the dialog by default.
    void setDetailAsker(DetailAsker ask) { askDetail_ = std::move(ask); }
    // What "位置..." asks for (the selected frame's place, when one frame is
    // selected); the dialog by default.
    using PositionAsker = std::function<std::optional<PositionRequest>(const std::optional<PositionTexts>&)>;
    void setPositionAsker(PositionAsker ask) { askPosition_ = std::move(ask); }
    // What "檢查資料..." and the proposals' names ask for: a data file
    // (nullopt: cancelled).
    void setDataFileChooser(std::function<std::optional<QString>()> choose);

    // The page is being shown: fills the printer list the first time, takes
    // the rows and the report afresh and gives the view the focus.
    void pageShown();
    // The report or test data changed: draws them again.
    void refresh();

    // Opens the stationery that profile gives the report at reportPath
    // (empty: none), leniently: what cannot be used is said in the status bar.
    void openStationery(const FormProfile& profile, const QString& reportPath);
    const std::optional<StationeryKeys>& stationerySettings() const { return settings_; }
    // The lines and boxes found in the picture shown, looked for in the
    // background whenever a picture is shown.
    StationeryScan& stationeryScan() { return scan_; }

    LayoutView* layoutView;
    QComboBox* ZoomBox;
    QComboBox* CB_printer;
    QCheckBox* ChB_names;
    QCheckBox* ChB_overlays;
    QCheckBox* ChB_grid;
    QPushButton* btn_stationery;
    QPushButton* btn_detail;
    QComboBox* CB_paper;
    QPushButton* btn_selpicture;
    QSlider* TB_strength;
    QPushButton* btn_detect;
    QPushButton* btn_position;
    QPushButton* btn_fitboxes;
    QPushButton* btn_checkdata;
    NoFitList* LV_nofit;
    FieldProposalPanel* proposals;
    QStatusBar* ST_layout;
    StatusText* ST_layoutPointer;
    StatusText* ST_layoutNotes;

signals:
    // The user changed the stationery (picture, shift or strength).
    void stationeryChanged();

private:
    Spooler& printers_;
    // The document keeps the stationery shown, to save it with the report.
    void shareStationery();
    // The user changed the stationery.
    void stationeryEdited();
    void buildControls();
    void fillPrinters();
    void printerChosen();
    void zoomChosen(int index);
    void showZoom(int dpi);
    void chooseStationery();
    // Shows the form's paper in CB_paper, enabled while the header can be read.
    void showPaper();
    // The user picked CB_paper's entry index.
    void paperPicked(int index);
    // The view read the form again: the paper and its margins follow.
    void formRefreshed();
    // Shows the loaded picture (its absolute path) with settings; false,
    // with a note, when there is none to show.
    bool showPicture(const PictureLoad& load, const StationeryKeys& settings, const QString& picture);
    void showNotes();
    // The picture's lines arrived: the view snaps to them, and a skewed
    // scan is offered to be straightened.
    void scanLinesFound();
    // Asks once per picture whether to draw a skewed scan straight; waits
    // while a drag or a dialog is under way or the page is hidden.
    void offerStraightening();
    // Shows the loaded picture turned back by the stored angle.
    void showStraightened();
    void setStationeryNote(const QString& note);

    std::function<std::optional<QString>()> choosePicture_;
    std::function<std::optional<int>()> askDpi_;
    std::function<std::optional<CustomPaper>(const std::optional<CustomPaper>&)> askPaper_;
    DetailAsker askDetail_;
    PositionAsker askPosition_;
    void positionChosen();
    // "檢查資料...": every value of a chosen data file laid out against the
    // frames as they stand now, unsaved edits included.
    void checkDataFile();
    // Selects the frames of the block named name (UTF-8).
    void selectBlock(const std::string& name);
    std::function<std::optional<QString>()> chooseDataFile_;
    // Where the form as it stands is written for the check.
    std::unique_ptr<QTemporaryDir> checkedForm_;
    bool printersFilled_ = false;
    std::optional<SheetPaper> marginsPaper_;  // the paper whose margins are shown
    QString paperNote_;                       // why the sheet is the printer's default paper
    std::optional<StationeryKeys> settings_;
    // The picture's absolute path while the report has no name yet.
    QString picturePath_;
    QString stationeryNote_;
    StationeryScan scan_;
    // The picture as loaded, before straightening.
    std::optional<StationeryPicture> loaded_;
    // Pictures (absolute paths) whose skew was asked about in this session.
    std::set<QString> skewAsked_;
    bool skewPending_ = false;
};

}  // namespace zarvo
