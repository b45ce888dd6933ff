#include "layout/PositionForm.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "painting/ObjectName.h"
#include "platform/Messages.h"
#include "widgets/OkCancelRow.h"

namespace zarvo {

namespace {

QString text(const std::string& utf8) { return QString::fromStdString(utf8); }

}  // namespace

TPositionForm::TPositionForm(const std::optional<PositionTexts>& frame, QWidget* parent)
    : QDialog(parent), frame_(frame) {
    setObjectName(QStringLiteral("TPositionForm"));
    setWindowTitle(QStringLiteral("位置"));
    RB_move = named(new QRadioButton(QStringLiteral("移動所選的列 (mm)")), "RB_move");
    RB_set = named(new QRadioButton(QStringLiteral("設定這個框的位置與大小 (mm)")), "RB_set");
    RB_move->setChecked(true);
    RB_set->setEnabled(frame_.has_value());
    ED_x = named(new QLineEdit, "ED_x");
    ED_y = named(new QLineEdit, "ED_y");
    ED_w = named(new QLineEdit, "ED_w");
    ED_h = named(new QLineEdit, "ED_h");

    auto* fields = new QFormLayout;
    fields->addRow(RB_move);
    fields->addRow(RB_set);
    fields->addRow(QStringLiteral("x (向右)"), ED_x);
    fields->addRow(QStringLiteral("y (向下)"), ED_y);
    fields->addRow(QStringLiteral("寬"), ED_w);
    fields->addRow(QStringLiteral("高"), ED_h);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(okCancelRow(*this, btn_ok, btn_cancel));

    connect(RB_move, &QRadioButton::toggled, this, &TPositionForm::showChoice);
    connect(btn_ok, &QPushButton::clicked, this, &TPositionForm::confirm);
    showChoice();
}

// A move starts from 0; a frame's place from where it stands.
void TPositionForm::showChoice() {
    const bool move = RB_move->isChecked();
    const PositionTexts shown = move || !frame_ ? PositionTexts{true, "0", "0", "", ""} : *frame_;
    ED_x->setText(text(shown.x));
    ED_y->setText(text(shown.y));
    ED_w->setText(text(shown.width));
    ED_h->setText(text(shown.height));
    ED_w->setEnabled(!move);
    ED_h->setEnabled(!move);
}

void TPositionForm::confirm() {
    const PositionTexts texts{RB_move->isChecked(), ED_x->text().toStdString(), ED_y->text().toStdString(),
                              ED_w->text().toStdString(), ED_h->text().toStdString()};
    std::string error;
    request_ = positionRequestFrom(texts, error);
    if (!request_) {
        ShowWarning("%s", error.c_str());
        return;
    }
    accept();
}

std::optional<PositionRequest> askPosition(QWidget* parent, const std::optional<PositionTexts>& frame) {
    TPositionForm form(frame, parent);
    if (form.exec() != QDialog::Accepted) return std::nullopt;
    return form.request();
}

}  // namespace zarvo
