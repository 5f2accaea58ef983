#include "ui/MainMenu.h"

#include "ui/Icons.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace quillon::ui {

namespace {
using icons::MenuIcon;
constexpr int icon(MenuIcon i) { return static_cast<int>(i); }

struct SortKey {
    const char* suffix;
    const char* caption;
};
constexpr SortKey SortKeys[] = { { "Status", "&Status" }, { "Hostname", "&Host Name" }, { "Alias", "&Alias" },
                                 { "IP", "&IP Address" },  { "Date", "Last &Verification" },
                                 { "Freq", "&Frequency Index" } };
} // namespace

MainMenu::MainMenu(QMenuBar* bar, QWidget* owner)
    : QObject(owner)
{
    bar->setObjectName(QStringLiteral("MainMenu1"));
    buildMainMenu(bar);
    buildPopup(owner);
}

QAction* MainMenu::action(const QString& name) const
{
    return m_actions.value(name);
}

QMenu* MainMenu::menu(const QString& name) const
{
    return m_menus.value(name);
}

QMenu* MainMenu::addMenu(QMenuBar* bar, const char* name, const char* caption)
{
    QMenu* m = bar->addMenu(QString::fromLatin1(caption));
    m->setObjectName(QString::fromLatin1(name));
    m->menuAction()->setObjectName(QString::fromLatin1(name));
    m_menus.insert(m->objectName(), m);
    m_topLevel.append(m);
    return m;
}

QMenu* MainMenu::addSubmenu(QMenu* parent, const char* name, const char* caption)
{
    QMenu* m = parent->addMenu(QString::fromLatin1(caption));
    m->setObjectName(QString::fromLatin1(name));
    m->menuAction()->setObjectName(QString::fromLatin1(name));
    m_menus.insert(m->objectName(), m);
    return m;
}

QAction* MainMenu::addItem(QMenu* menu, const char* name, const char* caption, int iconId)
{
    QAction* a = menu->addAction(QString::fromLatin1(caption));
    a->setObjectName(QString::fromLatin1(name));
    if (iconId >= 0)
        a->setIcon(icons::menuIcon(static_cast<MenuIcon>(iconId)));
    m_actions.insert(a->objectName(), a);
    return a;
}

void MainMenu::addLinuxBrowsers(QMenu* open, const char* prefix)
{
    // The browsers people run on Linux; the window hides those not installed.
    open->addSeparator();
    const QString p = QString::fromLatin1(prefix);
    addItem(open, (p + QStringLiteral("Default")).toLatin1().constData(), "&Default Browser");
    addItem(open, (p + QStringLiteral("Firefox")).toLatin1().constData(), "&Firefox");
    addItem(open, (p + QStringLiteral("Chromium")).toLatin1().constData(), "&Chromium");
}

void MainMenu::buildMainMenu(QMenuBar* bar)
{
    QMenu* file = addMenu(bar, "MenuFile", "&File");
    QMenu* open = addSubmenu(file, "MenuFileMenuOpen", "&Open Host with");
    open->menuAction()->setIcon(icons::menuIcon(MenuIcon::OpenHost));
    addItem(open, "MenuFileOpenIExplorer", "&Internet Explorer");
    addItem(open, "MenuFileOpenNavigator", "&Netscape Navigator");
    addLinuxBrowsers(open, "MenuFileOpen");
    file->addSeparator();
    addItem(file, "MenuFileImportHosts", "&Import Hosts List...", icon(MenuIcon::ImportHosts));
    addItem(file, "MenuFileExportHosts", "&Export Hosts List...", icon(MenuIcon::ExportHosts));
    file->addSeparator();
    addItem(file, "MenuFileSave", "&Save", icon(MenuIcon::Save));
    file->addSeparator();
    addItem(file, "MenuFileUpdates", "Check &Updates...", icon(MenuIcon::Updates));
    file->addSeparator();
    addItem(file, "MenuFileClose", "&Close", icon(MenuIcon::Close));

    QMenu* edit = addMenu(bar, "MenuEdit", "&Edit");
    addItem(edit, "MenuEditEmptyRecycle", "&Empty Trash", icon(MenuIcon::EmptyTrash));
    edit->addSeparator();
    QMenu* add = addSubmenu(edit, "MenuEditMenuAdd", "&Add Host");
    add->menuAction()->setIcon(icons::menuIcon(MenuIcon::AddHost));
    addItem(add, "MenuEditAddHost", "Add to &Hosts List with verification...");
    addItem(add, "MenuEditAddHostQQD", "Add to Verification &Wait List...");
    edit->addSeparator();
    QMenu* alias = addSubmenu(edit, "MenuEditMenuAlias", "A&lias");
    alias->menuAction()->setIcon(icons::menuIcon(MenuIcon::Alias));
    addItem(alias, "MenuEditEditAlias", "&Modify...");
    addItem(alias, "MenuEditDeleteAlias", "&Remove");
    addItem(edit, "MenuEditRestore", "&Restore", icon(MenuIcon::Restore));
    addItem(edit, "MenuEditDeleteRow", "&Delete", icon(MenuIcon::Delete));
    edit->addSeparator();
    QMenu* sort = addSubmenu(edit, "MenuEditMenuSort", "Growing &Order for");
    sort->menuAction()->setIcon(icons::menuIcon(MenuIcon::SortAscending));
    QMenu* sortDesc = addSubmenu(edit, "MenuEditMenuSortDesc", "De&creasing Order for");
    sortDesc->menuAction()->setIcon(icons::menuIcon(MenuIcon::SortDescending));
    for (const SortKey& key : SortKeys) {
        addItem(sort, ("MenuEditSort" + std::string(key.suffix)).c_str(), key.caption);
        addItem(sortDesc, ("MenuEditSortDesc" + std::string(key.suffix)).c_str(), key.caption);
    }
    edit->addSeparator();
    QMenu* find = addSubmenu(edit, "MenuEditMenuFind", "&Find");
    find->menuAction()->setIcon(icons::menuIcon(MenuIcon::Find));
    addItem(find, "MenuEditFindHost", "&Host Name...");
    addItem(find, "MenuEditFindIP", "&IP Address...");
    edit->addSeparator();
    addItem(edit, "MenuEditSelectAll", "Selec&t all", icon(MenuIcon::SelectAll));
    addItem(edit, "MenuEditInvertSelection", "&Invert selection", icon(MenuIcon::InvertSelection));

    QMenu* verify = addMenu(bar, "MenuVerify", "&Verify");
    addItem(verify, "MenuVerifyVerifySelection", "&Selected Hosts", icon(MenuIcon::VerifySelected));
    verify->addSeparator();
    addItem(verify, "MenuVerifyVerifyHosts", "Complete &Hosts List", icon(MenuIcon::VerifyHosts));
    addItem(verify, "MenuVerifyVerifyHostsQQD", "Complete Verification &Wait List", icon(MenuIcon::VerifyWait));
    verify->addSeparator();
    addItem(verify, "MenuVerifyAutoVerifyHosts", "&Validity of IP Addresses in Hosts List",
            icon(MenuIcon::AutoVerify));

    QMenu* tools = addMenu(bar, "MenuTools", "&Tools");
    addItem(tools, "MenuToolsManualVerify", "Addresses &Verification...", icon(MenuIcon::ManualVerify));
    tools->addSeparator();
    addItem(tools, "MenuToolsIgnoreList", "Hosts to be &Ignored...", icon(MenuIcon::IgnoreList));
    addItem(tools, "MenuToolsHostsChanges", "Hosts File &Changes...", icon(MenuIcon::HostsChanges));
    tools->addSeparator();
    addItem(tools, "MenuToolsOptions", "&Options...", icon(MenuIcon::Options));

    QMenu* import = addMenu(bar, "MenuImport", "&Import");
    addItem(import, "MenuImportIExplorerCache", "Internet Explorer &Cache", icon(MenuIcon::ImportIECache));
    addItem(import, "MenuImportIExplorerBookmarks", "Internet Explorer &Favorites", icon(MenuIcon::ImportIEFavorites));
    import->addSeparator();
    addItem(import, "MenuImportNetscapeCache", "Netscape Navigator Cac&he", icon(MenuIcon::ImportNetscapeCache));
    addItem(import, "MenuImportNetscapeBookmarks", "Netscape Navigator &Bookmarks",
            icon(MenuIcon::ImportNetscapeBookmarks));
    // The histories and bookmarks of the browsers people run on Linux.
    import->addSeparator();
    addItem(import, "MenuImportFirefoxHistory", "Firefox Histor&y", icon(MenuIcon::ImportIECache));
    addItem(import, "MenuImportFirefoxBookmarks", "Firefox Boo&kmarks", icon(MenuIcon::ImportNetscapeBookmarks));
    addItem(import, "MenuImportChromiumHistory", "Chromium Hi&story", icon(MenuIcon::ImportIECache));
    addItem(import, "MenuImportChromiumBookmarks", "Chromium Bookm&arks", icon(MenuIcon::ImportNetscapeBookmarks));

    QMenu* help = addMenu(bar, "MenuHelp", "&Help");
    addItem(help, "MenuHelpHelp", "&Help", icon(MenuIcon::Help));
    addItem(help, "MenuHelpStatusChart", "&Legend", icon(MenuIcon::Legend));
    help->addSeparator();
    addItem(help, "MenuHelpHomePageProgram", "&Quillon Home Page", icon(MenuIcon::HomePage));
    // The maker's name alone would not say where the item leads.
    addItem(help, "MenuHelpHomePageAuthor", "&Veltrano Home Page (the maker's web site)", icon(MenuIcon::HomePage));
    help->addSeparator();
    addItem(help, "MenuHelpAbout", "&About...", icon(MenuIcon::About));

    // A diagnostic of the DDE capture, never shown in the menu bar.
    QMenu* test = addMenu(bar, "MenuTest", "[ &Test ]");
    test->menuAction()->setVisible(false);
    addItem(test, "MenuTestDDE", "Test &DDE Browser");
}

void MainMenu::buildPopup(QWidget* owner)
{
    m_popup = new QMenu(owner);
    m_popup->setObjectName(QStringLiteral("PopupMenu1"));
    // Its separators always show, also where hidden items leave two in a row.
    m_popup->setSeparatorsCollapsible(false);
    addItem(m_popup, "MenuPopupVerify", "&Verify", icon(MenuIcon::VerifySelected));
    QMenu* alias = addSubmenu(m_popup, "MenuPopupMenuAlias", "A&lias");
    alias->menuAction()->setIcon(icons::menuIcon(MenuIcon::Alias));
    addItem(alias, "MenuPopupEditAlias", "&Modify...");
    addItem(alias, "MenuPopupDeleteAlias", "&Remove");
    addItem(m_popup, "MenuPopupRestore", "&Restore", icon(MenuIcon::Restore));
    addItem(m_popup, "MenuPopupDeleteRow", "&Delete", icon(MenuIcon::Delete));
    m_popup->addSeparator();
    addItem(m_popup, "MenuPopupEmptyRecycle", "&Empty Trash", icon(MenuIcon::EmptyTrash));
    m_popup->addSeparator();
    QMenu* open = addSubmenu(m_popup, "MenuPopupMenuOpen", "&Open with");
    open->menuAction()->setIcon(icons::menuIcon(MenuIcon::OpenHost));
    addItem(open, "MenuPopupOpenIExplorer", "&Internet Explorer");
    addItem(open, "MenuPopupOpenNavigator", "&Netscape Navigator");
    addLinuxBrowsers(open, "MenuPopupOpen");
    m_popup->addSeparator();
    QMenu* find = addSubmenu(m_popup, "MenuPopupMenuFind", "&Find");
    find->menuAction()->setIcon(icons::menuIcon(MenuIcon::Find));
    addItem(find, "MenuPopupFindHost", "&Host Name...");
    addItem(find, "MenuPopupFindIP", "&IP Address...");
}

void MainMenu::applyMain(const core::MainMenuState& s)
{
    m_menus.value(QStringLiteral("MenuFileMenuOpen"))->menuAction()->setEnabled(s.openHostEnabled);
    action(QStringLiteral("MenuFileExportHosts"))->setEnabled(s.exportEnabled);
    QAction* empty = action(QStringLiteral("MenuEditEmptyRecycle"));
    empty->setVisible(s.emptyTrashVisible);
    empty->setEnabled(s.emptyTrashEnabled);
    QAction* restore = action(QStringLiteral("MenuEditRestore"));
    restore->setVisible(s.restoreVisible);
    restore->setEnabled(s.restoreEnabled);
    m_menus.value(QStringLiteral("MenuEditMenuAlias"))->menuAction()->setEnabled(s.aliasEnabled);
    action(QStringLiteral("MenuEditEditAlias"))->setEnabled(s.aliasModifyEnabled);
    action(QStringLiteral("MenuEditDeleteAlias"))->setEnabled(s.aliasRemoveEnabled);
    action(QStringLiteral("MenuEditDeleteRow"))->setEnabled(s.deleteEnabled);
    for (const char* name : { "MenuEditMenuSort", "MenuEditMenuSortDesc", "MenuEditMenuFind" })
        m_menus.value(QString::fromLatin1(name))->menuAction()->setEnabled(s.rowsCommandsEnabled);
    action(QStringLiteral("MenuEditSelectAll"))->setEnabled(s.rowsCommandsEnabled);
    action(QStringLiteral("MenuEditInvertSelection"))->setEnabled(s.rowsCommandsEnabled);
    action(QStringLiteral("MenuVerifyVerifySelection"))->setEnabled(s.verifySelectionEnabled);
}

void MainMenu::applyPopup(const core::PopupMenuState& s)
{
    action(QStringLiteral("MenuPopupVerify"))->setVisible(s.verifyVisible);
    m_menus.value(QStringLiteral("MenuPopupMenuAlias"))->menuAction()->setVisible(s.aliasVisible);
    action(QStringLiteral("MenuPopupEditAlias"))->setEnabled(s.aliasModifyEnabled);
    action(QStringLiteral("MenuPopupDeleteAlias"))->setEnabled(s.aliasRemoveEnabled);
    action(QStringLiteral("MenuPopupRestore"))->setVisible(s.restoreVisible);
    action(QStringLiteral("MenuPopupDeleteRow"))->setVisible(s.deleteVisible);
    action(QStringLiteral("MenuPopupEmptyRecycle"))->setVisible(s.emptyTrashVisible);
    m_menus.value(QStringLiteral("MenuPopupMenuOpen"))->menuAction()->setVisible(s.openVisible);
    m_menus.value(QStringLiteral("MenuPopupMenuFind"))->menuAction()->setVisible(s.findVisible);
}

} // namespace quillon::ui
