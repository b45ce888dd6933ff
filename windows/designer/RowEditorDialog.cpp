#include "designer/RowEditorDialog.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidgetItem>
#include <QVBoxLayout>

#include "platform/Messages.h"
#include "painting/FormFonts.h"
#include "report/Big5.h"
#include "report/ConversionError.h"
#include "report/ReportReader.h"

namespace zarvo {

namespace {

// The text as Big5 bytes, the form the conversion error takes its text in; a
// character Big5 cannot hold becomes '?', which no integer contains.
std::string big5ForMessage(const QString& text) {
    std::string bytes;
    for (const char32_t point : text.toStdU32String()) {
        const Big5Encoded encoded = big5Encode(std::u32string_view(&point, 1));
        bytes += encoded.ok() ? encoded.bytes : std::string("?");
    }
    return bytes;
}

QPushButton* createButton(const char* name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

bool isFilled(const QWidget* control) {
    if (const auto* edit = qobject_cast<const QLineEdit*>(control)) return !edit->text().isEmpty();
    if (const auto* list = qobject_cast<const QComboBox*>(control)) return list->currentIndex() >= 0;
    return false;
}

}  // namespace

int listIndexFromText(const QString& text) {
    if (text.isEmpty()) return 0;
    return strictToInt(big5ForMessage(text));
}

void selectListItem(QComboBox& list, int index) {
    list.setCurrentIndex(index >= 0 && index < list.count() ? index : -1);
}

RowEditorDialog::RowEditorDialog(const QString& objectName, const QString& caption, QSize size,
                                 QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName(objectName);
    setWindowTitle(caption);
    setFont(mingFont(16));
    setFixedSize(size);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::StyledPanel);
    grid_ = new QGridLayout(panel);
    grid_->setHorizontalSpacing(4);
    grid_->setContentsMargins(8, 8, 8, 8);

    auto* group = new QGroupBox(this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    btn_confirm = createButton("btn_confirm", QStringLiteral("&Y 確定"), group);
    btn_confirm->setEnabled(false);
    btn_cancel = createButton("btn_cancel", QStringLiteral("&N 取消"), group);
    auto* buttons = new QHBoxLayout(group);
    buttons->addStretch();
    buttons->addWidget(btn_confirm);
    buttons->addWidget(btn_cancel);
    buttons->addStretch();
    connect(btn_cancel, &QPushButton::clicked, this, &RowEditorDialog::btn_cancelClick);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(panel, 1);
    layout->addWidget(group);
}

int RowEditorDialog::exec() {
    FormShow();
    return QDialog::exec();
}

void RowEditorDialog::attach(QTreeWidgetItem* row, int& confirmed) {
    row_ = row;
    confirmed_ = &confirmed;
}

QLabel* RowEditorDialog::addLabel(const QString& text) {
    auto* label = new QLabel(text, grid_->parentWidget());
    label->setObjectName(QStringLiteral("Label%1").arg(++labelCount_));
    return label;
}

QLineEdit* RowEditorDialog::addEdit(const char* name) {
    auto* edit = new QLineEdit(grid_->parentWidget());
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

QComboBox* RowEditorDialog::addList(const char* name, const QStringList& items) {
    auto* list = new QComboBox(grid_->parentWidget());
    list->setObjectName(QString::fromLatin1(name));
    list->addItems(items);
    list->setCurrentIndex(-1);
    return list;
}

void RowEditorDialog::finishFields(std::initializer_list<QWidget*> tabOrder,
                                   std::function<void()> onChange) {
    QWidget* previous = nullptr;
    for (QWidget* field : tabOrder) {
        if (previous) setTabOrder(previous, field);
        previous = field;
        field->installEventFilter(this);
        if (auto* edit = qobject_cast<QLineEdit*>(field))
            connect(edit, &QLineEdit::textChanged, this, [onChange] { onChange(); });
        else if (auto* list = qobject_cast<QComboBox*>(field))
            connect(list, &QComboBox::currentIndexChanged, this, [onChange] { onChange(); });
    }
    setTabOrder(previous, btn_confirm);
    setTabOrder(btn_confirm, btn_cancel);
    btn_confirm->installEventFilter(this);
    btn_cancel->installEventFilter(this);
}

void RowEditorDialog::confirm(std::span<const RequiredField> order, std::span<const NumericField> numbers) {
    const auto control = [this](std::string_view name) {
        return findChild<QWidget*>(QString::fromUtf8(name.data(), qsizetype(name.size())));
    };
    const RequiredField* missing =
        firstMissingField(order, [&](std::string_view name) { return isFilled(control(name)); });
    if (missing) {
        ShowWarning("%s", std::string(missing->message).c_str());
        return;
    }
    const std::optional<QString> notNumber = firstNonNumber(
        numbers, [&](std::string_view name) { return static_cast<QLineEdit*>(control(name))->text(); });
    if (notNumber) {
        ShowWarning("%s", notNumber->toUtf8().constData());
        return;
    }
    if (!acceptValues()) return;
    // Without a row there is nothing to write into, and nothing was changed
    // that the caller should learn of.
    if (row_) {
        writeRow(*row_);
        *confirmed_ = 1;
    }
    done(ResultOk);
}

void RowEditorDialog::btn_cancelClick() { done(ResultCancel); }

bool RowEditorDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape) {
            btn_cancelClick();
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void RowEditorDialog::reject() { done(ResultCancel); }

void RowEditorDialog::done(int result) {
    row_ = nullptr;
    confirmed_ = nullptr;
    QDialog::done(result);
}

}  // namespace zarvo
