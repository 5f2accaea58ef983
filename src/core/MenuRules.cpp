#include "core/MenuRules.h"

namespace quillon::core {

MainMenuState mainMenuState(const MenuContext& c)
{
    const bool listPage = c.page == 0 || c.page == 1;
    const bool trash = c.page == 2;
    MainMenuState s {};
    s.openHostEnabled = listPage && c.selected == 1;
    s.exportEnabled = c.hostsRows > 0;
    s.emptyTrashVisible = trash;
    s.emptyTrashEnabled = c.rows > 0;
    s.restoreVisible = trash;
    s.restoreEnabled = c.selected > 0;
    s.aliasEnabled = listPage;
    s.aliasModifyEnabled = c.selected == 1;
    s.aliasRemoveEnabled = c.selected > 0;
    s.deleteEnabled = c.selected > 0;
    s.rowsCommandsEnabled = c.rows > 0;
    s.verifySelectionEnabled = listPage && c.selected > 0;
    return s;
}

PopupMenuState popupMenuState(const MenuContext& c)
{
    const bool listPage = c.page == 0 || c.page == 1;
    const bool trash = c.page == 2;
    PopupMenuState s {};
    s.verifyVisible = listPage && c.selected > 0;
    s.aliasVisible = listPage && c.selected > 0;
    s.aliasModifyEnabled = c.selected == 1;
    s.aliasRemoveEnabled = c.selected > 0;
    s.restoreVisible = trash && c.selected > 0;
    s.deleteVisible = c.selected > 0;
    s.emptyTrashVisible = trash && c.rows > 0;
    s.openVisible = listPage && c.selected == 1;
    s.findVisible = c.rows > 0;
    return s;
}

} // namespace quillon::core
