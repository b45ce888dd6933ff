#pragma once
// The application object: a QApplication whose event delivery catches what
// escapes an event handler, shows it and lets the program go on.

#include <exception>
#include <string>

#include <QApplication>
#include <QTranslator>

namespace zarvo {

class ZarvoApplication : public QApplication {
    Q_OBJECT

public:
    // argc and argv as given to main; both must outlive the application.
    ZarvoApplication(int& argc, char** argv);

    // Delivers event to receiver; an exception escaping the handler is shown
    // with showException, as an error of the operation receiver belongs to,
    // and the event counts as not handled (false).
    bool notify(QObject* receiver, QEvent* event) override;

private:
    // Qt's own texts (the file dialogs' buttons and columns, the editors'
    // context menus) in Traditional Chinese, like the rest of the program.
    QTranslator qtTexts_;
};

// The standard exception display: in a warning box through the installed
// message presenter, the message of the program's own errors, and for any
// other exception that operation (UTF-8) could not be done.
void showException(const std::exception& error, const std::string& operation);

}  // namespace zarvo
