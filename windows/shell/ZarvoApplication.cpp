#include "shell/ZarvoApplication.h"

#include <QIcon>
#include <QLibraryInfo>

#include "platform/Messages.h"
#include "preview/TopLevelError.h"

namespace zarvo {

ZarvoApplication::ZarvoApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Zarvo"));
    setApplicationVersion(QStringLiteral("2.1"));
    // Ties the windows to the installed desktop entry and its icon.
    setDesktopFileName(QStringLiteral("zarvo"));
    setWindowIcon(QIcon::fromTheme(QStringLiteral("zarvo")));
    // Without the translation Qt's texts stay in English; nothing else changes.
    if (qtTexts_.load(QStringLiteral("qtbase_zh_TW"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        installTranslator(&qtTexts_);
    }
}

bool ZarvoApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        showException(error, operationOf(receiver));
    } catch (...) {
        // Letting anything pass on into the event loop would end the program.
        ShowWarning("%s", unknownErrorText(operationOf(receiver)).c_str());
    }
    return false;
}

void showException(const std::exception& error, const std::string& operation) {
    ShowWarning("%s", topLevelErrorText(error, operation).c_str());
}

}  // namespace zarvo
