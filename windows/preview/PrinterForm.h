#pragma once
// The print range dialog: the page on show, a range or every page, with
// collated or uncollated copies, printed from the current preview window in
// one job. Created once; keeps its entries between showings.

#include <QDialog>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace zarvo {

struct PrintChoice;

class TPrinterForm : public QDialog {
    Q_OBJECT

public:
    // Builds the dialog with "本頁" and "分頁" chosen, copies unchecked.
    explicit TPrinterForm(QWidget* parent = nullptr);

    // "確定": prints the chosen sheets from PreviewForm (PreviewMode 0 during
    // the call, 1 afterwards however it ends), then closes with 1. Throws
    // ConversionError for an empty range or copies field that is read, and
    // what printing throws; the dialog then stays open.
    void Button1Click();

    // Closing without a choice (close box, Esc) ends with 2, as "取消" does.
    void reject() override;

private:
    void buildControls();
    PrintChoice choice() const;

    QLabel* Label4;
    QFrame* Panel2;
    QRadioButton* RB1;
    QRadioButton* RB3;
    QRadioButton* RB2;
    QLabel* Label1;
    QLineEdit* Edit1;
    QLabel* Label2;
    QLineEdit* Edit2;
    QLabel* Label3;
    QFrame* Panel3;
    QCheckBox* CB1;
    QLineEdit* Edit3;
    QLabel* Label5;
    QLabel* Label6;
    QRadioButton* RB4;
    QRadioButton* RB5;
    QPushButton* Button1;
    QPushButton* Button2;
};

// The print range dialog of the application; nullptr outside its life.
extern TPrinterForm* PrinterForm;

}  // namespace zarvo
