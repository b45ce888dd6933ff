#include "document/TestDataFileName.h"

#include <QDir>
#include <QFileInfo>

namespace zarvo {

namespace {

QString canonical(const QString& path) {
    const QFileInfo info(path);
    const QString resolved = info.canonicalFilePath();
    return resolved.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : resolved;
}

}  // namespace

QString testDataFileFor(const QString& reportPath) {
    if (reportPath.isEmpty()) return {};
    const QFileInfo info(reportPath);
    const QString suffix = info.suffix();
    const QString base = suffix.isEmpty() ? reportPath : reportPath.chopped(suffix.size() + 1);
    return suffix.isEmpty() ? base + QStringLiteral("_data") : base + QStringLiteral("_data.") + suffix;
}

bool isSameFile(const QString& first, const QString& second) { return canonical(first) == canonical(second); }

}  // namespace zarvo
