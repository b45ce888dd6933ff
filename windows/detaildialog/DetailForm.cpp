#include "detaildialog/DetailForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "detailedit/DetailRowsFound.h"
#include "detailedit/DetailSectionEdit.h"
#include "platform/Messages.h"
#include "painting/ObjectName.h"
#include "widgets/OkCancelRow.h"
#include "report/Big5.h"

namespace zarvo {

namespace {

// Wide enough for a row's five or six field names.
constexpr int kEditWidth = 320;

QString text(const std::string& utf8) { return QString::fromStdString(utf8); }
std::string text(const QLineEdit& edit) { return edit.text().toStdString(); }

}  // namespace

TDetailForm::TDetailForm(FormProfile profile, std::vector<std::string> blockNames,
                         const std::vector<std::string>& selectedNames, const std::vector<std::string>& columns,
                         QWidget* parent)
    : QDialog(parent), original_(std::move(profile)), blockNames_(std::move(blockNames)) {
    setObjectName(QStringLiteral("TDetailForm"));
    setWindowTitle(QStringLiteral("明細列"));
    const DetailFormTexts texts = detailFormTextsOf(original_, selectedNames);
    ED_fields = named(new QLineEdit(text(texts.fields)), "ED_fields");
    ED_fields->setMinimumWidth(kEditWidth);
    ED_fields->setPlaceholderText(QStringLiteral("例如 item qty unit price amount"));
    Label_rows = named(new QLabel, "Label_rows");
    Label_rows->setWordWrap(true);
    ED_sums = named(new QLineEdit(text(texts.sums)), "ED_sums");
    ED_sums->setPlaceholderText(QStringLiteral("例如 amount=subtotal"));
    ED_last = named(new QLineEdit(text(texts.last)), "ED_last");
    ED_last->setPlaceholderText(QStringLiteral("例如 tax total total_words"));
    ED_continued = named(new QLineEdit(text(texts.continued)), "ED_continued");
    ChB_carry = named(new QCheckBox(QStringLiteral("承上頁 / 過次頁 (首列與末列帶累計)")), "ChB_carry");
    ChB_carry->setChecked(texts.carry);
    CB_group = named(new QComboBox, "CB_group");
    CB_group->setEditable(true);
    for (const std::string& column : columns) CB_group->addItem(text(column));
    CB_group->setCurrentText(text(texts.group));
    CB_group->lineEdit()->setPlaceholderText(QStringLiteral("例如 order_no"));
    ED_source = named(new QLineEdit(text(texts.source)), "ED_source");
    ED_source->setPlaceholderText(QStringLiteral("例如 items"));

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("欄位"), ED_fields);
    fields->addRow(QString(), Label_rows);
    fields->addRow(QStringLiteral("合計 (欄位=區塊)"), ED_sums);
    fields->addRow(QStringLiteral("末頁才印"), ED_last);
    fields->addRow(QStringLiteral("未完頁的合計"), ED_continued);
    fields->addRow(QString(), ChB_carry);
    fields->addRow(QStringLiteral("同一筆訂單的欄位 (CSV)"), CB_group);
    fields->addRow(QStringLiteral("明細所在的成員 (JSON)"), ED_source);
    QHBoxLayout* buttons = okCancelRow(*this, btn_ok, btn_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    connect(ED_fields, &QLineEdit::textChanged, this, &TDetailForm::showRows);
    connect(btn_ok, &QPushButton::clicked, this, &TDetailForm::confirm);
    showRows();
}

void TDetailForm::showRows() {
    std::vector<std::string> fields;
    for (const std::string& word : typedDetailWords(text(*ED_fields))) {
        const std::optional<std::string> big5 = utf8ToBig5(word);
        if (!big5) {
            Label_rows->setText(QStringLiteral("「%1」有 Big5 無法表示的字元").arg(text(word)));
            return;
        }
        fields.push_back(*big5);
    }
    Label_rows->setText(text(detailRowsText(fields, findDetailRows(fields, blockNames_))));
}

void TDetailForm::confirm() {
    const DetailFormTexts texts{text(*ED_fields),           text(*ED_sums),
                                text(*ED_last),             text(*ED_continued),
                                ChB_carry->isChecked(),     CB_group->currentText().toStdString(),
                                text(*ED_source)};
    const DetailEdit edit = detailProfileFrom(original_, texts, blockNames_);
    if (!edit.profile) {
        ShowWarning("%s", edit.error.c_str());
        return;
    }
    kept_ = edit.profile;
    accept();
}

std::optional<FormProfile> askDetailProfile(QWidget* parent, const FormProfile& profile,
                                            const std::vector<std::string>& blockNames,
                                            const std::vector<std::string>& selectedNames,
                                            const std::vector<std::string>& columns) {
    TDetailForm form(profile, blockNames, selectedNames, columns, parent);
    if (form.exec() != QDialog::Accepted) return std::nullopt;
    return form.profile();
}

}  // namespace zarvo
