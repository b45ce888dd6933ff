#pragma once
// The open and save file dialogs, behind a seam that tests answer. Each
// dialog object keeps proposing the last name chosen through it.

#include <optional>

#include <QString>
#include <QStringList>

class QWidget;

namespace zarvo {

enum class FileDialogKind { Open, Save };

// What one showing of a file dialog asks for.
struct FileDialogRequest {
    QString objectName;  // the dialog's name, e.g. "OpenDialog1"
    FileDialogKind kind;
    QString filter;        // "description|patterns|..." pairs; empty for none
    QString proposedName;  // the last name chosen through this dialog
    QWidget* parent;       // the window the dialog is modal to (may be nullptr)
};

// Shows a file dialog and returns the chosen path, or nullopt when cancelled.
class FileDialogPresenter {
public:
    virtual ~FileDialogPresenter() = default;
    virtual std::optional<QString> choose(const FileDialogRequest& request) = 0;
};

// Installs the presenter that every FileNameDialog uses (not owned); nullptr
// restores Qt's file dialogs.
void setFileDialogPresenter(FileDialogPresenter* presenter);

// One file dialog object of a window: its name, kind and filter, and the
// last name chosen through it.
class FileNameDialog {
public:
    FileNameDialog(QString objectName, FileDialogKind kind, QString filter);
    // Shows the dialog over parent, proposing the last name chosen; returns
    // the chosen path and remembers it, or nullopt when cancelled.
    std::optional<QString> execute(QWidget* parent);
    // The last name chosen through this dialog; empty before the first.
    const QString& fileName() const { return fileName_; }

private:
    QString objectName_;
    FileDialogKind kind_;
    QString filter_;
    QString fileName_;
};

// Qt's name filters for a "description|patterns|..." filter; patterns are
// separated by ';' and "*.*" means every file, as it does in such filters.
QStringList qtNameFilters(const QString& filter);

}  // namespace zarvo
