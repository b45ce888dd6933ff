#pragma once
// The printer calibration dialog "印表機校正": prints a calibration sheet on
// the chosen printer and paper, reads where the user measured its crosses
// and keeps the correction they give for that printer.

#include <array>
#include <string>

#include <QDialog>


#include "calibration/CalibrationArithmetic.h"
#include "platform/Spooler.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zarvo {

class TCalibrationForm : public QDialog {
    Q_OBJECT

public:
    // Builds the dialog with A4 chosen and the fields empty, for the
    // printers of printers (not owned, outlives the dialog).
    explicit TCalibrationForm(Spooler& printers, QWidget* parent = nullptr);

    // Lists the spooler's printers afresh (the one chosen before, or
    // the default) and shows the dialog modally; returns its result (1 when
    // a correction was kept, 2 otherwise). Without printers it only says so
    // and returns 2.
    int execute();

    // "列印校正頁": prints the sheet and measures against it from now on;
    // Label_result says what went to the printer above the values.
    void btn_printpageClick();
    // "確定": keeps the correction the fields give and ends with 1; a
    // message naming what is wrong keeps nothing and the dialog open.
    void btn_okClick();
    // "重設": removes the chosen printer's correction.
    void btn_resetClick();

    // Offers paper (the open report's) among the papers when it is a custom
    // paper not offered yet.
    void offerPaper(const SheetPaper& paper);

    // Closing without a choice (close box, Esc) ends with 2, as "取消" does.
    void reject() override;

private:
    Spooler& printers_;
    // What the measurements refer to: a sheet's layout and the correction
    // it was printed under, for one printer and paper.
    struct Basis {
        std::string printer;
        SheetPaper paper;
        bool printed = false;  // a sheet printed in this dialog, not one assumed
        CalibrationLayout layout;
        PrinterCorrection inForce;
        std::string sent;  // what the print of that sheet sent (UTF-8); empty when assumed
    };

    void buildControls();
    std::array<QLineEdit*, 4> fields() const;
    std::string chosenPrinter() const;
    SheetPaper chosenPaper() const;
    // The papers CB_paper offers, by its entries' index.
    std::vector<SheetPaper> papers_;
    // Keeps the sheet printed for the chosen printer and paper; without one
    // assumes their layout under the correction in force now.
    void selectionChanged();
    CalibrationOutcome outcome() const;
    void showOutcome();

    Basis basis_;

    QLabel* Label1;
    QComboBox* CB_calprinter;
    QLabel* Label2;
    QComboBox* CB_paper;
    QPushButton* btn_printpage;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QLineEdit* ED_ax;
    QLineEdit* ED_ay;
    QLineEdit* ED_bx;
    QLineEdit* ED_by;
    QLabel* Label_result;
    QPushButton* btn_ok;
    QPushButton* btn_cancel;
    QPushButton* btn_reset;
};

}  // namespace zarvo
