#pragma once
// All of the program's pictures: the list row and tab icons, the status-bar
// activity light, the tray and window icons, the menu icons, the banner logo
// and the start-up picture. Everything is drawn with QPainter when a size is
// asked for, so each picture is sharp at any size and at device pixel ratio
// 1 or 2; nothing is read from files.
//
// Indexes follow the program's own numbers: a host status (0 Waiting,
// 1 Saved, 2 Visited, 3 Verified), a tab (0 Hosts, 1 Verification Wait,
// 2 Trash) and the activity indicator (0 none, 1 verifying, 2 saving).
// GUI thread only.

#include <QIcon>
#include <QPixmap>

namespace quillon::ui::icons {

// The row icon of a host status, 0 to 3; any other value gives a null icon.
QIcon statusIcon(int status);

// The icon of a tab, 0 to 2; any other value gives a null icon.
QIcon tabIcon(int tab);

// The status-bar light for an activity indicator, 16 x 16 logical pixels,
// drawn for `devicePixelRatio`. A value outside 0 to 2 shows no activity.
QPixmap activityPixmap(int indicator, qreal devicePixelRatio);

// The notification-area icon for an activity indicator: the emblem, with a
// green light while verifying and a red saving mark while saving. A value
// outside 0 to 2 gives the idle emblem.
QIcon trayIcon(int indicator);

// The window icon: the emblem, as the idle tray icon.
QIcon appIcon();

enum class MenuIcon {
    OpenHost,
    ImportHosts,
    ExportHosts,
    Save,
    Updates,
    Close,
    EmptyTrash,
    AddHost,
    Alias,
    Restore,
    Delete,
    SortAscending,
    SortDescending,
    Find,
    SelectAll,
    InvertSelection,
    VerifySelected,
    VerifyHosts,
    VerifyWait,
    AutoVerify,
    ManualVerify,
    IgnoreList,
    HostsChanges,
    Options,
    ImportIECache,
    ImportIEFavorites,
    ImportNetscapeCache,
    ImportNetscapeBookmarks,
    Help,
    Legend,
    HomePage,
    About,
    Exit,
};

// The icon of a menu action: the desktop theme's icon where a standard name
// fits the action, else (and when the theme lacks it) the program's drawn one.
QIcon menuIcon(MenuIcon which);

// The program's drawn menu icon, without consulting the desktop theme.
QIcon drawnMenuIcon(MenuIcon which);

// The banner logo: the emblem and the name "Quillon" on a transparent
// background, `height` logical pixels high; the width follows.
QPixmap logo(int height, qreal devicePixelRatio);

// The start-up picture, 400 x 100 logical pixels: emblem, name, subtitle and
// version on a light background with a thin frame.
QPixmap splashPicture(qreal devicePixelRatio);

} // namespace quillon::ui::icons
