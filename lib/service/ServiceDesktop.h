#pragma once
// What the print service shows the person at this computer when it runs
// on a desktop: whether there is a display to show it on, the texts of its
// tray icon and menu, the jobs that menu lists and the web page origins
// its dialog lists. No widgets here; the tray binds these.

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "service/JobSpool.h"

namespace zarvo {

// The variables that tell whether a display is there.
struct DisplayEnvironment {
    std::string display;         // $DISPLAY
    std::string waylandDisplay;  // $WAYLAND_DISPLAY
    std::string qpaPlatform;     // $QT_QPA_PLATFORM: "", "xcb", "wayland;xcb", "offscreen", ...
};

// The process's own.
DisplayEnvironment currentDisplayEnvironment();

// The Qt platform that reaches a display, as QT_QPA_PLATFORM would name it
// ("xcb", "wayland", "xcb:option", ...), nullopt when there is none: the
// first of QT_QPA_PLATFORM's choices whose display is set, as long as no
// choice before it is a platform without a display (offscreen, minimal,
// ...); without QT_QPA_PLATFORM, Wayland when WAYLAND_DISPLAY is set,
// else X11 when DISPLAY is.
std::optional<std::string> desktopPlatform(const DisplayEnvironment& environment);

// A job's state as the person reads it: "排隊中", "列印中", ...
std::string jobStateText(JobState state);

// A job's line in the tray menu: "delivery_note → Office — 列印中", with
// "PDF" for a PDF job and the form's name shortened to 40 characters.
std::string trayJobLine(const JobRecord& job);

// The tray icon's tooltip: the port, the jobs waiting and whether printing
// is paused.
std::string trayToolTip(int port, std::size_t waiting, bool paused);

// The menu entry that pauses or resumes printing.
std::string pauseActionText(bool paused);

// The message a failed job shows once: title and text.
struct TrayMessage {
    std::string title;
    std::string text;
};
TrayMessage failedJobMessage(const JobRecord& job);

// The most recent jobs as the tray shows them, kept up to date from the
// queue's changes. Not thread-safe: one thread (the tray's) owns it.
class RecentJobs {
public:
    static constexpr std::size_t kShown = 10;

    // known: the jobs the queue holds at the start, in any order.
    explicit RecentJobs(const std::vector<JobRecord>& known);

    // What one change did to what the tray shows.
    struct Change {
        bool shownChanged = false;  // the listed jobs or the count waiting changed
        bool failedNow = false;     // the job has just failed: tell the person once
    };
    // Takes a job's new record. A job that has ended changes no more here:
    // a late record of it (changes reach the tray from several threads)
    // is passed over.
    Change apply(const JobRecord& job);

    // At most kShown jobs, most recently accepted first.
    const std::vector<JobRecord>& shown() const { return shown_; }
    // The jobs not yet printing (queued or waiting for the printer).
    std::size_t waiting() const { return waiting_.size(); }

private:
    void count(const JobRecord& job);

    std::vector<JobRecord> shown_;
    std::set<std::string> waiting_;  // ids
    std::set<std::string> ended_;    // ids of the ended jobs seen, for late records
};

// What the tray menu shows, beside its fixed entries.
struct TrayMenuState {
    std::vector<std::string> jobLines;  // the recent jobs' lines, most recent first
    std::string noJobsText;             // shown (disabled) in their place when there is none
    std::string pauseText;
    bool openFormsEnabled = false;      // there is a forms folder to open
};
TrayMenuState trayMenuState(const RecentJobs& jobs, bool paused, const std::string& formsFolder);

// One row of the allowed web pages dialog.
struct OriginRow {
    std::string origin;
    bool configured = false;  // from service.conf: shown as such, cannot be removed here
    std::string note;         // "設定檔" or "已允許"
};

// The configured origins first, in the file's order, then those the person
// allowed, sorted, each origin once (a configured one stays configured).
std::vector<OriginRow> originRows(const std::vector<std::string>& configured, std::vector<std::string> paired);

}  // namespace zarvo
