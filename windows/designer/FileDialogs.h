#pragma once
// The open and save file dialogs, behind a seam that tests answer. Each
// dialog object keeps proposing the last name chosen through it.

#include <functional>
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
    QString proposedName;  // the last name chosen through this dialog, or the caller's
    QString folder;        // where the dialog opens when proposedName names no folder; empty: anywhere
    QString defaultSuffix;  // added to a name typed without an extension; empty for none
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
    // A name chosen without an extension gets defaultSuffix (when not empty)
    // after a dot, so that a dialog filtering on it lists the file again.
    FileNameDialog(QString objectName, FileDialogKind kind, QString filter, QString defaultSuffix = {});
    // The folder the dialog opens in (the report's, say), asked each time it
    // is shown; when it gives none, the folder of the last file chosen
    // through any dialog.
    void setFolder(std::function<QString()> folder) { folder_ = std::move(folder); }
    // Shows the dialog over parent, proposing the last name chosen; returns
    // the chosen path and remembers it, or nullopt when cancelled.
    std::optional<QString> execute(QWidget* parent);
    // The same, proposing proposedName instead.
    std::optional<QString> execute(QWidget* parent, const QString& proposedName);
    // The last name chosen through this dialog; empty before the first.
    const QString& fileName() const { return fileName_; }

private:
    QString objectName_;
    FileDialogKind kind_;
    QString filter_;
    QString defaultSuffix_;
    QString fileName_;
    std::function<QString()> folder_;
};

// Qt's name filters for a "description|patterns|..." filter; patterns are
// separated by ';' and "*.*" means every file, as it does in such filters.
QStringList qtNameFilters(const QString& filter);

}  // namespace zarvo
