#pragma once
// Errors of the windows' event handlers reach the application's top-level
// handler, which shows them and lets the program go on.

#include <functional>

#include <QObject>

namespace zarvo {

// Runs work as the body of an event handler. What it throws is delivered
// to the application's top-level handler through the application's event
// delivery instead of unwinding through the toolkit's own input handling
// (a button's click), which is not built to be unwound.
void runHandler(const std::function<void()>& work);

// Connects sender's signal to window's handler, run through runHandler.
template <typename Sender, typename Signal, typename Window>
void bindHandler(Sender* sender, Signal signal, Window* window, void (Window::*handler)()) {
    QObject::connect(sender, signal, window,
                     [window, handler] { runHandler([window, handler] { (window->*handler)(); }); });
}

}  // namespace zarvo
