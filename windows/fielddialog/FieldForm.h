#pragma once
// The field properties dialog (TFieldForm, "欄位屬性"): a block's kind (text
// or a code) and value format with their options, and the test data's
// value drawn as the form would draw it. OK keeps the block's profile
// section only when its keys can be used; a message says which cannot.

#include <map>
#include <optional>
#include <string>

#include <QDialog>

#include "report/FormProfile.h"
#include "report/ReportReader.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zarvo {

class TFieldForm : public QDialog {
public:
    // The dialog for the block of row (its frame; its name is the label)
    // whose section is section, showing sampleValue (Big5) as it would print.
    TFieldForm(const FrameRow& row, const ProfileSection& section, std::string sampleValue, QWidget* parent = nullptr);

    // The section as OK kept it.
    const std::optional<ProfileSection>& section() const { return kept_; }

    QLabel* Label_block;
    QComboBox* CB_kind;
    QComboBox* CB_format;
    std::map<std::string, QLineEdit*> options;  // ED_module, ED_height, ... by key
    QLabel* Image_sample;
    QLabel* Label_sample;
    QPushButton* btn_ok;
    QPushButton* btn_cancel;

private:
    // The section the controls hold now.
    ProfileSection edited() const;
    // Enables the options the chosen kind and format take and draws the sample.
    void update();
    void confirm();

    FrameRow row_;
    ProfileSection original_;
    std::string sampleValue_;
    std::optional<ProfileSection> kept_;
};

// Runs the dialog over parent; the section as kept, nullopt when cancelled.
std::optional<ProfileSection> askFieldSection(QWidget* parent, const FrameRow& row, const ProfileSection& section,
                                              const std::string& sampleValue);

}  // namespace zarvo
