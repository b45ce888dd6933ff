#pragma once
// Beside the Layout page's view: the frames proposed for the stationery's
// empty boxes ("偵測欄位"), listed by name for the user to rename in place,
// then add all or some of them as blocks, or drop them. The boxes are found
// on a worker thread; the page stays usable meanwhile.

#include <vector>

#include <QFutureWatcher>
#include <QWidget>

#include "layout/proposals/FieldProposals.h"
#include "layout/stationery/ScanLines.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace zarvo {

class LayoutView;

class FieldProposalPanel : public QWidget {
    Q_OBJECT

public:
    // The panel for view, started by detectButton (not owned), hidden until
    // the first detection.
    FieldProposalPanel(LayoutView* view, QPushButton* detectButton, QWidget* parent = nullptr);

    // The stationery picture changed (or went): proposals for the old one
    // are dropped and the button follows whether there is one.
    void pictureChanged();
    // Finds the boxes of the picture (waiting for them on a worker thread
    // when they are not known yet) and lists the proposals.
    void detect();
    // Adds every proposal, or those selected in the list, as blocks: one
    // undo step. Names left empty or with blanks are refused with a message.
    void acceptAll();
    void acceptSelected();
    // Drops every proposal and hides the panel.
    void dropAll();
    // Whether a detection is running.
    bool busy() const { return watcher_.isRunning(); }

    QLabel* LB_proposed;
    QTreeWidget* LV_proposed;
    QPushButton* btn_acceptall;
    QPushButton* btn_acceptsel;
    QPushButton* btn_dropall;

private:
    void linesFound();
    void showProposals(std::vector<FieldProposal> proposals);
    enum class Rows { All, Selected, Unselected };
    // The proposals of the list's rows (all, or those selected or not),
    // with their names as edited.
    std::vector<FieldProposal> listed(Rows rows) const;
    void accept(Rows rows);
    void showFrames();
    void updateButtons();
    PicturePlacement placement() const;

    LayoutView* view_;
    QPushButton* detect_;
    QFutureWatcher<ScanLines> watcher_;
    std::vector<FieldProposal> proposals_;  // one for each row of LV_proposed, in its order
    int picture_ = 0;                       // counts picture changes
    int detectedPicture_ = 0;               // the picture the running detection is for
};

}  // namespace zarvo
