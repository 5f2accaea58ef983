#pragma once
// The main window: the three list pages, the status bar, the work panel, the
// menus, the tray icon and the timers. It holds the program state, runs the
// start-up sequence and the program exit, answers the routines' requests of
// the window (core::Shell) and turns widget events into routine calls.

#include "capture/BrowserHistoryImports.h"
#include "capture/BrowserSystem.h"
#include "capture/OpenWithLinuxBrowser.h"
#include "core/App.h"
#include "core/MenuRules.h"
#include "core/Shell.h"
#include "platform/Autostart.h"
#include "platform/FtpClient.h"
#include "platform/LocaleFormats.h"
#include "platform/DefaultRouteAddress.h"
#include "platform/AsyncResolver.h"
#include "platform/PrivilegedHostsWriter.h"
#include "platform/UrlOpener.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>

class QTimer;
class QSocketNotifier;

namespace quillon::verify {
class TWinshoeIPWatch;
class FreshOnUse;
class BackgroundRefresh;
}
namespace quillon::capture {
class CaptureLookups;
class HistoryFollower;
}

namespace quillon::ui {

class HostListModel;
class HostListView;
class MainMenu;
class PageControl;
class StatusPanels;
class TFormSplash;
class TrayIcon;
class WidgetDialogs;
class WorkPanel;

// What the window is given from outside: the system's services and where
// the program's files are.
struct MainWindowEnvironment {
    platform::FileSystem& fs;
    platform::Clock& clock;
    platform::Resolver& resolver;
    // The browsers' side of the desktop: DDE, windows, registry, history.
    capture::BrowserSystem& browsers;
    // Where the program's own files are (settings, lists, pages).
    core::ProgramFolders folders;
    platform::DateTimeFormats dateFormats;
    // A person other than the window's own dialogs (tests script one).
    core::Dialogs* dialogs = nullptr;
    // The splash's wait; QThread::msleep unless a test records it.
    std::function<void(int milliseconds)> sleep;
    // The Linux browsers' profiles and the folder for private copies of
    // their histories; none unless given.
    capture::BrowserHistories histories {};
    // Finds and starts the Linux browsers; none are offered unless given.
    platform::Programs* programs = nullptr;
    // The desktop's handler for pages and addresses; nothing is opened
    // unless given.
    platform::UrlOpener* opener = nullptr;
    // The log-on entry that Options edits; without one, Options shows it
    // absent and cannot create it.
    platform::Autostart* autostart = nullptr;
    // The update check's FTP client; libcurl's unless given.
    platform::FtpClient* ftp = nullptr;
    // The name servers asked about visited hosts' addresses, past the hosts
    // file; those of /etc/resolv.conf unless given. Safe on any thread.
    std::shared_ptr<platform::AsyncResolver> dns {};
    // Where the connection watch reads the computer's address; the kernel's
    // default route unless given.
    platform::DefaultRouteAddress* routeAddress = nullptr;
    // Writes /etc/hosts for a person who may not; none: always written directly.
    platform::PrivilegedHostsWriter* hostsWriter = nullptr;
    // Many names at once: verification runs' look-ahead and the captures'
    // lookups, over the hosts file and the name servers as the system's
    // resolver has them; c-ares over /etc/hosts and /etc/resolv.conf unless
    // given. Safe on any thread; shared with answers still on their way.
    std::shared_ptr<platform::AsyncResolver> lookups {};
};

class TFormMain final : public QMainWindow, public core::Shell {
    Q_OBJECT

public:
    explicit TFormMain(MainWindowEnvironment environment, QWidget* parent = nullptr);
    ~TFormMain() override;

    // The start-up sequence, from the settings to the window (or the tray
    // icon) shown.
    void start();

    core::App& app() { return *m_app; }
    core::ProgramState& state() { return *m_state; }
    HostListView* listView(int page) const { return m_views.at(static_cast<std::size_t>(page)); }
    HostListModel* listModel(int page) const { return m_models.at(static_cast<std::size_t>(page)); }
    HostListView* currentView() const;
    MainMenu* mainMenu() const { return m_menu; }
    TrayIcon* tray() const { return m_tray; }
    StatusPanels* statusPanels() const { return m_status; }
    WorkPanel* workPanel() const { return m_work; }
    PageControl* pageControl() const { return m_pages; }
    QTimer* timer(core::Timer which) const;
    bool exited() const { return m_exited; }
    verify::TWinshoeIPWatch& connectionWatch() const { return *m_watch; }
    QTimer* connectionWatchTimer() const { return m_watchTimer; }

    // core::Shell
    void setInterfaceUnlocked(bool unlocked) override;
    void setTimerEnabled(core::Timer timer, bool enabled) override;
    void showActivity(int indicator) override;
    void showHostCount() override;
    int currentPage() const override;
    void setCurrentPage(int page) override;
    void processEvents() override;
    void setStatusPanelText(int panel, const std::string& text) override;
    // A message in the widest panel (the current host's) for ten seconds,
    // after which the panel shows what it showed before.
    void showStatusMessage(const std::string& text);
    std::vector<int> selectedRows(int page) const override;
    void selectRows(int page, const std::vector<int>& rows) override;
    void selectCurrentRow(int page, int row) override;
    void scrollRowToTop(int page, int row) override;
    void setBusyCursor(bool busy) override;

    // Commands and events.
    void MenuFileSaveClick();
    void MenuFileCloseClick();
    void MenuTNAOpenClick();
    void MenuTNAExitClick();
    void WorkButtonCancelClick();
    void PageControl1Change();
    void MenuFileClick();
    void MenuEditClick();
    void MenuVerifyClick();
    void PopupMenu1Popup(const QPoint& globalPos);
    void MenuToolsOptionsClick();
    void MenuToolsHostsChangesClick();
    void MenuHelpStatusChartClick();
    void MenuHelpAboutClick();
    // The program exit: save, keep the placement, close, quit. False when
    // the program stays (its final save failed and the person chose to keep
    // the changes).
    bool programExit();
    // A request from outside to end (a termination signal, the session
    // ending): the running operation ends as Cancel would end it, open
    // dialogs close, and once back in the main loop the exit save runs.
    void endFromOutside();

    core::MenuContext menuContext() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildWindow();
    void buildTimers();
    void connectCommands();
    void applyPlacement();
    void dressWindow();
    void layoutForSize();
    void showFromTray();
    core::WindowPlacement currentPlacement() const;
    void exitWhenIdle();
    // The poll for captures' answers runs while any are pending and the
    // ticks may run.
    void pollCaptureLookups();

    MainWindowEnvironment m_env;
    std::unique_ptr<core::ProgramState> m_state;
    // Before the watch, which reads it.
    std::unique_ptr<platform::DefaultRouteAddress> m_ownRouteAddress;
    std::unique_ptr<verify::TWinshoeIPWatch> m_watch;
    std::unique_ptr<WidgetDialogs> m_ownDialogs;
    std::unique_ptr<core::Dialogs> m_dialogs;
    std::unique_ptr<core::App> m_app;
    std::unique_ptr<TFormSplash> m_splash;

    PageControl* m_pages = nullptr;
    std::array<HostListView*, 3> m_views {};
    std::array<HostListModel*, 3> m_models {};
    StatusPanels* m_status = nullptr;
    WorkPanel* m_work = nullptr;
    MainMenu* m_menu = nullptr;
    TrayIcon* m_tray = nullptr;
    QTimer* m_timerDDE = nullptr;
    QTimer* m_timerFiles = nullptr;
    QTimer* m_timerCheck = nullptr;
    QTimer* m_timerHistory = nullptr;
    std::unique_ptr<capture::HistoryFollower> m_follower;
    std::unique_ptr<capture::CaptureLookups> m_lookups;
    // Checks of visited hosts' addresses with the name servers, and of
    // every entry as it ages.
    std::unique_ptr<verify::FreshOnUse> m_fresh;
    std::unique_ptr<verify::BackgroundRefresh> m_refresh;
    QTimer* m_timerRefresh = nullptr;
    // The first check of aged entries, this long after the start.
    static constexpr int RefreshStartMs = 2000;
    // An activity shown since the light's last paint (ActivityNone: none).
    int m_lightActivity = core::ActivityNone;
    QString m_panel1Text;       // what panel 1 shows under a message
    QTimer* m_messageTimer = nullptr;
    QTimer* m_timerLookups = nullptr;
    std::unique_ptr<capture::LinuxBrowserLauncher> m_launcher;
    class NoPrograms;
    std::unique_ptr<platform::Programs> m_noPrograms;
    class NoDesktop;
    std::unique_ptr<NoDesktop> m_noDesktop;
    // The update check's FTP client (FTPClient2), unless one was given.
    std::unique_ptr<platform::FtpClient> m_FTPClient2;
    QTimer* m_watchTimer = nullptr;
    QSocketNotifier* m_termination = nullptr;

    bool m_startMaximized = false;
    bool m_shownOnce = false;
    bool m_exiting = false;
    bool m_exited = false;
};

} // namespace quillon::ui
