#pragma once
// Beside the Layout page's view: the frames proposed for the stationery's
// empty boxes ("偵測欄位"), listed by name for the user to rename in place,
// then add all or some of them as blocks, or drop them. The boxes are the
// page's, found on a worker thread; the page stays usable meanwhile. The
// captions printed beside the boxes are then read from the scan on a worker
// thread and shown with the proposals, naming those that have no name from
// the report's captions; a table's columns are proposed as detail rows.

#include <functional>
#include <optional>
#include <vector>

#include <QFutureWatcher>
#include <QString>
#include <QWidget>

#include "format/DataColumns.h"
#include "proposals/FieldProposals.h"
#include "scancaptions/CaptionReader.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace zarvo {

class LayoutView;
class StationeryScan;

class FieldProposalPanel : public QWidget {
    Q_OBJECT

public:
    // The panel for view, whose picture's lines scan finds, started by
    // detectButton (not owned), hidden until the first detection.
    FieldProposalPanel(LayoutView* view, const StationeryScan& scan, QPushButton* detectButton,
                       QWidget* parent = nullptr);

    // The stationery picture changed (or went): proposals for the old one
    // are dropped and the button follows whether there is one.
    void pictureChanged();
    // Lists the proposals for the picture's boxes, or waits for them when
    // they are not found yet.
    void detect();
    // The picture's lines have been found and the view holds them.
    void linesFound();
    // Adds every proposal, or those selected in the list, as blocks: one
    // undo step. Names left empty or with blanks are refused with a message.
    void acceptAll();
    void acceptSelected();
    // Drops every proposal and hides the panel.
    void dropAll();
    // Whether a detection waits for the picture's lines.
    bool busy() const { return waiting_; }
    // Whether the captions beside the proposals are being read.
    bool reading() const { return !readBoxes_.empty(); }
    // What reads the scan's captions, asked at each detection (an empty
    // factory: no model installed); Tesseract's when installed by default.
    void setCaptionReaders(std::function<CaptionReaderFactory()> readers) { captionReaders_ = std::move(readers); }
    // What "欄位名稱來自資料檔..." asks for: a data file (nullopt: cancelled).
    void setDataFileChooser(std::function<std::optional<QString>()> choose) { chooseDataFile_ = std::move(choose); }
    // Offers the data file's columns as the proposals' names: each name
    // cell becomes a list of them (still editable), those taken greyed; a
    // name not edited follows its caption (nameFromCaption).
    void namesFromDataFile();
    // The columns offered, and the names in use (the report's blocks and
    // the proposals' names), for the name cells' lists.
    const std::vector<DataColumn>& columns() const { return columns_; }
    std::vector<std::string> namesInUse() const;

    QLabel* LB_proposed;
    QLabel* LB_captions;  // why no caption is read, when none can be
    QTreeWidget* LV_proposed;
    QPushButton* btn_acceptall;
    QPushButton* btn_acceptsel;
    QPushButton* btn_dropall;
    QPushButton* btn_namesfrom;

signals:
    // How far reading the captions has come, for the status line; empty
    // when it is over.
    void progress(const QString& text);

private:
    void propose();
    // Starts reading the captions of the proposals that have none yet.
    void readCaptions();
    void stopReading();
    void captionsRead();
    // Names each proposal whose name was not edited after its caption,
    // matched to the data file's columns, unless another has that name.
    void nameAfterCaptions();
    void showItem(std::size_t row);
    void showProposals(std::vector<FieldProposal> proposals);
    enum class Rows { All, Selected, Unselected };
    // The proposals of the list's rows (all, or those selected or not),
    // with their names as edited.
    std::vector<FieldProposal> listed(Rows rows) const;
    void accept(Rows rows);
    void markClashes();
    void showFrames();
    void updateButtons();

    LayoutView* view_;
    QPushButton* detect_;
    const StationeryScan& scan_;
    std::vector<FieldProposal> proposals_;  // one for each row of LV_proposed, in its order
    bool waiting_ = false;
    std::function<std::optional<QString>()> chooseDataFile_;
    std::vector<DataColumn> columns_;
    std::function<CaptionReaderFactory()> captionReaders_ = installedCaptionReader;
    QFutureWatcher<std::vector<std::string>> reading_;
    std::vector<RectMm> readBoxes_;  // the caption boxes being read, row coordinates; empty: none
};

}  // namespace zarvo
