#pragma once
// MainMenu1 and PopupMenu1: every item with its caption, access key and
// objectName, in the window's order, with its separators and icon. Items are
// found by objectName; the enabling rules are applied with apply().

#include "core/MenuRules.h"

#include <QHash>
#include <QObject>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace quillon::ui {

class MainMenu final : public QObject {
    Q_OBJECT

public:
    // Builds the menu bar into bar and the pop-up menu as a child of owner.
    MainMenu(QMenuBar* bar, QWidget* owner);

    QAction* action(const QString& name) const;
    QMenu* menu(const QString& name) const;
    QMenu* popup() const { return m_popup; }
    // The six top-level menus (the interface lock switches them).
    const QList<QMenu*>& topLevelMenus() const { return m_topLevel; }

    void applyMain(const core::MainMenuState& state);
    void applyPopup(const core::PopupMenuState& state);

private:
    QMenu* addMenu(QMenuBar* bar, const char* name, const char* caption);
    QMenu* addSubmenu(QMenu* parent, const char* name, const char* caption);
    QAction* addItem(QMenu* menu, const char* name, const char* caption, int icon = -1);
    void buildMainMenu(QMenuBar* bar);
    // The Linux browsers at the end of an "Open with" menu: prefix + Default, Firefox, Chromium.
    void addLinuxBrowsers(QMenu* open, const char* prefix);
    void buildPopup(QWidget* owner);

    QHash<QString, QAction*> m_actions;
    QHash<QString, QMenu*> m_menus;
    QList<QMenu*> m_topLevel;
    QMenu* m_popup = nullptr;
};

} // namespace quillon::ui
