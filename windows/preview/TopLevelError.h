#pragma once
// Errors of the windows' event handlers reach the application's top-level
// handler, which shows them and lets the program go on.

#include <exception>
#include <functional>
#include <string>

#include <QObject>
#include <QString>

namespace zarvo {

// Runs work as the body of an event handler started from origin (the button
// or menu item, or nullptr). What it throws is delivered to the
// application's top-level handler through the application's event delivery,
// as an error of origin's operation, instead of unwinding through the
// toolkit's own input handling (a button's click), which is not built to be
// unwound.
void runHandler(const std::function<void()>& work, QObject* origin = nullptr);

// Connects sender's signal to window's handler, run through runHandler.
template <typename Sender, typename Signal, typename Window>
void bindHandler(Sender* sender, Signal signal, Window* window, void (Window::*handler)()) {
    QObject::connect(sender, signal, window, [sender, window, handler] {
        runHandler([window, handler] { (window->*handler)(); }, sender);
    });
}

// Names the operation of object and of the objects inside it (a page of a
// window) for the top-level handler's messages.
void nameOperation(QObject& object, const QString& name);

// The operation an event delivered to receiver belongs to (UTF-8): the
// nearest name given with nameOperation, or the caption of a button or
// menu item, or the window's title.
std::string operationOf(const QObject* receiver);

// A caption as an operation's name: without its '&' markers, a leading
// key letter ("&A 新增") and a trailing "...".
QString operationCaption(const QString& caption);

// The text the top-level handler shows for error (UTF-8): the program's own
// errors (ReportError, ConversionError) their message; any other exception,
// whose text is the library's and means nothing to the user, that the
// operation could not be done.
std::string topLevelErrorText(const std::exception& error, const std::string& operation);
// The text for something thrown that is no std::exception at all.
std::string unknownErrorText(const std::string& operation);

}  // namespace zarvo
