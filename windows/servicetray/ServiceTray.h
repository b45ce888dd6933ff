#pragma once
// The print service's tray icon: its tooltip gives the port and the jobs
// waiting, its menu the ten most recent jobs and the service's commands
// (暫停列印 / 繼續列印, 開啟表單資料夾, 允許的網頁..., 結束服務). A job that
// fails is told once in a tray message.

#include <string>
#include <vector>

#include <QObject>
#include <QPointer>

#include "service/JobQueue.h"
#include "service/OriginAccess.h"
#include "service/ServiceDesktop.h"
#include "service/ServiceFiles.h"

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace zarvo {

class TOriginsForm;

struct ServiceTraySettings {
    int port = kDefaultServicePort;
    std::string formsFolder;                     // the first forms folder
    std::vector<std::string> configuredOrigins;  // service.conf's
};

class TServiceTray : public QObject {
    Q_OBJECT

public:
    // jobs and origins (not owned) outlive the tray. Nothing is shown
    // before show().
    TServiceTray(JobQueue& jobs, OriginAccess& origins, ServiceTraySettings settings, QObject* parent = nullptr);
    ~TServiceTray() override;

    // A listener for JobQueue::addListener: hands each change, from
    // whichever thread, to the tray's thread.
    JobQueue::Listener listener();
    // Lists the queue's jobs afresh (after it has started).
    void reload();
    // Takes one job's change (on the tray's thread).
    void jobChanged(const JobRecord& job);

    // Puts the icon in the system tray.
    void show();

    QSystemTrayIcon& icon() { return *icon_; }
    QMenu& menu() { return *menu_; }

    // The menu's commands.
    void togglePause();
    void openFormsFolder();
    // Shows the allowed web pages dialog (the one open, if any).
    TOriginsForm& showOrigins();

signals:
    // A tray message was shown (or would be, with no tray to show it).
    void messageShown(const QString& title, const QString& text);
    // 結束服務 was chosen.
    void quitRequested();

private:
    QAction* addAction(const char* name, const QString& text);
    void refresh();
    void showMessage(const TrayMessage& message, bool warning);

    JobQueue& jobs_;
    OriginAccess& origins_;
    ServiceTraySettings settings_;
    RecentJobs recent_{{}};

    QMenu* menu_;
    QSystemTrayIcon* icon_;
    std::vector<QAction*> jobActions_;
    QAction* act_nojobs;
    QAction* act_pause;
    QAction* act_forms;
    QAction* act_origins;
    QAction* act_quit;
    QPointer<TOriginsForm> originsForm_;
};

}  // namespace zarvo
