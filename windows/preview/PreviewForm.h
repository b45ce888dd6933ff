#pragma once
// The preview window: shows a report filled with data one page at a time,
// pages through it, chooses the printer and opens the print range dialog.
// It owns the page data files of its pages and deletes them when it is
// destroyed. Its pages can also be saved as a PDF file, optionally over the
// report's stationery. After a print its status bar says what went to the
// printer.

#include <functional>
#include <optional>
#include <vector>

#include <QDialog>
#include <QString>
#include <QWidget>

#include "engine/PageSequence.h"
#include "engine/RenderContext.h"
#include "painting/PdfSpooler.h"
#include "painting/PreviewImage.h"
#include "preview/NoFitList.h"
#include "compose/PageComposer.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QStatusBar;

namespace zarvo {

class SheetOrder;

// Asks for the name of the PDF file to write, over parent; nullopt when cancelled.
using PdfFileChooser = std::function<std::optional<QString>(QWidget* parent)>;
// Installs the chooser that "存成 PDF..." asks; an empty one restores Qt's
// save dialog (filter "PDF (*.pdf)").
void setPdfFileChooser(PdfFileChooser chooser);

// Image1: shows a preview image at one screen pixel per image pixel.
class PageImage : public QWidget {
public:
    // image: not owned, must outlive the widget.
    PageImage(const PreviewImage& image, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const PreviewImage& image_;
};

class TPreviewForm : public QDialog {
    Q_OBJECT

public:
    // Builds the window, reserves a DataFileStem from the current time, lists
    // the printers of printers (not owned, outlives the window; PrinterName
    // the selected one) and becomes PreviewForm. PreviewMode 0.
    explicit TPreviewForm(Spooler& printers, QWidget* parent = nullptr);
    // Immediate: clears PreviewForm when it points here, then deletes the
    // data files of pages 0 to LastPage.
    ~TPreviewForm() override;

    // Preview mode 1: shows the page whose number E1 holds (throws
    // ConversionError when it is no integer, ReportError when there is no
    // such page or it cannot be read) and, when the window is hidden, shows
    // it modally until it is closed. Print mode 0: prints every page once on
    // PrinterName in one job.
    void RenderPages();
    // In print mode only: prints pages first..last (0-based), passes runs
    // over the range, repeats sheets of each page per run, in one job; asks
    // for the printer first when the window is hidden (Cancel prints
    // nothing). Throws ReportError when there is no printer or it fails.
    void PrintPages(int first, int last, int passes, int repeats);

    // Lists count pages whose data files are written on demand: writePage(i)
    // writes the file of page i (0-based) when it is first shown or
    // printed. Every file written is deleted with the window. pageName(i),
    // when given, names page i in Label_sheet ("A1 2/3": an order's sheet).
    // The folder (file system bytes) picture names in the pages' values are
    // relative to: a data file's; empty (the default) the report's.
    void setPictureFolder(std::string folder) { pictureFolder_ = std::move(folder); }
    void setPageWriter(int count, std::function<void(int page)> writePage,
                       std::function<std::string(int page)> pageName = {});

    // What "含底圖" adds to a saved PDF for the printer named printer (UTF-8):
    // the stationery under each sheet, the form at the printer's printable corner.
    using StationeryOptions = std::function<PdfSheetOptions(const std::string& printer)>;
    // Installs the report's stationery; "含底圖" can be checked only while there is one.
    void setStationery(StationeryOptions stationery);

    // CurrentPage: 0-based index of the page on show.
    int currentPage() const { return CurrentPage; }
    void setPreviewMode(int mode) { PreviewMode = mode; }
    // PrinterName (UTF-8).
    void setPrinterName(const std::string& name) { PrinterName = name; }

    // Places list (the data values that do not fit, taken over) along the
    // window's foot, above the status bar; a double-click on a value shows
    // its page.
    void setNoFitList(NoFitList* list);

    int previewMode() const { return PreviewMode; }
    const std::string& printerName() const { return PrinterName; }
    // LastPage: the last page whose data file was started, -1 when none.
    int lastPage() const { return pages_.lastPage(); }
    // DataFileStem: "/QEL/Tmp/" and the second the window reserved.
    const std::string& dataFileStem() const { return pages_.stem(); }
    // The window's page data files, for writing its pages; a page started
    // in preview mode is listed in c1.
    PageSequence& pages() { return pages_; }
    // What the engine draws the window's pages with: its mode, image,
    // printer, pages, and information messages shown over the window.
    RenderContext renderContext();
    // The spooler whose printers PrinterName names.
    Spooler& spooler();

    // The preview image as drawn.
    const PreviewImage& image() const { return previewImage; }
    // One of the window's own dialogs (the PDF file, the print range, the
    // printer) is open: the window neither closes nor may be deleted, and
    // its other dialogs wait.
    bool dialogOpen() const { return dialogOpen_; }
    // Closes the window unless one of its dialogs is open.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Sizes the page's widget for the zoom chosen and the room there is.
    void fitImage();

private:
    void buildControls();
    void fillPrinterList();
    void updatePageIndicator(int page);
    void jumpToPage(const QString& text);
    void printInOneJob(const SheetOrder& sheets);
    // Prints sheets on context's printer, a progress dialog showing when it
    // takes long, and tells handedOver (may be empty) what went out before
    // what could not be drawn is said; a cancelled print ends without a word.
    void printWithProgress(const RenderContext& context, const SheetOrder& sheets,
                           const std::function<void(const PrintReceipt&)>& handedOver = {});
    void reportProblems(const CompositionProblems& problems);
    // The data file of page (0-based), written first when it is written on demand.
    std::string pageFile(int page);
    void addPageItem(const std::string& item);
    Surface& sizeImage(int width, int height);

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void E1KeyDown();
    void c1KeyDown();
    void ComboBox1Change(const QString& text);
    void btn_savepdfClick();

    QWidget* P1;
    QLabel* Label1;
    QLabel* Label2;
    QComboBox* c1;
    QLineEdit* E1;
    QPushButton* Button2;
    QPushButton* Button4;
    QPushButton* Button3;
    QPushButton* Button1;
    QLabel* Label3;
    QLabel* Label_sheet;
    QComboBox* ComboBox1;
    QPushButton* btn_savepdf;
    QCheckBox* ChB_stationery;
    // The page at 100 % or as a whole page in the window.
    QComboBox* CB_zoom;
    QScrollArea* ScrollBox1;
    PageImage* Image1;
    // What the last print sent.
    QStatusBar* ST_preview;
    NoFitList* LV_nofit = nullptr;

    int CurrentPage = 0;
    int PreviewMode = 0;
    std::string PrinterName;
    // DataFileStem and LastPage.
    PageSequence pages_;
    Spooler& printers_;

    PreviewImage previewImage;
    // Why the printer list is empty when the spooler could not be asked.
    std::string printerProblem;
    StationeryOptions stationery_;
    // Pages written on demand, and which of them are written.
    std::function<void(int page)> pageWriter_;
    std::string pictureFolder_;
    std::function<std::string(int page)> pageName_;
    std::vector<bool> pageWritten_;
    bool dialogOpen_ = false;
};

// The current preview window; nullptr while there is none.
extern TPreviewForm* PreviewForm;

}  // namespace zarvo
