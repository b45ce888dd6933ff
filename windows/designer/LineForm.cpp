#include "designer/LineForm.h"

#include <algorithm>

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidgetItem>

namespace zarvo {

TLineForm* LineForm = nullptr;

namespace {

// Row columns: 0 the style, then the five values.
enum Column { Style, Width, X1, Y1, X2, Y2 };

const QStringList styleItems = {QStringLiteral("0 : Solid"), QStringLiteral("1 : Dash"), QStringLiteral("2 : Dot"),
                                QStringLiteral("3 : DashDot"), QStringLiteral("4 : DashDotDot")};

}  // namespace

TLineForm::TLineForm(QWidget* parent)
    : RowEditorDialog(QStringLiteral("LineForm"), QStringLiteral("Line Info."), QSize(476, 223), parent) {
    CB_style = addList("CB_style", styleItems);
    ED_width = addEdit("ED_width");
    ED_fx = addEdit("ED_fx");
    ED_fy = addEdit("ED_fy");
    ED_tx = addEdit("ED_tx");
    ED_ty = addEdit("ED_ty");
    layOutFields();
    finishFields({CB_style, ED_width, ED_fx, ED_fy, ED_tx, ED_ty}, [this] { ED_tyChange(); });
    connect(btn_confirm, &QPushButton::clicked, this, &TLineForm::btn_confirmClick);
}

void TLineForm::layOutFields() {
    QGridLayout* grid = panelGrid();
    // The start point in the left column, the end point in the right, x above y.
    grid->addWidget(addLabel(QStringLiteral("種類")), 0, 0);
    grid->addWidget(CB_style, 0, 1);
    grid->addWidget(addLabel(QStringLiteral("寬度")), 0, 2);
    grid->addWidget(ED_width, 0, 3);
    grid->addWidget(addLabel(QStringLiteral("線段起始 x 座標")), 1, 0);
    grid->addWidget(ED_fx, 1, 1);
    grid->addWidget(addLabel(QStringLiteral("線段起始 y 座標")), 2, 0);
    grid->addWidget(ED_fy, 2, 1);
    grid->addWidget(addLabel(QStringLiteral("線段結束 x 座標")), 1, 2);
    grid->addWidget(ED_tx, 1, 3);
    grid->addWidget(addLabel(QStringLiteral("線段結束 y 座標")), 2, 2);
    grid->addWidget(ED_ty, 2, 3);
    for (QLineEdit* field : {ED_width, ED_fx, ED_fy, ED_tx, ED_ty}) field->setFixedWidth(60);
    // The style list is as wide as its longest item, so every item reads whole.
    CB_style->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    CB_style->setFixedWidth(std::max(60, CB_style->sizeHint().width()));
    grid->setColumnStretch(4, 1);
}

void TLineForm::AttachRow(QTreeWidgetItem* row, int& confirmed) { attach(row, confirmed); }

void TLineForm::FormShow() {
    if (!row()) {
        CB_style->setCurrentIndex(-1);
        for (QLineEdit* edit : {ED_width, ED_fx, ED_fy, ED_tx, ED_ty}) edit->clear();
    } else {
        const QTreeWidgetItem& source = *row();
        const QString style = source.text(Style);
        // A new row starts at the first coordinate; an existing row keeps the
        // focus where it was. The conversion comes before any filling.
        if (style.isEmpty()) {
            CB_style->setCurrentIndex(0);
            ED_fx->setFocus();
        } else {
            selectListItem(*CB_style, listIndexFromText(style));
        }
        ED_width->setText(source.text(Width));
        ED_fx->setText(source.text(X1));
        ED_fy->setText(source.text(Y1));
        ED_tx->setText(source.text(X2));
        ED_ty->setText(source.text(Y2));
        if (ED_width->text().isEmpty()) ED_width->setText(QStringLiteral("1"));
    }
    // Last: filling the fields above has enabled it.
    btn_confirm->setEnabled(false);
}

void TLineForm::writeRow(QTreeWidgetItem& row) {
    row.setText(Style, QString::number(CB_style->currentIndex()));
    row.setText(Width, ED_width->text());
    row.setText(X1, ED_fx->text());
    row.setText(Y1, ED_fy->text());
    row.setText(X2, ED_tx->text());
    row.setText(Y2, ED_ty->text());
}

void TLineForm::ED_tyChange() { btn_confirm->setEnabled(true); }

void TLineForm::btn_confirmClick() { confirm(lineRequiredFields(), lineNumericFields()); }

TLineForm* lineForm() {
    if (!LineForm) LineForm = new TLineForm;
    return LineForm;
}

void destroyLineForm() {
    delete LineForm;
    LineForm = nullptr;
}

}  // namespace zarvo
