#pragma once
// Which menu items are enabled or visible, decided from the current page,
// its row count and its selected-row count, each time a menu opens. The main
// menu enables and disables; the lists' pop-up menu shows and hides.

namespace quillon::core {

struct MenuContext {
    int page = 0;      // 0 Hosts, 1 Verification Wait, 2 Trash
    int rows = 0;      // rows of the current page's view
    int selected = 0;  // selected rows of the current page's view
    int hostsRows = 0; // rows of the Hosts page, whatever the page
};

struct MainMenuState {
    bool openHostEnabled;     // MenuFileMenuOpen
    bool exportEnabled;       // MenuFileExportHosts
    bool emptyTrashVisible;   // MenuEditEmptyRecycle
    bool emptyTrashEnabled;
    bool restoreVisible;      // MenuEditRestore
    bool restoreEnabled;
    bool aliasEnabled;        // MenuEditMenuAlias
    bool aliasModifyEnabled;  // MenuEditEditAlias
    bool aliasRemoveEnabled;  // MenuEditDeleteAlias
    bool deleteEnabled;       // MenuEditDeleteRow
    bool rowsCommandsEnabled; // sort menus, find, select all, invert selection
    bool verifySelectionEnabled; // MenuVerifyVerifySelection
};

struct PopupMenuState {
    bool verifyVisible;      // MenuPopupVerify
    bool aliasVisible;       // MenuPopupMenuAlias
    bool aliasModifyEnabled; // MenuPopupEditAlias
    bool aliasRemoveEnabled; // MenuPopupDeleteAlias
    bool restoreVisible;     // MenuPopupRestore
    bool deleteVisible;      // MenuPopupDeleteRow
    bool emptyTrashVisible;  // MenuPopupEmptyRecycle
    bool openVisible;        // MenuPopupMenuOpen
    bool findVisible;        // MenuPopupMenuFind

    // A pop-up whose items are all hidden (an empty list, nothing selected)
    // is not opened: it would show its separators alone.
    bool anyItemVisible() const
    {
        return verifyVisible || aliasVisible || restoreVisible || deleteVisible || emptyTrashVisible || openVisible
            || findVisible;
    }
};

MainMenuState mainMenuState(const MenuContext& c);
PopupMenuState popupMenuState(const MenuContext& c);

} // namespace quillon::core
