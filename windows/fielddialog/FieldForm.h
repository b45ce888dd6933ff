#pragma once
// The field properties dialog (TFieldForm, "欄位屬性"): a block's kind (text
// or a code) and value format with their options, and the test data's
// value drawn as the form would draw it. OK keeps the block's profile
// section only when its keys can be used; a message says which cannot.

#include <functional>
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

// Asks for a picture file in folder over parent: its path, nullopt when
// cancelled. Tests install their own; empty: Qt's open file dialog.
using PictureFileChooser = std::function<std::optional<QString>(QWidget* parent, const QString& folder)>;
void setPictureFileChooser(PictureFileChooser chooser);

class TFieldForm : public QDialog {
public:
    // The dialog for the block of row (its frame; its name is the label)
    // whose section is section, showing sampleValue (Big5) as it would print;
    // pictures are looked for beside reportPath (file system bytes; empty
    // for a report not saved yet, which cannot name a fixed picture).
    TFieldForm(const FrameRow& row, const ProfileSection& section, std::string sampleValue, QWidget* parent = nullptr,
               std::string reportPath = {});

    // The section as OK kept it.
    const std::optional<ProfileSection>& section() const { return kept_; }

    QLabel* Label_block;
    QComboBox* CB_kind;
    QComboBox* CB_format;
    std::map<std::string, QLineEdit*> options;  // ED_module, ED_height, ... by key
    QPushButton* btn_picture;  // chooses ED_picture's file
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
    // Puts a chosen picture's path, relative to the report's folder, in ED_picture.
    void choosePicture();

    FrameRow row_;
    ProfileSection original_;
    std::string sampleValue_;
    std::string reportPath_;
    std::optional<ProfileSection> kept_;
};

// Runs the dialog over parent; the section as kept, nullopt when cancelled.
std::optional<ProfileSection> askFieldSection(QWidget* parent, const FrameRow& row, const ProfileSection& section,
                                              const std::string& sampleValue, const std::string& reportPath = {});

}  // namespace zarvo
