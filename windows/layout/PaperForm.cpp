#include "layout/PaperForm.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "layoutmodel/PaperChoices.h"
#include "platform/Messages.h"
#include "painting/ObjectName.h"
#include "widgets/OkCancelRow.h"
#include "report/DecimalText.h"
#include "report/ProfileNumbers.h"

namespace zarvo {

TPaperForm::TPaperForm(const std::optional<CustomPaper>& current, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TPaperForm"));
    setWindowTitle(QStringLiteral("自訂紙張"));
    ED_pwidth = named(new QLineEdit, "ED_pwidth");
    ED_pheight = named(new QLineEdit, "ED_pheight");
    ED_pname = named(new QLineEdit, "ED_pname");
    Label_feed = named(new QLabel, "Label_feed");
    Label_feed->setWordWrap(true);
    if (current) {
        ED_pwidth->setText(QString::fromStdString(decimalText(current->widthMm)));
        ED_pheight->setText(QString::fromStdString(decimalText(current->heightMm)));
        ED_pname->setText(QString::fromStdString(current->name));
    }

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("寬 (mm, 橫跨送紙方向)"), ED_pwidth);
    fields->addRow(QStringLiteral("高 (mm, 沿送紙方向)"), ED_pheight);
    fields->addRow(QStringLiteral("名稱"), ED_pname);
    QHBoxLayout* buttons = okCancelRow(*this, btn_ok, btn_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(Label_feed);
    layout->addLayout(buttons);

    connect(btn_ok, &QPushButton::clicked, this, &TPaperForm::confirm);
    connect(ED_pheight, &QLineEdit::textChanged, this, &TPaperForm::showFeedNote);
    showFeedNote();
}

void TPaperForm::confirm() {
    const CustomPaperInput input = customPaperFrom(ED_pwidth->text().trimmed().toStdString(),
                                                   ED_pheight->text().trimmed().toStdString(),
                                                   ED_pname->text().trimmed().toStdString());
    if (!input.paper) {
        ShowWarning("%s", input.error.c_str());
        return;
    }
    paper_ = input.paper;
    accept();
}

// A continuous form whose height is no whole number of lines drifts form by
// form on a tractor-fed dot-matrix printer: said, not refused.
void TPaperForm::showFeedNote() {
    const std::optional<double> height = profileNumber(ED_pheight->text().trimmed().toStdString());
    const bool drifts = height && *height >= kMinPaperMm && *height <= kMaxPaperMm && !isWholeLineHeight(*height);
    Label_feed->setText(drifts ? QStringLiteral("注意: 高度不是 1/6 英吋 (4.233 mm) 的整數倍, "
                                                "點陣印表機連續送紙時每張會逐漸偏移.")
                               : QString());
}

std::optional<CustomPaper> askCustomPaper(QWidget* parent, const std::optional<CustomPaper>& current) {
    TPaperForm form(current, parent);
    if (form.exec() != QDialog::Accepted) return std::nullopt;
    return form.paper();
}

}  // namespace zarvo
