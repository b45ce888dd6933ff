#pragma once
// The application object: a QApplication whose event delivery catches what
// escapes an event handler, shows it and lets the program go on.

#include <exception>

#include <QApplication>
#include <QTranslator>

namespace zarvo {

class ZarvoApplication : public QApplication {
    Q_OBJECT

public:
    // argc and argv as given to main; both must outlive the application.
    ZarvoApplication(int& argc, char** argv);

    // Delivers event to receiver; an exception escaping the handler is shown
    // with showException and the event counts as not handled (false).
    bool notify(QObject* receiver, QEvent* event) override;

private:
    // Qt's own texts (the file dialogs' buttons and columns, the editors'
    // context menus) in Traditional Chinese, like the rest of the program.
    QTranslator qtTexts_;
};

// The standard exception display: the exception's message (UTF-8) in a
// warning box through the installed message presenter.
void showException(const std::exception& error);

}  // namespace zarvo
