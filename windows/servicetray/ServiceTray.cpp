#include "servicetray/ServiceTray.h"

#include <filesystem>
#include <limits>
#include <system_error>

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QUrl>

#include "servicetray/OriginsForm.h"

// The built-in icons of a static library are registered by hand.
static void registerTrayIcons() { Q_INIT_RESOURCE(service_tray_icons); }

namespace zarvo {

namespace {

// The program's icon: the installed theme's, else the one built in.
QIcon serviceIcon() {
    registerTrayIcons();
    QIcon builtIn;
    for (const char* size : {"16x16", "22x22", "24x24", "32x32", "48x48", "64x64"}) {
        builtIn.addFile(QStringLiteral(":/zarvo/icons/%1/zarvo.png").arg(QLatin1String(size)));
    }
    return QIcon::fromTheme(QStringLiteral("zarvo"), builtIn);
}

// text as a menu shows it: '&' would mark a shortcut key.
QString menuText(const std::string& text) { return QString::fromStdString(text).replace(u'&', QStringLiteral("&&")); }

}  // namespace

TServiceTray::TServiceTray(JobQueue& jobs, OriginAccess& origins, ServiceTraySettings settings, QObject* parent)
    : QObject(parent), jobs_(jobs), origins_(origins), settings_(std::move(settings)) {
    setObjectName(QStringLiteral("ServiceTray"));
    menu_ = new QMenu;
    menu_->setObjectName(QStringLiteral("MU_service"));
    for (std::size_t i = 0; i < RecentJobs::kShown; ++i) {
        QAction* job = addAction(nullptr, QString());
        job->setObjectName(QStringLiteral("act_job%1").arg(i));
        job->setEnabled(false);
        jobActions_.push_back(job);
    }
    act_nojobs = addAction("act_nojobs", QString());
    act_nojobs->setEnabled(false);
    menu_->addSeparator();
    act_pause = addAction("act_pause", QString());
    connect(act_pause, &QAction::triggered, this, &TServiceTray::togglePause);
    act_forms = addAction("act_forms", QStringLiteral("開啟表單資料夾"));
    connect(act_forms, &QAction::triggered, this, &TServiceTray::openFormsFolder);
    act_origins = addAction("act_origins", QStringLiteral("允許的網頁..."));
    connect(act_origins, &QAction::triggered, this, [this] { showOrigins(); });
    menu_->addSeparator();
    act_quit = addAction("act_quit", QStringLiteral("結束服務"));
    connect(act_quit, &QAction::triggered, this, &TServiceTray::quitRequested);

    icon_ = new QSystemTrayIcon(serviceIcon(), this);
    icon_->setObjectName(QStringLiteral("ServiceTrayIcon"));
    icon_->setContextMenu(menu_);
    refresh();
}

TServiceTray::~TServiceTray() {
    delete originsForm_.data();
    delete menu_;
}

QAction* TServiceTray::addAction(const char* name, const QString& text) {
    QAction* action = menu_->addAction(text);
    if (name) action->setObjectName(QLatin1String(name));
    return action;
}

JobQueue::Listener TServiceTray::listener() {
    QPointer<TServiceTray> tray(this);
    // The pointer is read on the tray's thread only, where the tray is deleted.
    return [tray](const JobRecord& job) {
        QMetaObject::invokeMethod(QCoreApplication::instance(), [tray, job] {
            if (tray) tray->jobChanged(job);
        }, Qt::QueuedConnection);
    };
}

void TServiceTray::reload() {
    recent_ = RecentJobs(jobs_.recent(std::numeric_limits<std::size_t>::max()));
    refresh();
}

void TServiceTray::jobChanged(const JobRecord& job) {
    const RecentJobs::Change change = recent_.apply(job);
    if (change.shownChanged) refresh();
    if (change.failedNow) showMessage(failedJobMessage(job), true);
}

void TServiceTray::show() { icon_->show(); }

void TServiceTray::refresh() {
    const bool paused = jobs_.paused();
    const TrayMenuState state = trayMenuState(recent_, paused, settings_.formsFolder);
    for (std::size_t i = 0; i < jobActions_.size(); ++i) {
        const bool used = i < state.jobLines.size();
        jobActions_[i]->setVisible(used);
        jobActions_[i]->setText(used ? menuText(state.jobLines[i]) : QString());
    }
    act_nojobs->setText(menuText(state.noJobsText));
    act_nojobs->setVisible(state.jobLines.empty());
    act_pause->setText(menuText(state.pauseText));
    act_forms->setEnabled(state.openFormsEnabled);
    icon_->setToolTip(QString::fromStdString(trayToolTip(settings_.port, recent_.waiting(), paused)));
}

void TServiceTray::togglePause() {
    jobs_.setPaused(!jobs_.paused());
    refresh();
}

void TServiceTray::openFormsFolder() {
    const std::string& folder = settings_.formsFolder;
    // The default folder does not exist before the first form is put there.
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        showMessage({"無法開啟表單資料夾", folder + ": " + error.message()}, true);
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(folder)))) {
        showMessage({"無法開啟表單資料夾", folder + ": 沒有可以開啟資料夾的程式"}, true);
    }
}

TOriginsForm& TServiceTray::showOrigins() {
    if (!originsForm_) {
        originsForm_ = new TOriginsForm(origins_, settings_.configuredOrigins);
        originsForm_->setAttribute(Qt::WA_DeleteOnClose);
    } else {
        originsForm_->reload();
    }
    originsForm_->show();
    originsForm_->raise();
    originsForm_->activateWindow();
    return *originsForm_;
}

void TServiceTray::showMessage(const TrayMessage& message, bool warning) {
    const QString title = QString::fromStdString(message.title);
    const QString text = QString::fromStdString(message.text);
    icon_->showMessage(title, text, warning ? QSystemTrayIcon::Warning : QSystemTrayIcon::Information);
    emit messageShown(title, text);
}

}  // namespace zarvo
