#pragma once
// Start-up: the application's permanent windows, created in a fixed order
// (the main window first, the others before the main window is first shown)
// and destroyed at the end in reverse order; then the event loop.

#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <QString>
#include <QStringList>

class QWidget;

namespace zarvo {

class Spooler;

// One permanent window and the global pointer that holds it.
struct StartupStep {
    const char* name;      // the global pointer's name, e.g. "zarvo2_Form"
    // Creates the window printing on printers, stores it in the pointer, returns it.
    QWidget* (*create)(Spooler& printers);
    void (*destroy)();     // deletes the window the pointer holds, sets it to nullptr
};

// Zarvo's permanent windows in their creation order.
std::span<const StartupStep> startupSteps();

class StartupWindows {
public:
    // Creates every step's window in order, for printers (not owned, outlives
    // the windows); when one throws, the windows already created are
    // destroyed and the exception passes on.
    StartupWindows(std::span<const StartupStep> steps, Spooler& printers);
    // Destroys the created windows, last created first.
    ~StartupWindows();
    StartupWindows(const StartupWindows&) = delete;
    StartupWindows& operator=(const StartupWindows&) = delete;

    // Names of the windows created, in creation order.
    const std::vector<std::string>& order() const { return order_; }
    // The first window created: the main window (owned here, never null).
    QWidget* mainWindow() const { return mainWindow_; }

private:
    void destroyAll();

    std::vector<const StartupStep*> created_;
    std::vector<std::string> order_;
    QWidget* mainWindow_ = nullptr;
};

// Creates the windows of steps (at least one) for printers, shows the main window, runs
// started on it (when given) and then the event loop until it closes. An
// exception escaping start-up or the loop is shown with the standard
// exception display. Returns 0, the exit status.
int runApplication(std::span<const StartupStep> steps, Spooler& printers,
                   const std::function<void(QWidget& main)>& started = {});


class MainWindow;

// The designer's document at start-up: the recovery copies kept in
// recoveryDirectory (empty: the user's own, RecoveryStore::defaultDirectory)
// are offered first; unless one comes back, file (when
// given) is opened as Open does, a file that cannot be read leaving the new
// document with Open's message. From then on the window keeps copies there.
void startDocument(MainWindow& form, const std::optional<QString>& file,
                   const std::filesystem::path& recoveryDirectory);

}  // namespace zarvo
