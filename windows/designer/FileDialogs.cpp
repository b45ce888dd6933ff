#include "designer/FileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>

namespace zarvo {

namespace {

class QtFileDialogPresenter : public FileDialogPresenter {
public:
    std::optional<QString> choose(const FileDialogRequest& request) override {
        const bool open = request.kind == FileDialogKind::Open;
        QFileDialog dialog(request.parent, open ? QStringLiteral("開啟舊檔") : QStringLiteral("存檔"));
        dialog.setObjectName(request.objectName);
        dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
        dialog.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        if (!request.filter.isEmpty()) dialog.setNameFilters(qtNameFilters(request.filter));
        dialog.setDefaultSuffix(request.defaultSuffix);
        if (!request.folder.isEmpty()) dialog.setDirectory(request.folder);
        if (!request.proposedName.isEmpty()) dialog.selectFile(request.proposedName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
        return dialog.selectedFiles().constFirst();
    }
};

// The folder of the last file chosen through any dialog.
QString& lastFolder() {
    static QString folder;
    return folder;
}

FileDialogPresenter*& installedPresenter() {
    static FileDialogPresenter* presenter = nullptr;
    return presenter;
}

FileDialogPresenter& presenter() {
    static QtFileDialogPresenter qtPresenter;
    FileDialogPresenter* installed = installedPresenter();
    return installed ? *installed : qtPresenter;
}

QString qtPatterns(const QString& patterns) {
    QStringList parts = patterns.split(u';', Qt::SkipEmptyParts);
    for (QString& part : parts) {
        part = part.trimmed();
        if (part == QStringLiteral("*.*")) part = QStringLiteral("*");
    }
    return parts.join(u' ');
}

}  // namespace

void setFileDialogPresenter(FileDialogPresenter* presenter) { installedPresenter() = presenter; }

FileNameDialog::FileNameDialog(QString objectName, FileDialogKind kind, QString filter, QString defaultSuffix)
    : objectName_(std::move(objectName)),
      kind_(kind),
      filter_(std::move(filter)),
      defaultSuffix_(std::move(defaultSuffix)) {}

std::optional<QString> FileNameDialog::execute(QWidget* parent) { return execute(parent, fileName_); }

std::optional<QString> FileNameDialog::execute(QWidget* parent, const QString& proposedName) {
    const QString folder = folder_ ? folder_() : QString();
    std::optional<QString> chosen = presenter().choose(
        {objectName_, kind_, filter_, proposedName, folder.isEmpty() ? lastFolder() : folder, defaultSuffix_, parent});
    if (!chosen) return chosen;
    lastFolder() = QFileInfo(*chosen).absolutePath();
    if (!defaultSuffix_.isEmpty() && QFileInfo(*chosen).suffix().isEmpty()) *chosen += u'.' + defaultSuffix_;
    fileName_ = *chosen;
    return chosen;
}

QStringList qtNameFilters(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        const QString shown = u'(' + parts[i + 1].trimmed() + u')';
        // Qt shows the patterns it uses itself; a description that already
        // names them would show them twice.
        if (description.endsWith(shown)) description.chop(shown.size());
        filters.append(description.trimmed() + QStringLiteral(" (") + qtPatterns(parts[i + 1]) + u')');
    }
    return filters;
}

}  // namespace zarvo
