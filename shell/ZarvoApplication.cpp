#include "shell/ZarvoApplication.h"

#include <QIcon>
#include <QLibraryInfo>

#include "platform/Messages.h"

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
        showException(error);
    } catch (...) {
        // Letting anything pass on into the event loop would end the program.
        ShowWarning("發生無法辨識的錯誤, 這個動作已中止.");
    }
    return false;
}

void showException(const std::exception& error) { ShowWarning("%s", error.what()); }

}  // namespace zarvo
