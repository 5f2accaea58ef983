#include "ui/TFormMain.h"

#include "core/DateTime.h"
#include "core/EndingAwareDialogs.h"
#include "core/IniFile.h"
#include "core/Interface.h"
#include "core/Options.h"
#include "core/HostsRestore.h"
#include "core/ProductInfo.h"
#include "core/HostsWatch.h"
#include "core/WindowPlacement.h"
#include "core/ProgramExit.h"
#include "core/SaveAll.h"
#include "core/Startup.h"
#include "capture/BrowserCapture.h"
#include "capture/CaptureLookups.h"
#include "capture/ExplorerImports.h"
#include "capture/HistoryDatabase.h"
#include "capture/HistoryFollower.h"
#include "capture/IgnoreListEditor.h"
#include "capture/NetscapeImports.h"
#include "capture/OpenInBrowser.h"
#include "capture/frmIgnoreList.h"
#include "core/HostListFile.h"
#include "core/HostSort.h"
#include "core/ListCommands.h"
#include "platform/TerminationSignal.h"
#include "platform/linux/TSimpleFTP.h"
#include "verify/AddHost.h"
#include "verify/AddressTool.h"
#include "verify/frmVerify.h"
#include "verify/Scheduler.h"
#include "verify/TWinshoeIPWatch.h"
#include "verify/BackgroundRefresh.h"
#include "verify/FreshOnUse.h"
#include "platform/linux/CaresResolver.h"
#include "platform/linux/FreshAnswerQuery.h"
#include "platform/linux/KernelRouteAddress.h"
#include "verify/VerificationRuns.h"
#include "ui/HostListModel.h"
#include "ui/HostListView.h"
#include "ui/Icons.h"
#include "ui/MainMenu.h"
#include "ui/PageControl.h"
#include "ui/PaintPacer.h"
#include "ui/StatusPanels.h"
#include "ui/TFormAbout.h"
#include "ui/TFormOptions.h"
#include "ui/TFormChanges.h"
#include "ui/TFormStatusChart.h"
#include "ui/TFormSplash.h"
#include "ui/TrayIcon.h"
#include "ui/UpdateCheck.h"
#include "ui/WidgetDialogs.h"
#include "ui/WindowLayout.h"
#include "ui/WorkPanel.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDialog>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <QVBoxLayout>

#include <iostream>

namespace quillon::ui {

// Without programs given, no Linux browser is installed.
class TFormMain::NoPrograms final : public platform::Programs {
public:
    std::string find(const std::vector<std::string>&) override { return {}; }
    bool start(const std::string&, const std::vector<std::string>&) override { return false; }
};

// Without a page handler or log-on entry given, nothing is opened and there
// is no entry to create.
class TFormMain::NoDesktop final : public platform::UrlOpener, public platform::Autostart {
public:
    void open(const std::string&) override { }
    std::optional<std::string> command() override { return std::nullopt; }
    bool enable(const std::string&) override { return false; }
    bool disable() override { return true; }
};

namespace {

constexpr const char* ExitQuestion = "Exit Quillon ?";
constexpr const char* ExitRefused = "WARNING! Verification in progress! Before exiting, wait for the end of the "
                                    "operation or abort it manually in order to avoid loss of data.";
constexpr const char* AbortQuestion = "Abort operation ?";

void switchTimer(QTimer* timer, bool on)
{
    if (on && !timer->isActive())
        timer->start();
    else if (!on)
        timer->stop();
}

} // namespace

TFormMain::TFormMain(MainWindowEnvironment environment, QWidget* parent)
    : QMainWindow(parent)
    , m_env(std::move(environment))
    , m_state(std::make_unique<core::ProgramState>(m_env.dateFormats))
    , m_ownRouteAddress(m_env.routeAddress ? nullptr : std::make_unique<platform::KernelRouteAddress>())
    , m_watch(std::make_unique<verify::TWinshoeIPWatch>(m_env.routeAddress ? *m_env.routeAddress : *m_ownRouteAddress,
                                                         m_env.fs,
                                                         m_env.folders.data + "iphist.dat"))
{
    setObjectName(QStringLiteral("TFormMain"));
    buildWindow();
    buildTimers();
    core::Dialogs* dialogs = m_env.dialogs;
    if (!dialogs) {
        m_ownDialogs = std::make_unique<WidgetDialogs>(this, *m_work);
        dialogs = m_ownDialogs.get();
    }
    m_dialogs = std::make_unique<core::EndingAwareDialogs>(*dialogs, *m_state, [](const std::string& text) {
        std::cerr << "Quillon: " << text << std::endl;
    });
    m_app = std::make_unique<core::App>(
        core::App { *m_state, m_env.fs, m_env.clock, *m_dialogs, *this, m_env.resolver, *m_watch });
    m_app->hostsWriter = m_env.hostsWriter;
    if (!m_env.lookups)
        m_env.lookups = std::make_shared<platform::CaresResolver>();
    m_app->lookups = m_env.lookups;
    m_lookups = std::make_unique<capture::CaptureLookups>(m_env.lookups);
    m_fresh = std::make_unique<verify::FreshOnUse>(m_env.dns ? m_env.dns
                                                             : std::make_shared<platform::FreshAnswerQuery>());
    m_lookups->onVisit = [this](core::App& app, const std::string& name) { m_fresh->visited(app, name); };
    m_refresh = std::make_unique<verify::BackgroundRefresh>(*m_fresh);
    if (!m_env.programs) {
        m_noPrograms = std::make_unique<NoPrograms>();
        m_env.programs = m_noPrograms.get();
    }
    if (!m_env.opener || !m_env.autostart) {
        m_noDesktop = std::make_unique<NoDesktop>();
        if (!m_env.opener)
            m_env.opener = m_noDesktop.get();
        if (!m_env.autostart)
            m_env.autostart = m_noDesktop.get();
    }
    if (!m_env.ftp) {
        m_FTPClient2 = std::make_unique<platform::TSimpleFTP>();
        m_env.ftp = m_FTPClient2.get();
    }
    m_launcher = std::make_unique<capture::LinuxBrowserLauncher>(capture::LinuxBrowserLauncher {
        *m_env.programs, capture::findInstalledBrowsers(*m_env.programs), [](const std::string& url) {
            return QDesktopServices::openUrl(QUrl(QString::fromLocal8Bit(url)));
        } });
    connectCommands();
}

TFormMain::~TFormMain()
{
    // The models listen to the lists, which the members below own: they go
    // first, before the members and long before QObject deletes children.
    for (HostListModel*& model : m_models) {
        delete model;
        model = nullptr;
    }
}

void TFormMain::buildWindow()
{
    setWindowTitle(QStringLiteral("Quillon"));
    setWindowIcon(icons::appIcon());
    // ShapeSize: the window is never smaller than this.
    setMinimumSize(layout::MinWidth, layout::MinHeight);
    resize(layout::DesignWidth, layout::DesignHeight);

    m_menu = new MainMenu(menuBar(), this);

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* banner = new QFrame(central);
    banner->setObjectName(QStringLiteral("PanelBanner"));
    banner->setFixedHeight(layout::BannerHeight);
    banner->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    banner->setLineWidth(1);
    banner->setAutoFillBackground(true);
    QPalette bannerPalette = banner->palette();
    bannerPalette.setColor(QPalette::Window, Qt::white);
    banner->setPalette(bannerPalette);
    auto* bannerRow = new QHBoxLayout(banner);
    bannerRow->setContentsMargins(5, 5, 5, 5);
    auto* logo = new QLabel(banner);
    logo->setObjectName(QStringLiteral("BannerLogo"));
    logo->setPixmap(icons::logo(layout::BannerHeight - 14, devicePixelRatioF()));
    bannerRow->addWidget(logo);
    bannerRow->addStretch(1);
    column->addWidget(banner);

    m_pages = new PageControl(central);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    const char* captions[3] = { "Hosts", "Verification Wait", "Trash" };
    for (int i = 0; i < 3; ++i) {
        auto* sheet = new QWidget(m_pages);
        sheet->setObjectName(QStringLiteral("TabSheet%1").arg(i + 1));
        auto* sheetLayout = new QVBoxLayout(sheet);
        sheetLayout->setContentsMargins(2, 2, 2, 2);
        auto* view = new HostListView(sheet);
        view->setObjectName(QStringLiteral("ListView%1").arg(i + 1));
        auto* model = new HostListModel(m_state->store, core::pageFromIndex(i), m_state->dateText, this);
        model->setStatusIcons({ icons::statusIcon(0), icons::statusIcon(1), icons::statusIcon(2),
                                icons::statusIcon(3) });
        view->setModel(model);
        sheetLayout->addWidget(view);
        m_pages->addTab(sheet, icons::tabIcon(i), QString::fromLatin1(captions[i]));
        m_views[static_cast<std::size_t>(i)] = view;
        m_models[static_cast<std::size_t>(i)] = model;
    }
    column->addWidget(m_pages, 1);

    m_status = new StatusPanels(central);
    m_status->light()->setPicture([this](qreal dpr) {
        // An activity shown since the last paint, however briefly, is what
        // this paint shows: a run turns the light on and off for every host,
        // many times between two paints. The next paint shows the state.
        const int shown = m_lightActivity != core::ActivityNone ? m_lightActivity : m_state->activity;
        m_lightActivity = core::ActivityNone;
        if (shown != m_state->activity)
            QTimer::singleShot(0, m_status->light(), qOverload<>(&QWidget::update));
        return icons::activityPixmap(shown, dpr);
    });
    column->addWidget(m_status);
    setCentralWidget(central);

    m_work = new WorkPanel(central);
    m_work->hide();
    m_work->raise();

    m_tray = new TrayIcon(this);
    m_tray->setImage(icons::trayIcon(0));
    m_tray->setHint(QStringLiteral("Quillon"));

    new PaintPacer(this);
}

void TFormMain::buildTimers()
{
    auto makeTimer = [this](const char* name) {
        auto* t = new QTimer(this);
        t->setObjectName(QString::fromLatin1(name));
        return t;
    };
    m_timerDDE = makeTimer("TimerDDE");
    m_timerFiles = makeTimer("TimerFiles");
    m_timerCheck = makeTimer("TimerCheck");
    m_timerHistory = makeTimer("TimerHistory");
    // Applies the answers of captures' lookups soon after they arrive.
    m_timerLookups = makeTimer("TimerCaptureLookups");
    m_timerLookups->setInterval(50);
    // Walks the Hosts list for entries due for a check; it says when it
    // wants its next tick.
    m_timerRefresh = makeTimer("TimerRefresh");
    m_timerRefresh->setSingleShot(true);
    // The connection watch polls on its own timer; the window's design has
    // it switched off until the interface is first unlocked.
    m_watchTimer = makeTimer("WinshoeIPWatch1");
    m_watch->setTimerSwitch([this](bool on, int interval) {
        m_watchTimer->setInterval(interval);
        switchTimer(m_watchTimer, on);
    });
    m_watch->setEnabled(false);
}

void TFormMain::connectCommands()
{
    connect(m_menu->action(QStringLiteral("MenuFileSave")), &QAction::triggered, this,
            &TFormMain::MenuFileSaveClick);
    connect(m_menu->action(QStringLiteral("MenuFileClose")), &QAction::triggered, this,
            &TFormMain::MenuFileCloseClick);
    connect(m_menu->menu(QStringLiteral("MenuFile")), &QMenu::aboutToShow, this, &TFormMain::MenuFileClick);
    connect(m_menu->menu(QStringLiteral("MenuEdit")), &QMenu::aboutToShow, this, &TFormMain::MenuEditClick);
    connect(m_menu->menu(QStringLiteral("MenuVerify")), &QMenu::aboutToShow, this, &TFormMain::MenuVerifyClick);
    for (HostListView* view : m_views)
        connect(view, &HostListView::popupRequested, this, &TFormMain::PopupMenu1Popup);
    connect(m_pages, &QTabWidget::currentChanged, this, &TFormMain::PageControl1Change);
    connect(m_work, &WorkPanel::cancelClicked, this, &TFormMain::WorkButtonCancelClick);
    connect(m_tray, &TrayIcon::openRequested, this, &TFormMain::MenuTNAOpenClick);
    connect(m_tray, &TrayIcon::exitRequested, this, &TFormMain::MenuTNAExitClick);
    connect(m_timerDDE, &QTimer::timeout, this, [this] {
        capture::TimerDDETimer(*m_app, m_env.browsers, *m_lookups);
        pollCaptureLookups();
    });
    connect(m_timerFiles, &QTimer::timeout, this, [this] { core::TimerFilesTick(*m_app); });
    connect(m_timerHistory, &QTimer::timeout, this, [this] {
        capture::TimerHistoryTimer(*m_app, *m_follower, *m_lookups);
        pollCaptureLookups();
    });
    connect(m_timerLookups, &QTimer::timeout, this, [this] {
        m_lookups->applyAnswers(*m_app);
        m_fresh->applyAnswers(*m_app, [this](const std::string& text) { showStatusMessage(text); });
        pollCaptureLookups();
    });
    connect(m_timerCheck, &QTimer::timeout, this, [this] { verify::TimerCheckTimer(*m_app); });
    connect(m_timerRefresh, &QTimer::timeout, this, [this] {
        const int next = m_refresh->tick(*m_app);
        pollCaptureLookups();
        if (!m_state->ending)
            m_timerRefresh->start(next);
    });
    connect(m_watchTimer, &QTimer::timeout, this, [this] { m_watch->poll(); });
    m_watch->OnStatusChanged = [this] { verify::WinshoeIPWatch1StatusChanged(*m_app, *m_watch); };

    auto bind = [this](const char* name, void (*routine)(core::App&)) {
        connect(m_menu->action(QString::fromLatin1(name)), &QAction::triggered, this,
                [this, routine] { routine(*m_app); });
    };
    bind("MenuVerifyVerifySelection", &verify::MenuVerifyVerifySelectionClick);
    bind("MenuPopupVerify", &verify::MenuPopupVerifyClick);
    bind("MenuVerifyVerifyHosts", &verify::MenuVerifyVerifyHostsClick);
    bind("MenuVerifyVerifyHostsQQD", &verify::MenuVerifyVerifyHostsQQDClick);
    bind("MenuVerifyAutoVerifyHosts", &verify::MenuVerifyAutoVerifyHostsClick);
    bind("MenuEditAddHost", &verify::MenuEditAddHostClick);
    bind("MenuEditAddHostQQD", &verify::MenuEditAddHostQQDClick);
    bind("MenuFileImportHosts", &core::MenuFileImportHostsClick);
    auto bindBrowsers = [this](const char* name, void (*routine)(core::App&, capture::BrowserSystem&)) {
        connect(m_menu->action(QString::fromLatin1(name)), &QAction::triggered, this,
                [this, routine] { routine(*m_app, m_env.browsers); });
    };
    bindBrowsers("MenuImportIExplorerCache", &capture::MenuImportIExplorerCacheClick);
    bindBrowsers("MenuImportIExplorerBookmarks", &capture::MenuImportIExplorerBookmarksClick);
    bindBrowsers("MenuImportNetscapeCache", &capture::MenuImportNetscapeCacheClick);
    bindBrowsers("MenuImportNetscapeBookmarks", &capture::MenuImportNetscapeBookmarksClick);
    bindBrowsers("MenuTestDDE", &capture::MenuTestDDEClick);
    const struct {
        const char* item;
        capture::BrowserFamily family;
        capture::BrowserImport what;
    } historyImports[] = {
        { "MenuImportFirefoxHistory", capture::BrowserFamily::Firefox, capture::BrowserImport::History },
        { "MenuImportFirefoxBookmarks", capture::BrowserFamily::Firefox, capture::BrowserImport::Bookmarks },
        { "MenuImportChromiumHistory", capture::BrowserFamily::Chromium, capture::BrowserImport::History },
        { "MenuImportChromiumBookmarks", capture::BrowserFamily::Chromium, capture::BrowserImport::Bookmarks },
    };
    for (const auto& h : historyImports) {
        connect(m_menu->action(QString::fromLatin1(h.item)), &QAction::triggered, this,
                [this, family = h.family, what = h.what] {
                    capture::importFromBrowsers(*m_app, m_env.histories, family, what);
                });
    }
    for (const char* prefix : { "MenuFileOpen", "MenuPopupOpen" }) {
        const QString p = QString::fromLatin1(prefix);
        for (const auto& [suffix, browser] :
             { std::pair { "Default", capture::LinuxBrowser::Default }, std::pair { "Firefox", capture::LinuxBrowser::Firefox },
               std::pair { "Chromium", capture::LinuxBrowser::Chromium } }) {
            QAction* action = m_menu->action(p + QLatin1String(suffix));
            connect(action, &QAction::triggered, this,
                    [this, b = browser] { capture::OpenSelectedHostWith(*m_app, *m_launcher, b); });
            // Only the browsers that are installed are offered.
            if (browser == capture::LinuxBrowser::Firefox)
                action->setVisible(!m_launcher->installed.firefox.empty());
            if (browser == capture::LinuxBrowser::Chromium)
                action->setVisible(!m_launcher->installed.chromium.empty());
        }
    }
    for (const auto& [item, browser] : { std::pair { "MenuFileOpenIExplorer", capture::Browser::InternetExplorer },
                                         std::pair { "MenuPopupOpenIExplorer", capture::Browser::InternetExplorer },
                                         std::pair { "MenuFileOpenNavigator", capture::Browser::NetscapeNavigator },
                                         std::pair { "MenuPopupOpenNavigator", capture::Browser::NetscapeNavigator } }) {
        connect(m_menu->action(QString::fromLatin1(item)), &QAction::triggered, this,
                [this, b = browser] { capture::OpenSelectedHost(*m_app, m_env.browsers, b); });
    }
    bind("MenuFileExportHosts", &core::MenuFileExportHostsClick);

    // The list commands; the pop-up items start the same operations, and the
    // Edit menu's alias items run the pop-up's alias commands.
    auto bindBoth = [&](const char* mainItem, const char* popupItem, void (*routine)(core::App&)) {
        bind(mainItem, routine);
        bind(popupItem, routine);
    };
    bindBoth("MenuEditEmptyRecycle", "MenuPopupEmptyRecycle", &core::emptyTrashCommand);
    bindBoth("MenuEditEditAlias", "MenuPopupEditAlias", &core::modifyAlias);
    bindBoth("MenuEditDeleteAlias", "MenuPopupDeleteAlias", &core::removeAlias);
    bindBoth("MenuEditRestore", "MenuPopupRestore", &core::restoreSelectedRows);
    bindBoth("MenuEditDeleteRow", "MenuPopupDeleteRow", &core::deleteSelectedRows);
    bindBoth("MenuEditFindHost", "MenuPopupFindHost",
             [](core::App& app) { core::findRow(app, core::FindField::HostName); });
    bindBoth("MenuEditFindIP", "MenuPopupFindIP", [](core::App& app) { core::findRow(app, core::FindField::IPAddress); });
    bind("MenuEditSelectAll", &core::selectAllRows);
    bind("MenuEditInvertSelection", &core::invertSelection);
    const char* sortSuffixes[] = { "Status", "Hostname", "Alias", "IP", "Date", "Freq" };
    for (int k = 0; k < 6; ++k) {
        const auto key = static_cast<core::SortKey>(k);
        for (const bool descending : { false, true }) {
            const QString name = QStringLiteral("MenuEditSort%1%2")
                                     .arg(descending ? QStringLiteral("Desc") : QString(),
                                          QString::fromLatin1(sortSuffixes[k]));
            connect(m_menu->action(name), &QAction::triggered, this, [this, key, descending] {
                core::sortPage(*m_app, core::pageFromIndex(currentPage()), key,
                               descending ? core::SortDirection::Descending : core::SortDirection::Ascending);
            });
        }
    }
    for (HostListView* view : m_views) {
        connect(view, &HostListView::headerClicked, this, [this](int column) {
            core::sortPage(*m_app, core::pageFromIndex(currentPage()), static_cast<core::SortKey>(column),
                           core::SortDirection::Toggle);
        });
        connect(view, &HostListView::deletePressed, this, [this] { core::deleteSelectedRows(*m_app); });
    }
    connect(m_menu->action(QStringLiteral("MenuToolsIgnoreList")), &QAction::triggered, this, [this] {
        capture::MenuToolsIgnoreListClick(*m_app, [this](capture::IgnoreListEditor& editor) {
            capture::TFormIgnoreList window(editor, this);
            window.exec();
        });
    });
    connect(m_menu->action(QStringLiteral("MenuFileUpdates")), &QAction::triggered, this, [this] {
        MenuFileUpdatesClick(*m_app, *m_env.ftp, *m_env.opener, UpdateCheckSetup { m_state->paths.folders.data });
    });
    connect(m_menu->action(QStringLiteral("MenuToolsManualVerify")), &QAction::triggered, this, [this] {
        verify::MenuToolsManualVerifyClick(*m_app, [this](verify::AddressTool& tool) {
            verify::TFormVerify window(tool, this);
            window.exec();
        });
    });
    connect(m_menu->action(QStringLiteral("MenuToolsOptions")), &QAction::triggered, this,
            &TFormMain::MenuToolsOptionsClick);
    connect(m_menu->action(QStringLiteral("MenuToolsHostsChanges")), &QAction::triggered, this,
            &TFormMain::MenuToolsHostsChangesClick);
    connect(m_menu->action(QStringLiteral("MenuHelpStatusChart")), &QAction::triggered, this,
            &TFormMain::MenuHelpStatusChartClick);
    connect(m_menu->action(QStringLiteral("MenuHelpAbout")), &QAction::triggered, this, &TFormMain::MenuHelpAboutClick);
    const std::pair<const char*, std::function<std::string()>> pages[] = {
        { "MenuHelpHelp", [this] { return m_state->paths.help00; } },
        { "MenuHelpHomePageProgram", [] { return std::string(core::ProductHomePage); } },
        { "MenuHelpHomePageAuthor", [] { return std::string(core::MakerHomePage); } },
    };
    for (const auto& [item, page] : pages)
        connect(m_menu->action(QString::fromLatin1(item)), &QAction::triggered, this,
                [this, page = page] { m_env.opener->open(page()); });

    // A request to end the session or the process saves as the exit does.
    if (const int fd = platform::terminationSignalDescriptor(); fd >= 0) {
        m_termination = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(m_termination, &QSocketNotifier::activated, this, [this] {
            platform::acknowledgeTerminationSignal();
            endFromOutside();
        });
    }
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { endFromOutside(); });
}

void TFormMain::start()
{
    core::ProgramState& s = *m_state;
    // File locations and settings; the splash comes up as soon as its
    // setting is known.
    core::setProgramPaths(s.paths, m_env.folders);
    const core::IniFile ini(m_env.fs, s.paths.ini);
    std::uint64_t splashStart = 0;
    s.settings.StartSplash = core::readStartSplash(ini);
    if (s.settings.StartSplash) {
        splashStart = m_env.clock.tickCountMs();
        m_splash = std::make_unique<TFormSplash>();
        m_splash->showNow();
    }
    core::readRemainingSettings(ini, s.dateText, s.settings);
    s.paths.hostsFile = core::hostsFilePaths(s.settings.HostsFolder);
    // The system's hosts file that this user may not write goes through the
    // privileged helper.
    s.hostsThroughHelper = m_env.hostsWriter && m_env.hostsWriter->neededFor(s.paths.hostsFile.folder);
    applyPlacement();

    m_timerDDE->setInterval(s.settings.DDETimerInterval);
    m_timerFiles->setInterval(s.settings.FilesTimerInterval);
    m_timerCheck->setInterval(s.settings.CheckTimerInterval);
    m_timerHistory->setInterval(s.settings.BrowserHistoryInterval);
    // Only visits from now on are captured; copies an earlier run left go.
    if (!m_env.histories.copyFolder.empty())
        capture::removeLeftoverCopies(m_env.fs, m_env.histories.copyFolder);
    m_follower = std::make_unique<capture::HistoryFollower>(
        m_env.fs, m_env.histories,
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::system_clock::now().time_since_epoch())
            .count());

    core::loadLists(*m_app);
    for (HostListView* view : m_views)
        view->fitColumns();
    dressWindow();

    if (m_splash) {
        const std::uint64_t elapsed = m_env.clock.tickCountMs() - splashStart;
        if (elapsed < 1000) {
            const int rest = static_cast<int>(1000 - elapsed);
            if (m_env.sleep)
                m_env.sleep(rest);
            else
                QThread::msleep(static_cast<unsigned long>(rest));
        }
        m_splash.reset();
    }

    core::setInterfaceLock(*m_app, true);
    m_timerRefresh->start(RefreshStartMs);

    if (s.settings.StartTNA) {
        if (m_tray->available()) {
            m_tray->setActive(true);
        } else {
            // Without a notification area the window could never come back
            // from hiding: it starts minimised instead.
            showMinimized();
        }
    } else {
        MenuTNAOpenClick();
    }
}

void TFormMain::applyPlacement()
{
    const core::Settings& s = m_state->settings;
    QRect screen(0, 0, 1024, 768);
    if (const QScreen* primary = QGuiApplication::primaryScreen())
        screen = primary->geometry();
    const layout::Placement p =
        layout::startPlacement(s.WindowTop, s.WindowLeft, s.WindowHeight, s.WindowWidth, screen.height(), screen.width());
    resize(std::max(p.width, layout::MinWidth), std::max(p.height, layout::MinHeight));
    move(p.left, p.top);
    m_startMaximized = s.WindowMax;
}

void TFormMain::dressWindow()
{
    m_tray->setImage(icons::trayIcon(0));
    m_tray->setHint(QStringLiteral("Quillon"));
    m_tray->openAction()->setText(QStringLiteral("&Open Quillon"));
    setWindowTitle(QStringLiteral("Quillon"));
    m_work->setClipFile(QString::fromLocal8Bit(m_state->paths.a01));
    m_status->setPanelText(1, QStringLiteral("Current Host: (not available)"));
    m_status->setPanelText(2, QStringLiteral("Current IP: (not available)"));
    m_state->activity = core::ActivityNone;
    m_pages->setCurrentIndex(0);
    showHostCount();
}

QTimer* TFormMain::timer(core::Timer which) const
{
    switch (which) {
    case core::Timer::DDE:
        return m_timerDDE;
    case core::Timer::Files:
        return m_timerFiles;
    case core::Timer::Check:
        return m_timerCheck;
    case core::Timer::History:
        return m_timerHistory;
    }
    return nullptr;
}

HostListView* TFormMain::currentView() const
{
    return m_views.at(static_cast<std::size_t>(std::clamp(m_pages->currentIndex(), 0, 2)));
}

// --- core::Shell -----------------------------------------------------------

void TFormMain::setInterfaceUnlocked(bool on)
{
    const core::Settings& s = m_state->settings;
    // Once the program is ending, no timer starts new work.
    const bool timersOn = on && !m_state->ending;
    for (const core::Timer which : { core::Timer::DDE, core::Timer::Files, core::Timer::Check, core::Timer::History })
        switchTimer(timer(which), timersOn && core::timerMayRun(s, which));
    switchTimer(m_timerLookups, timersOn && (m_lookups->pending() || m_fresh->pending()));
    m_watch->setEnabled(timersOn);
    for (QMenu* menu : m_menu->topLevelMenus())
        menu->menuAction()->setEnabled(on);
    m_pages->setEnabled(on);
}

void TFormMain::pollCaptureLookups()
{
    switchTimer(m_timerLookups,
                m_state->unlocked && !m_state->ending && (m_lookups->pending() || m_fresh->pending()));
}

void TFormMain::setTimerEnabled(core::Timer which, bool enabled)
{
    switchTimer(timer(which), enabled && !m_state->ending && core::timerMayRun(m_state->settings, which));
}

void TFormMain::showActivity(int indicator)
{
    if (m_state->settings.WorkTNA)
        m_tray->setImage(icons::trayIcon(indicator));
    if (indicator != core::ActivityNone)
        m_lightActivity = indicator;
    m_status->light()->update();
}

void TFormMain::showHostCount()
{
    const core::ListPage page = core::pageFromIndex(currentPage());
    m_status->setPanelText(0, QString::fromStdString(m_state->store.hostCountText(page)));
}

int TFormMain::currentPage() const
{
    return m_pages->currentIndex();
}

void TFormMain::setCurrentPage(int page)
{
    m_pages->setCurrentIndex(page);
}

void TFormMain::processEvents()
{
    QCoreApplication::processEvents();
}

void TFormMain::scrollRowToTop(int page, int row)
{
    HostListView* view = listView(std::clamp(page, 0, 2));
    view->scrollTo(view->model()->index(row, 1), QAbstractItemView::PositionAtTop);
}

void TFormMain::setBusyCursor(bool busy)
{
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TFormMain::setStatusPanelText(int panel, const std::string& text)
{
    // Under a message, panel 1's own text waits for the message to go.
    if (panel == 1 && m_messageTimer && m_messageTimer->isActive()) {
        m_panel1Text = QString::fromLocal8Bit(text);
        return;
    }
    m_status->setPanelText(panel, QString::fromLocal8Bit(text));
}

void TFormMain::showStatusMessage(const std::string& text)
{
    if (!m_messageTimer) {
        m_messageTimer = new QTimer(this);
        m_messageTimer->setSingleShot(true);
        m_messageTimer->setInterval(10000);
        connect(m_messageTimer, &QTimer::timeout, this, [this] { m_status->setPanelText(1, m_panel1Text); });
    }
    if (!m_messageTimer->isActive())
        m_panel1Text = m_status->panelText(1);
    m_status->setPanelText(1, QString::fromLocal8Bit(text));
    m_messageTimer->start();
}

std::vector<int> TFormMain::selectedRows(int page) const
{
    return listView(std::clamp(page, 0, 2))->selectedRowNumbers();
}

void TFormMain::selectRows(int page, const std::vector<int>& rows)
{
    HostListView* view = listView(std::clamp(page, 0, 2));
    QItemSelection selection;
    const int columns = view->model()->columnCount() - 1;
    // Runs of neighbouring rows become one range each.
    for (std::size_t i = 0; i < rows.size();) {
        std::size_t j = i;
        while (j + 1 < rows.size() && rows[j + 1] == rows[j] + 1)
            ++j;
        selection.append(QItemSelectionRange(view->model()->index(rows[i], 0), view->model()->index(rows[j], columns)));
        i = j + 1;
    }
    // Cleared first, then selected: the selection model compares the old
    // selection with the new range by range, which for two selections of
    // thousands of runs each (an inverted selection) takes a second.
    view->selectionModel()->clearSelection();
    view->selectionModel()->select(selection, QItemSelectionModel::Select);
}

void TFormMain::selectCurrentRow(int page, int row)
{
    HostListView* view = listView(std::clamp(page, 0, 2));
    view->selectionModel()->setCurrentIndex(view->model()->index(row, 1),
                                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

// --- commands --------------------------------------------------------------

core::MenuContext TFormMain::menuContext() const
{
    const HostListView* view = currentView();
    core::MenuContext c;
    c.page = currentPage();
    c.rows = view->model()->rowCount();
    c.selected = view->selectedRowCount();
    c.hostsRows = m_views[0]->model()->rowCount();
    return c;
}

void TFormMain::MenuFileClick()
{
    m_menu->applyMain(core::mainMenuState(menuContext()));
}

void TFormMain::MenuEditClick()
{
    m_menu->applyMain(core::mainMenuState(menuContext()));
}

void TFormMain::MenuVerifyClick()
{
    m_menu->applyMain(core::mainMenuState(menuContext()));
}

void TFormMain::PopupMenu1Popup(const QPoint& globalPos)
{
    // A disabled page (a long operation runs) offers no pop-up menu.
    if (!m_pages->isEnabled())
        return;
    const core::PopupMenuState state = core::popupMenuState(menuContext());
    if (!state.anyItemVisible())
        return;
    m_menu->applyPopup(state);
    m_menu->popup()->popup(globalPos);
}

void TFormMain::MenuFileSaveClick()
{
    core::saveAndRefresh(*m_app);
}

void TFormMain::MenuFileCloseClick()
{
    close();
}

void TFormMain::PageControl1Change()
{
    showHostCount();
}

void TFormMain::WorkButtonCancelClick()
{
    if (m_app->dialogs.ask(AbortQuestion, core::MessageKind::QuestionDefaultNo) == core::Answer::Yes)
        m_state->cancel = true;
}

void TFormMain::MenuToolsOptionsClick()
{
    const core::InterfaceLockGuard lock(*m_app);
    QStringList firefox;
    QStringList chromium;
    // The profiles there are now: a browser first run since the start has one.
    for (const capture::BrowserProfile& p : m_env.histories.current(m_env.fs))
        (p.family == capture::BrowserFamily::Firefox ? firefox : chromium) << QString::fromStdString(p.title());
    const std::string program = QCoreApplication::applicationFilePath().toStdString();
    TFormOptions dialog(
        core::loadOptions(m_state->settings, *m_env.autostart), firefox, chromium,
        [this, &program](const core::OptionValues& values) {
            const core::Outcome o = core::applyOptions(*m_state, m_env.fs, *m_env.autostart, program, values);
            if (!o)
                core::reportError(*m_app, o.message());
            return o.ok();
        },
        this);
    dialog.exec();
}

void TFormMain::MenuToolsHostsChangesClick()
{
    const core::InterfaceLockGuard lock(*m_app);
    HostsChangesActions actions;
    actions.readLog = [this](std::vector<core::ChangeEntry>& entries) {
        return core::readChangeLog(m_env.fs, m_state->paths.d04, entries);
    };
    actions.copyExists = [this](core::KeptHostsCopy copy) { return core::keptCopyExists(*m_app, copy); };
    actions.restore = [this](core::KeptHostsCopy copy) {
        const bool restored = core::restoreHostsFile(*m_app, copy);
        if (restored) {
            for (HostListView* view : m_views)
                view->fitColumns();
        }
        return restored;
    };
    TFormChanges changes(std::move(actions), m_state->dateText, this);
    changes.exec();
}

void TFormMain::MenuHelpStatusChartClick()
{
    TFormStatusChart legend(this);
    legend.exec();
}

void TFormMain::MenuHelpAboutClick()
{
    const std::string& help = m_state->paths.help00;
    TFormAbout about(*m_env.opener, help.substr(0, help.rfind('/') + 1), this);
    about.setWindowTitle(QStringLiteral("About Quillon"));
    about.exec();
}

void TFormMain::MenuTNAOpenClick()
{
    showFromTray();
}

void TFormMain::showFromTray()
{
    if (m_startMaximized) {
        m_startMaximized = false;
        showMaximized();
    } else if (isMinimized()) {
        showNormal();
    } else {
        show();
    }
    raise();
    activateWindow();
    repaint();
    m_tray->setActive(false);
}

void TFormMain::MenuTNAExitClick()
{
    // Neither the tray menu nor a double click may act during the question.
    m_tray->setMenuAttached(false);
    m_tray->openAction()->setEnabled(false);
    bool exit = false;
    if (m_pages->isEnabled())
        exit = m_app->dialogs.ask(ExitQuestion, core::MessageKind::QuestionDefaultNo) == core::Answer::Yes;
    else
        m_app->dialogs.ask(ExitRefused, core::MessageKind::Warning);
    if (exit && programExit())
        return;
    m_tray->openAction()->setEnabled(true);
    m_tray->setMenuAttached(true);
}

core::WindowPlacement TFormMain::currentPlacement() const
{
    core::WindowPlacement p;
    if (!m_shownOnce) {
        // Started in the tray and never shown: the remembered state stands,
        // and the bounds in the settings file stay as they are.
        p.maximized = m_startMaximized;
        p.normal = false;
        return p;
    }
    p.maximized = isMaximized();
    p.normal = !isMaximized() && !isMinimized();
    const QRect frame = frameGeometry();
    p.top = frame.top();
    p.left = frame.left();
    p.height = height();
    p.width = width();
    return p;
}

bool TFormMain::programExit()
{
    if (m_exiting)
        return true;
    m_exiting = true;
    if (!core::programExitSave(*m_app, currentPlacement())) {
        m_exiting = false;
        return false;
    }
    m_tray->setActive(false);
    close();
    m_exited = true;
    QCoreApplication::quit();
    return true;
}

void TFormMain::endFromOutside()
{
    if (m_exited)
        return;
    // As Cancel and "Yes" to "Abort operation ?" would: the running
    // operation puts every host it has not processed back into its list.
    m_state->ending = true;
    m_state->cancel = true;
    setInterfaceUnlocked(m_state->unlocked); // the timers stop
    // Open dialogs close unanswered; the dialogs of the logic show no more.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible())
            dialog->done(QDialog::Rejected);
    }
    if (!m_exiting)
        exitWhenIdle();
}

void TFormMain::exitWhenIdle()
{
    // The exit save waits until the operation has ended and unlocked the
    // interface, and no dialog's own loop is running any more.
    const bool idle = m_state->unlocked && QThread::currentThread()->loopLevel() <= 1
        && QApplication::activeModalWidget() == nullptr;
    if (idle)
        programExit();
    else
        QTimer::singleShot(20, this, &TFormMain::exitWhenIdle);
}

// --- window events ---------------------------------------------------------

void TFormMain::closeEvent(QCloseEvent* event)
{
    if (m_exiting) {
        event->accept();
        return;
    }
    event->ignore();
    if (!m_tray->available()) {
        // No notification area to come back from: the close box exits.
        MenuTNAExitClick();
        return;
    }
    hide();
}

void TFormMain::hideEvent(QHideEvent* event)
{
    QMainWindow::hideEvent(event);
    // Hidden by the program (not minimised by the window manager): the tray
    // icon takes over.
    if (!event->spontaneous() && !m_exiting && m_tray->available())
        m_tray->setActive(true);
}

void TFormMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || m_exiting)
        return;
    // Once the tray icon has been used in this run, minimising sends the
    // window to the tray; before that it minimises to the taskbar.
    if (isMinimized() && m_tray->available() && m_tray->hasBeenActive())
        QTimer::singleShot(0, this, [this] {
            if (isMinimized())
                hide();
        });
}

void TFormMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    layoutForSize();
}

void TFormMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    m_shownOnce = true;
    layoutForSize();
}

void TFormMain::layoutForSize()
{
    m_pages->setTabWidth(layout::tabWidth(m_pages->width()));
    const QWidget* client = centralWidget();
    m_work->move(layout::workPanelLeft(client->width()), layout::workPanelTop(client->height()));
    m_status->setPanel1Width(layout::statusPanel1Width(width()));
}

} // namespace quillon::ui
