#pragma once
// The detail rows dialog (TDetailForm, "明細列"): the fields of a detail
// row, the rows their numbered blocks give (shown as the fields are typed),
// the sums, the last-sheet fields, the text before the last sheet, the
// carried totals, and how a data file's rows form orders (the grouping
// column of a CSV file, the items member of a JSON order). OK keeps the profile with its [Detail] only when what was
// typed can be used; a message says what cannot.

#include <optional>
#include <string>
#include <vector>

#include <QDialog>

#include "report/FormProfile.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zarvo {

class TDetailForm : public QDialog {
public:
    // The dialog over profile for a report whose blocks are blockNames, the
    // fields proposed by selectedNames (both Big5) when they propose any;
    // columns (UTF-8) are a data file's, offered as the grouping column.
    TDetailForm(FormProfile profile, std::vector<std::string> blockNames, const std::vector<std::string>& selectedNames,
                const std::vector<std::string>& columns = {}, QWidget* parent = nullptr);

    // The profile as OK kept it.
    const std::optional<FormProfile>& profile() const { return kept_; }

    QLineEdit* ED_fields;
    QLabel* Label_rows;
    QLineEdit* ED_sums;
    QLineEdit* ED_last;
    QLineEdit* ED_continued;
    QCheckBox* ChB_carry;
    QComboBox* CB_group;
    QLineEdit* ED_source;
    QPushButton* btn_ok;
    QPushButton* btn_cancel;

private:
    void showRows();
    void confirm();

    FormProfile original_;
    std::vector<std::string> blockNames_;
    std::optional<FormProfile> kept_;
};

// Runs the dialog over parent; the profile as kept, nullopt when cancelled.
std::optional<FormProfile> askDetailProfile(QWidget* parent, const FormProfile& profile,
                                            const std::vector<std::string>& blockNames,
                                            const std::vector<std::string>& selectedNames,
                                            const std::vector<std::string>& columns = {});

}  // namespace zarvo
