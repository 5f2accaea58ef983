#include "ui/PageControl.h"

#include <QTabBar>

namespace quillon::ui {

PageControl::PageControl(QWidget* parent)
    : QTabWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    tabBar()->setFocusPolicy(Qt::NoFocus);
    tabBar()->setAttribute(Qt::WA_Hover); // hot-tracking
    tabBar()->setExpanding(false);
    tabBar()->setElideMode(Qt::ElideRight);
    setTabWidth(m_tabWidth);
}

void PageControl::setTabWidth(int width)
{
    width = std::max(width, 40);
    if (width == m_tabWidth && !tabBar()->styleSheet().isEmpty())
        return;
    m_tabWidth = width;
    // A style rule is what the tab bar and the page control both lay out by
    // at once; size hints alone leave the bar's own geometry behind.
    tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { width: %1px; }").arg(width));
}

} // namespace quillon::ui
