#include "ui/TrayIcon.h"

#include "ui/Icons.h"

#include <QAction>
#include <QMenu>
#include <algorithm>

namespace quillon::ui {

TrayIcon::TrayIcon(QObject* parent)
    : QObject(parent)
    , m_menu(std::make_unique<QMenu>())
{
    setObjectName(QStringLiteral("TNA"));
    m_menu->setObjectName(QStringLiteral("MenuTNA"));

    m_open = m_menu->addAction(QStringLiteral("&Open"));
    m_open->setObjectName(QStringLiteral("MenuTNAOpen"));
    QFont bold = m_open->font();
    bold.setBold(true);
    m_open->setFont(bold);
    m_menu->setDefaultAction(m_open);

    m_exit = m_menu->addAction(QStringLiteral("E&xit"));
    m_exit->setObjectName(QStringLiteral("MenuTNAExit"));
    m_exit->setIcon(icons::menuIcon(icons::MenuIcon::Exit));

    connect(m_open, &QAction::triggered, this, &TrayIcon::openRequested);
    connect(m_exit, &QAction::triggered, this, &TrayIcon::exitRequested);
}

TrayIcon::~TrayIcon() = default;

bool TrayIcon::available() const
{
    return m_availableOverride.value_or(QSystemTrayIcon::isSystemTrayAvailable());
}

void TrayIcon::setActive(bool active)
{
    m_active = active;
    if (active) {
        m_hasBeenActive = true;
        if (!available())
            return;
        ensureIcon();
        m_icon->show();
    } else if (m_icon) {
        m_icon->hide();
    }
}

bool TrayIcon::iconShown() const
{
    return m_icon && m_icon->isVisible();
}

void TrayIcon::setImage(const QIcon& image)
{
    m_image = image;
    if (m_icon)
        m_icon->setIcon(m_image);
}

void TrayIcon::setHint(const QString& hint)
{
    qsizetype length = std::min<qsizetype>(hint.size(), MaxHintLength);
    // Never cut between the two halves of a surrogate pair.
    if (length > 0 && length < hint.size() && hint.at(length - 1).isHighSurrogate())
        --length;
    m_hint = hint.left(length);
    if (m_icon)
        m_icon->setToolTip(m_hint);
}

void TrayIcon::setMenuAttached(bool attached)
{
    m_menuAttached = attached;
    if (m_icon)
        m_icon->setContextMenu(attached ? m_menu.get() : nullptr);
}

void TrayIcon::ensureIcon()
{
    if (m_icon)
        return;
    m_icon = std::make_unique<QSystemTrayIcon>(m_image);
    m_icon->setObjectName(QStringLiteral("TNAIcon"));
    m_icon->setToolTip(m_hint);
    m_icon->setContextMenu(m_menuAttached ? m_menu.get() : nullptr);
    connect(m_icon.get(), &QSystemTrayIcon::activated, this, &TrayIcon::iconActivated);
}

void TrayIcon::iconActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::DoubleClick && m_open->isEnabled())
        emit openRequested();
}

} // namespace quillon::ui
