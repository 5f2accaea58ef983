#pragma once
// The program's icon in the notification area and its menu MenuTNA
// ("&Open" and "E&xit"). It only reports what the person asked for; the main
// window decides what opening and exiting mean.
//
// Active is the window state "in tray". The state is kept even where the
// desktop has no notification area; then nothing is shown, and the window
// must not hide itself where it could not be reached again (available()).
// The platform icon is created on the first activation where there is an
// area, and removed when deactivated or destroyed.

#include <QIcon>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>

#include <memory>
#include <optional>

class QAction;
class QMenu;

namespace quillon::ui {

class TrayIcon final : public QObject {
    Q_OBJECT

public:
    // The hint holds at most this many characters.
    static constexpr int MaxHintLength = 63;

    explicit TrayIcon(QObject* parent = nullptr);
    ~TrayIcon() override;
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // A notification area exists on this desktop.
    bool available() const;
    void setAvailableForTesting(bool available) { m_availableOverride = available; }

    void setActive(bool active);
    bool isActive() const { return m_active; }
    // Activated at least once during this run.
    bool hasBeenActive() const { return m_hasBeenActive; }
    // The icon is in the notification area now.
    bool iconShown() const;

    void setImage(const QIcon& image);
    QIcon image() const { return m_image; }
    // The tooltip, cut to MaxHintLength characters.
    void setHint(const QString& hint);
    QString hint() const { return m_hint; }

    // Detached while the exit question runs, so the menu cannot open twice.
    void setMenuAttached(bool attached);
    bool menuAttached() const { return m_menuAttached; }

    QMenu* menu() const { return m_menu.get(); }
    QAction* openAction() const { return m_open; }
    QAction* exitAction() const { return m_exit; }
    // The platform icon, null until the first activation where there is an area.
    QSystemTrayIcon* systemIcon() const { return m_icon.get(); }

signals:
    // "&Open Quillon", or a double click on the icon while that item is enabled.
    void openRequested();
    // "E&xit".
    void exitRequested();

private:
    void ensureIcon();
    void iconActivated(QSystemTrayIcon::ActivationReason reason);

    std::unique_ptr<QMenu> m_menu; // a widget, so it cannot be a child of this QObject
    QAction* m_open = nullptr;
    QAction* m_exit = nullptr;
    std::unique_ptr<QSystemTrayIcon> m_icon; // declared after the menu it refers to, so it goes first
    QIcon m_image;
    QString m_hint;
    std::optional<bool> m_availableOverride;
    bool m_active = false;
    bool m_hasBeenActive = false;
    bool m_menuAttached = true;
};

} // namespace quillon::ui
