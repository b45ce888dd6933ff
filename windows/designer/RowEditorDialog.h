#pragma once
// What the two row editor dialogs share: the attached list row and
// confirmation flag, the fill-then-show modal run, the key preview (Esc
// cancels, Enter moves on), the confirm button that waits for a change, and
// the check of the required fields.

#include <functional>
#include <span>

#include <QDialog>
#include <QString>
#include <QStringList>

#include "document/FieldValueRules.h"
#include "document/RequiredFields.h"

class QComboBox;
class QEvent;
class QFrame;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidgetItem;

namespace zarvo {

class RowEditorDialog : public QDialog {
    Q_OBJECT

public:
    // Fills the fields from the attached row (FormShow) and shows the dialog
    // modally; returns 1 when confirmed, 2 when closed otherwise. Throws
    // ConversionError, before anything is filled or shown, when a list value
    // of the row is not an integer.
    int exec() override;

    QPushButton* btn_confirm;
    QPushButton* btn_cancel;

protected:
    // Builds the empty window: objectName, caption, fixed size, the form font,
    // the upper panel (fields go into panelGrid()) and the button group.
    RowEditorDialog(const QString& objectName, const QString& caption, QSize size, QWidget* parent);

    // Fills the fields from row() when one is attached.
    virtual void FormShow() = 0;
    // Writes the fields into row, as typed.
    virtual void writeRow(QTreeWidgetItem& row) = 0;

    // Stores row (may be nullptr) and the address of confirmed; the flag is
    // not changed.
    void attach(QTreeWidgetItem* row, int& confirmed);
    // The attached row; nullptr when none.
    QTreeWidgetItem* row() const { return row_; }

    // The grid of the upper panel that holds the fields.
    QGridLayout* panelGrid() const { return grid_; }
    // A caption label named LabelN (N counts up from 1) holding text.
    QLabel* addLabel(const QString& text);
    // An empty edit named name.
    QLineEdit* addEdit(const char* name);
    // A drop-down list named name holding items, nothing selected.
    QComboBox* addList(const char* name, const QStringList& items);

    // Call once every field exists: sets the tab order (fields in the order
    // given, then the two buttons), lets the dialog see every key first and
    // runs onChange on every change of an edit's text or a list's selection.
    void finishFields(std::initializer_list<QWidget*> tabOrder, std::function<void()> onChange);

    // Checks that every field of order is filled, that every field of
    // numbers holds a number the report reader takes, then acceptValues();
    // shows the first failure's warning and returns, or writes the attached
    // row (when one is attached), sets the flag and closes with 1.
    void confirm(std::span<const RequiredField> order, std::span<const NumericField> numbers);
    // A dialog's own checks, after the shared ones: false, having said why,
    // keeps the dialog open.
    virtual bool acceptValues() { return true; }
    // Closes with 2, leaving row and flag as they are.
    void btn_cancelClick();

    // Esc cancels and Enter moves the focus on, before any control sees them.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Esc on the dialog itself and the close box close with 2.
    void reject() override;
    // Closes and forgets the row and flag, which the caller may free next.
    void done(int result) override;

private:
    QGridLayout* grid_ = nullptr;
    int labelCount_ = 0;
    QTreeWidgetItem* row_ = nullptr;
    int* confirmed_ = nullptr;
};

// The index of a list item as a row holds it: 0 for an empty text, else the
// text as a decimal integer. Throws ConversionError for any other text.
int listIndexFromText(const QString& text);

// Selects item index of list, or nothing when the list has no such item.
void selectListItem(QComboBox& list, int index);

}  // namespace zarvo
