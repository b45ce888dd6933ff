#include "calibrationdialog/CalibrationForm.h"

#include <algorithm>

#include <utility>

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include "report/ProfilePaper.h"
#include "calibration/CalibrationSheet.h"
#include "platform/Messages.h"
#include "printing/PrinterCorrections.h"
#include "painting/FormFonts.h"
#include "compose/PrintFeedback.h"
#include "compose/PrinterChoices.h"
#include "guidewindow/GuideForm.h"
#include "preview/TopLevelError.h"

namespace zarvo {

namespace {

// The papers a calibration sheet is printed on, with their paper codes.
const std::pair<const char*, int> kPapers[] = {{"A4", 0}, {"B4 (JIS)", 3}, {"A3", 4}};
// The code a custom paper's sheet is printed under.
constexpr int kCustomCode = 9;

template <typename Widget>
Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QLabel* label(const char* name, const QString& caption) { return named(new QLabel(caption), name); }

QPushButton* button(const char* name, const char* caption) {
    auto* pushButton = named(new QPushButton(QString::fromUtf8(caption)), name);
    pushButton->setAutoDefault(false);
    return pushButton;
}

QLineEdit* measurementEdit(const char* name) {
    auto* edit = named(new QLineEdit, name);
    edit->setFixedWidth(90);
    return edit;
}

}  // namespace

TCalibrationForm::TCalibrationForm(Spooler& printers, QWidget* parent) : QDialog(parent), printers_(printers) {
    buildControls();
}

void TCalibrationForm::buildControls() {
    setObjectName(QStringLiteral("CalibrationForm"));
    setWindowTitle(QStringLiteral("印表機校正"));
    addGuideKey(*this);
    setFont(mingFont(16));

    Label1 = label("Label1", QStringLiteral("印表機"));
    CB_calprinter = named(new QComboBox, "CB_calprinter");
    CB_calprinter->setMinimumWidth(260);
    Label2 = label("Label2", QStringLiteral("紙張"));
    CB_paper = named(new QComboBox, "CB_paper");
    for (const auto& [caption, code] : kPapers) {
        CB_paper->addItem(QString::fromUtf8(caption));
        papers_.emplace_back(code);
    }
    for (const NamedPaper& paper : commonPapers()) offerPaper(SheetPaper(kCustomCode, customPaper(paper.widthMm, paper.heightMm, paper.label)));
    btn_printpage = button("btn_printpage", "列印校正頁");
    Label3 = label("Label3", QStringLiteral("用尺量出十字 A、B 的中心到紙張左緣與上緣的距離 (mm):"));
    Label4 = label("Label4", QStringLiteral("距左緣"));
    Label5 = label("Label5", QStringLiteral("距上緣"));
    Label6 = label("Label6", QStringLiteral("十字 A"));
    Label7 = label("Label7", QStringLiteral("十字 B"));
    ED_ax = measurementEdit("ED_ax");
    ED_ay = measurementEdit("ED_ay");
    ED_bx = measurementEdit("ED_bx");
    ED_by = measurementEdit("ED_by");
    Label_result = label("Label_result", QString());
    // Wide enough for the usual texts, so that the dialog keeps its width as the user types.
    Label_result->setMinimumWidth(fontMetrics().horizontalAdvance(
        QStringLiteral("校正值: dx -50 mm, dy -50 mm, sx 100.00 %, sy 100.00 % (超出範圍)")));
    btn_ok = button("btn_ok", "確定");
    btn_cancel = button("btn_cancel", "取消");
    btn_reset = button("btn_reset", "重設");

    auto* grid = new QGridLayout(this);
    grid->setVerticalSpacing(10);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(CB_calprinter, 0, 1, 1, 3);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(CB_paper, 1, 1);
    grid->addWidget(btn_printpage, 1, 2, 1, 2, Qt::AlignLeft);
    grid->addWidget(Label3, 2, 0, 1, 4);
    grid->addWidget(Label4, 3, 1);
    grid->addWidget(Label5, 3, 2);
    grid->addWidget(Label6, 4, 0);
    grid->addWidget(ED_ax, 4, 1);
    grid->addWidget(ED_ay, 4, 2);
    grid->addWidget(Label7, 5, 0);
    grid->addWidget(ED_bx, 5, 1);
    grid->addWidget(ED_by, 5, 2);
    grid->addWidget(Label_result, 6, 0, 1, 4);
    grid->setColumnStretch(3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btn_reset);
    buttons->addStretch();
    buttons->addWidget(btn_ok);
    buttons->addWidget(btn_cancel);
    grid->addLayout(buttons, 7, 0, 1, 4);
    // The result takes a few lines (what the sheet went out as, then
    // the values); the dialog keeps one size whatever it says, so that
    // nothing moves under the pointer after a sheet is printed.
    Label_result->setWordWrap(true);
    Label_result->setMinimumHeight(4 * fontMetrics().lineSpacing());
    setFixedSize(sizeHint());

    bindHandler(CB_calprinter, &QComboBox::currentIndexChanged, this, &TCalibrationForm::selectionChanged);
    bindHandler(CB_paper, &QComboBox::currentIndexChanged, this, &TCalibrationForm::selectionChanged);
    for (QLineEdit* field : fields()) connect(field, &QLineEdit::textChanged, this, &TCalibrationForm::showOutcome);
    bindHandler(btn_printpage, &QPushButton::clicked, this, &TCalibrationForm::btn_printpageClick);
    bindHandler(btn_ok, &QPushButton::clicked, this, &TCalibrationForm::btn_okClick);
    connect(btn_cancel, &QPushButton::clicked, this, [this] { done(ResultCancel); });
    bindHandler(btn_reset, &QPushButton::clicked, this, &TCalibrationForm::btn_resetClick);
}

std::array<QLineEdit*, 4> TCalibrationForm::fields() const { return {ED_ax, ED_ay, ED_bx, ED_by}; }

std::string TCalibrationForm::chosenPrinter() const { return CB_calprinter->currentText().toStdString(); }

SheetPaper TCalibrationForm::chosenPaper() const {
    const int index = CB_paper->currentIndex();
    return index >= 0 && static_cast<std::size_t>(index) < papers_.size() ? papers_[static_cast<std::size_t>(index)]
                                                                           : SheetPaper(0);
}

void TCalibrationForm::offerPaper(const SheetPaper& paper) {
    if (paperForCode(paper.code) || !paper.custom) return;
    const bool offered = std::any_of(papers_.begin(), papers_.end(), [&](const SheetPaper& known) {
        return known.custom && known.custom->widthMm == paper.custom->widthMm &&
               known.custom->heightMm == paper.custom->heightMm;
    });
    if (offered) return;
    const std::string size = paperSizeLabel(paper.custom->widthMm, paper.custom->heightMm);
    CB_paper->addItem(QString::fromStdString(paper.custom->name.empty() ? size : paper.custom->name + " (" + size + ")"));
    papers_.push_back(paper);
}

int TCalibrationForm::execute() {
    const PrinterChoices choices = printerChoices(printers_);
    if (choices.names.empty()) {
        std::string message = "沒有可用的印表機, 無法校正";
        if (!choices.problem.empty()) message += "\n\n" + choices.problem;
        ShowWarning("%s", message.c_str());
        return ResultCancel;
    }
    const QString before = CB_calprinter->currentText();
    {
        const QSignalBlocker quiet(CB_calprinter);
        CB_calprinter->clear();
        for (const std::string& name : choices.names) CB_calprinter->addItem(QString::fromStdString(name));
        const int again = CB_calprinter->findText(before, Qt::MatchExactly | Qt::MatchCaseSensitive);
        CB_calprinter->setCurrentIndex(again >= 0 ? again : choices.selected);
    }
    selectionChanged();
    // A damaged corrections file is named as the dialog opens; the dialog
    // then works as though no correction were kept, and keeping one
    // replaces the file only if it can be read.
    std::string problem;
    PrinterCorrections().correction(currentPrintServer(), chosenPrinter(), &problem);
    if (!problem.empty()) ShowWarning("%s", problem.c_str());
    return exec();
}

void TCalibrationForm::selectionChanged() {
    const std::string printer = chosenPrinter();
    const SheetPaper paper = chosenPaper();
    if (!basis_.printed || basis_.printer != printer || basis_.paper != paper) {
        const SheetMargins margins = printers_.sheetMargins(printer, paper).value_or(SheetMargins{});
        basis_ = {printer, paper, false, calibrationLayout(paper, margins),
                  PrinterCorrections().correction(currentPrintServer(), printer), {}};
    }
    showOutcome();
}

CalibrationOutcome TCalibrationForm::outcome() const {
    MeasurementTexts texts;
    for (int i = 0; i < 4; ++i) texts[i] = fields()[i]->text().toStdString();
    return calibrationOutcome(basis_.layout, texts, basis_.inForce);
}

void TCalibrationForm::showOutcome() {
    const std::string summary = calibrationSummary(outcome(), basis_.inForce);
    // What the sheet being measured went out as stays above the values it gives.
    Label_result->setText(QString::fromStdString(basis_.sent.empty() ? summary : basis_.sent + "\n" + summary));
}

void TCalibrationForm::btn_printpageClick() {
    const std::string printer = chosenPrinter();
    const SheetPaper paper = chosenPaper();
    const PrinterCorrection inForce = PrinterCorrections().correction(currentPrintServer(), printer);
    const PrintedCalibration sheet = printCalibrationSheet(printers_, printer, paper);
    basis_ = {printer, paper, true, sheet.layout, inForce, printedText(sheet.receipt)};
    showOutcome();
}

void TCalibrationForm::btn_okClick() {
    const CalibrationOutcome result = outcome();
    if (!result.problem.empty()) {
        ShowWarning("%s", result.problem.c_str());
        return;
    }
    PrinterCorrections().setCorrection(currentPrintServer(), chosenPrinter(), *result.correction);
    // The sheet measured is out of date now; the next calibration starts afresh.
    basis_.printed = false;
    for (QLineEdit* field : fields()) field->clear();
    selectionChanged();
    done(ResultOk);
}

void TCalibrationForm::btn_resetClick() {
    PrinterCorrections().removeCorrection(currentPrintServer(), chosenPrinter());
    selectionChanged();
}

void TCalibrationForm::reject() { done(ResultCancel); }

}  // namespace zarvo
