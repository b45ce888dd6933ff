#include "designer/BlockForm.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "platform/Messages.h"

namespace zarvo {

TBlockForm* BlockForm = nullptr;

namespace {

// Row columns: 0 the name, then the twelve values.
enum Column { Name, Style, Left, Top, Width, Height, Rowgap, Colgap, Distrb, Font, Ychar, Xmargin, Ymargin };

const QStringList styleItems = {
    QStringLiteral("0: 由左至右, 由上到下"), QStringLiteral("1: 由右至左, 由上到下"),
    QStringLiteral("2: 由上到下, 由右至左"), QStringLiteral("3: 由上到下, 由左至右")};

const QStringList distrbItems = {
    QStringLiteral("0: 否"),       QStringLiteral("1: 垂直分佈"), QStringLiteral("2: 水平分佈\t"),
    QStringLiteral("3: 垂直靠中"), QStringLiteral("4: 水平靠中"), QStringLiteral("5: 數字靠右 (樣式 0)"),
    QStringLiteral("6: 垂直分佈邊界對齊 (樣式 0) / 水平分佈邊界對齊 (樣式 3)"), QStringLiteral("7: 整段置中")};

const QStringList fontItems = {
    QStringLiteral("0:  細明體\t"), QStringLiteral("1:  標楷體"),
    QStringLiteral("2:  細明體(1-byte 轉 90 度)"), QStringLiteral("3:  標楷體(1-byte 轉 90 度)")};

// Gaps and margins that are left empty default to no gap.
void zeroWhenEmpty(QLineEdit& edit) {
    if (edit.text().isEmpty()) edit.setText(QStringLiteral("0"));
}

}  // namespace

TBlockForm::TBlockForm(QWidget* parent)
    : RowEditorDialog(QStringLiteral("BlockForm"), QStringLiteral("BLOCK info."), QSize(596, 412), parent) {
    Label1 = addLabel(QStringLiteral("名稱"));
    ED_name = addEdit("ED_name");
    ED_left = addEdit("ED_left");
    ED_top = addEdit("ED_top");
    CB_style = addList("CB_style", styleItems);
    ED_width = addEdit("ED_width");
    ED_height = addEdit("ED_height");
    ED_rowgap = addEdit("ED_rowgap");
    ED_colgap = addEdit("ED_colgap");
    CB_distrb = addList("CB_distrb", distrbItems);
    CB_font = addList("CB_font", fontItems);
    ED_ychar = addEdit("ED_ychar");
    ED_xmargin = addEdit("ED_xmargin");
    ED_ymargin = addEdit("ED_ymargin");
    for (QLineEdit* zero : {ED_rowgap, ED_colgap, ED_xmargin, ED_ymargin}) zero->setText(QStringLiteral("0"));
    layOutFields();
    finishFields({ED_name, ED_left, ED_top, CB_style, ED_width, ED_height, ED_rowgap, ED_colgap, CB_distrb,
                  CB_font, ED_ychar, ED_xmargin, ED_ymargin},
                 [this] { ED_nameChange(); });
    connect(btn_confirm, &QPushButton::clicked, this, &TBlockForm::btn_confirmClick);
}

void TBlockForm::layOutFields() {
    QGridLayout* grid = panelGrid();
    const auto mm = [this] { return addLabel(QStringLiteral("mm")); };
    // Columns: caption, field, unit, caption, field, unit.
    const auto pair = [&](int line, const QString& leftCaption, QWidget* leftField, const QString& rightCaption,
                          QWidget* rightField) {
        grid->addWidget(addLabel(leftCaption), line, 0);
        grid->addWidget(leftField, line, 1);
        grid->addWidget(mm(), line, 2);
        grid->addWidget(addLabel(rightCaption), line, 3);
        grid->addWidget(rightField, line, 4);
        grid->addWidget(mm(), line, 5);
    };
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(ED_name, 0, 1, 1, 5);
    pair(1, QStringLiteral("左上角 X 座標"), ED_left, QStringLiteral("Y 座標"), ED_top);
    grid->addWidget(addLabel(QStringLiteral("樣式 style")), 2, 0);
    grid->addWidget(CB_style, 2, 1, 1, 5);
    pair(3, QStringLiteral("寬度"), ED_width, QStringLiteral("高度"), ED_height);
    pair(4, QStringLiteral("資料列距 row gap"), ED_rowgap, QStringLiteral("資料行距 column gap"), ED_colgap);
    grid->addWidget(addLabel(QStringLiteral("分佈方式 distributed")), 5, 0);
    grid->addWidget(CB_distrb, 5, 1, 1, 5);
    grid->addWidget(addLabel(QStringLiteral("字型")), 6, 0);
    grid->addWidget(CB_font, 6, 1, 1, 2);
    grid->addWidget(addLabel(QStringLiteral("字型高度")), 6, 3);
    grid->addWidget(ED_ychar, 6, 4);
    grid->addWidget(mm(), 6, 5);
    grid->addWidget(addLabel(QStringLiteral("block 框與資料的間距 : ")), 7, 0, 1, 6);
    pair(8, QStringLiteral("X 方向"), ED_xmargin, QStringLiteral("Y 方向"), ED_ymargin);
    // Numbers need no more room than this; the name and the lists span the rows.
    for (QLineEdit* number : {ED_left, ED_top, ED_width, ED_height, ED_rowgap, ED_colgap, ED_ychar, ED_xmargin,
                              ED_ymargin})
        number->setFixedWidth(64);
    // The font list shares the width of a number and its unit; its items show
    // whole when it opens.
    CB_font->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    CB_font->setMinimumContentsLength(4);
    grid->setRowStretch(9, 1);
}

void TBlockForm::AttachRow(QTreeWidgetItem* row, int& confirmed, const QString& mode) {
    attach(row, confirmed);
    block_ = mode == QStringLiteral("block");
    setWindowTitle(block_ ? QStringLiteral("BLOCK data") : QStringLiteral("Label data"));
    Label1->setText(block_ ? QStringLiteral(" Block 名稱") : QStringLiteral(" Label 名稱"));
}

void TBlockForm::FormShow() {
    if (!row()) {
        for (QLineEdit* edit : findChildren<QLineEdit*>()) edit->clear();
        for (QComboBox* list : {CB_style, CB_distrb, CB_font}) list->setCurrentIndex(-1);
    } else {
        const QTreeWidgetItem& source = *row();
        // Every conversion comes before the first field is filled, so a bad
        // value leaves the dialog as it was.
        const int style = listIndexFromText(source.text(Style));
        const int distrb = listIndexFromText(source.text(Distrb));
        const int font = listIndexFromText(source.text(Font));
        ED_name->setText(source.text(Name));
        selectListItem(*CB_style, style);
        ED_left->setText(source.text(Left));
        ED_top->setText(source.text(Top));
        ED_width->setText(source.text(Width));
        ED_height->setText(source.text(Height));
        ED_rowgap->setText(source.text(Rowgap));
        ED_colgap->setText(source.text(Colgap));
        selectListItem(*CB_distrb, distrb);
        selectListItem(*CB_font, font);
        ED_ychar->setText(source.text(Ychar));
        ED_xmargin->setText(source.text(Xmargin));
        ED_ymargin->setText(source.text(Ymargin));
        for (QLineEdit* zero : {ED_rowgap, ED_colgap, ED_xmargin, ED_ymargin}) zeroWhenEmpty(*zero);
    }
    ED_name->setFocus();
    // Last: filling the fields above has enabled it.
    btn_confirm->setEnabled(false);
}

void TBlockForm::writeRow(QTreeWidgetItem& row) {
    row.setText(Name, ED_name->text());
    row.setText(Style, QString::number(CB_style->currentIndex()));
    row.setText(Left, ED_left->text());
    row.setText(Top, ED_top->text());
    row.setText(Width, ED_width->text());
    row.setText(Height, ED_height->text());
    row.setText(Rowgap, ED_rowgap->text());
    row.setText(Colgap, ED_colgap->text());
    row.setText(Distrb, QString::number(CB_distrb->currentIndex()));
    row.setText(Font, QString::number(CB_font->currentIndex()));
    row.setText(Ychar, ED_ychar->text());
    row.setText(Xmargin, ED_xmargin->text());
    row.setText(Ymargin, ED_ymargin->text());
}

void TBlockForm::ED_nameChange() { btn_confirm->setEnabled(true); }

void TBlockForm::btn_confirmClick() { confirm(blockRequiredFields(), blockNumericFields()); }

bool TBlockForm::acceptValues() {
    const QString name = ED_name->text();
    const QString what = block_ ? QStringLiteral("block") : QStringLiteral("label");
    if (const std::optional<QString> problem = nameProblem(name, what)) {
        ShowWarning("%s", problem->toUtf8().constData());
        return false;
    }
    return !block_ || !namedElsewhere(name) ||
           AskYesNo("已有名為 %s 的 Block, 只有最後一個會填入資料, 仍要加入 ?", name.toUtf8().constData()) == ResultYes;
}

// Labels may repeat a caption; only the last block of a name is filled.
bool TBlockForm::namedElsewhere(const QString& name) const {
    const QTreeWidget* list = row() ? row()->treeWidget() : nullptr;
    if (!list) return false;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* other = list->topLevelItem(i);
        if (other != row() && other->text(Name) == name) return true;
    }
    return false;
}

TBlockForm* blockForm() {
    if (!BlockForm) BlockForm = new TBlockForm;
    return BlockForm;
}

void destroyBlockForm() {
    delete BlockForm;
    BlockForm = nullptr;
}

}  // namespace zarvo
