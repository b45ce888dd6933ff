#include "preview/SelectPrinterForm.h"

#include <QComboBox>
#include <QLabel>
#include <QToolButton>

#include "painting/FormFonts.h"
#include "preview/PreviewForm.h"
#include "compose/PrinterChoices.h"

namespace zarvo {

TSelectPrinterForm* SelectPrinterForm = nullptr;

namespace {

template <typename Widget>
Widget* place(Widget* widget, const char* name, int left, int top) {
    widget->setObjectName(QLatin1String(name));
    widget->move(left, top);
    widget->adjustSize();
    return widget;
}

QToolButton* flatButton(QWidget* parent, const char* name, const QString& caption, int left) {
    auto* button = place(new QToolButton(parent), name, left, 112);
    button->setText(caption);
    button->setAutoRaise(true);
    button->setFixedSize(65, 25);
    return button;
}

}  // namespace

TSelectPrinterForm::TSelectPrinterForm(Spooler& printers, QWidget* parent) : QDialog(parent), printers_(printers) {
    setObjectName(QStringLiteral("SelectPrinterForm"));
    setWindowTitle(QStringLiteral("選擇印表機"));
    resize(340, 200);
    setFont(fixedFormFont(16));

    Label1 = place(new QLabel(QStringLiteral("選擇印表機"), this), "Label1", 120, 16);
    Label2 = place(new QLabel(QStringLiteral("印表機名稱"), this), "Label2", 24, 56);
    ComboBox1 = place(new QComboBox(this), "ComboBox1", 112, 52);
    ComboBox1->setFixedWidth(210);
    SpeedButton1 = flatButton(this, "SpeedButton1", QStringLiteral("確定"), 64);
    SpeedButton2 = flatButton(this, "SpeedButton2", QStringLiteral("取消"), 192);
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(SpeedButton2, &QToolButton::clicked, this, [this] { done(2); });
}

void TSelectPrinterForm::showEvent(QShowEvent* event) {
    ComboBox1->clear();
    const PrinterChoices choices = printerChoices(printers_);
    for (const std::string& name : choices.names) ComboBox1->addItem(QString::fromStdString(name));
    ComboBox1->setCurrentIndex(choices.selected);
    QDialog::showEvent(event);
}

void TSelectPrinterForm::SpeedButton1Click() {
    if (PreviewForm) PreviewForm->setPrinterName(ComboBox1->currentText().toStdString());
    done(1);
}

void TSelectPrinterForm::reject() { done(2); }

}  // namespace zarvo
