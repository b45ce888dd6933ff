#pragma once
// The printer selection dialog: asks for the printer before a print that is
// started while the preview window is not on screen.

#include <QDialog>

#include "platform/Spooler.h"

class QComboBox;
class QLabel;
class QToolButton;

namespace zarvo {

class TSelectPrinterForm : public QDialog {
    Q_OBJECT

public:
    // printers: the spooler whose printers it lists (not owned, outlives the dialog).
    explicit TSelectPrinterForm(Spooler& printers, QWidget* parent = nullptr);

    // Closing without a choice (close box, Esc) ends with 2, as "取消" does.
    void reject() override;

protected:
    // Lists the spooler's printers afresh, the default selected.
    void showEvent(QShowEvent* event) override;

private:
    // "確定": PreviewForm's PrinterName := the chosen printer; ends with 1.
    void SpeedButton1Click();

    QLabel* Label1;
    QLabel* Label2;
    QComboBox* ComboBox1;
    QToolButton* SpeedButton1;
    QToolButton* SpeedButton2;

    Spooler& printers_;
};

// The printer selection dialog of the application; nullptr outside its life.
extern TSelectPrinterForm* SelectPrinterForm;

}  // namespace zarvo
