#pragma once
// The preview window: shows a report filled with data one page at a time,
// pages through it, chooses the printer and opens the print range dialog.
// It owns the page data files of its pages and deletes them when it is
// destroyed.

#include <QDialog>
#include <QString>
#include <QWidget>

#include "engine/PreviewState.h"
#include "platform/qt/PreviewImage.h"
#include "preview/PageComposer.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;

namespace zarvo {

class SheetOrder;

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

class TPreviewForm : public QDialog, public PreviewState {
    Q_OBJECT

public:
    // Builds the window, takes the current time as its DataFileStem, lists
    // the program spooler's printers (PrinterName the selected one) and
    // becomes PreviewForm and the engine's current preview. PreviewMode 0.
    explicit TPreviewForm(QWidget* parent = nullptr);
    // Immediate: clears PreviewForm (and the current preview) when they
    // point here, then deletes the data files of pages 0 to LastPage.
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

    // CurrentPage: 0-based index of the page on show.
    int currentPage() const { return CurrentPage; }
    void setPreviewMode(int mode) { PreviewMode = mode; }
    // PrinterName (UTF-8).
    void setPrinterName(const std::string& name) { PrinterName = name; }

    int previewMode() const override { return PreviewMode; }
    std::string printerName() const override { return PrinterName; }
    int lastPage() const override { return LastPage; }
    void setLastPage(int page) override { LastPage = page; }
    std::string dataFileStem() const override { return DataFileStem; }
    void addPageItem(const std::string& item) override;
    Surface& sizeImage(int width, int height) override;
    void repaintImage() override;
    Spooler& spooler() override;

    // The preview image as drawn.
    const PreviewImage& image() const { return previewImage; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildControls();
    void fillPrinterList();
    void updatePageIndicator(int page);
    void jumpToPage(const QString& text);
    void printInOneJob(const SheetOrder& sheets);
    void reportProblems(const CompositionProblems& problems);

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void E1KeyDown();
    void c1KeyDown();
    void ComboBox1Change(const QString& text);

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
    QComboBox* ComboBox1;
    QScrollArea* ScrollBox1;
    PageImage* Image1;

    int CurrentPage = 0;
    std::string DataFileStem;
    int PreviewMode = 0;
    int LastPage = -1;
    std::string PrinterName;

    PreviewImage previewImage;
    // Why the printer list is empty when the spooler could not be asked.
    std::string printerProblem;
};

// The current preview window; nullptr while there is none.
extern TPreviewForm* PreviewForm;

}  // namespace zarvo
