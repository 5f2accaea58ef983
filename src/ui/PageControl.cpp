#include "ui/PageControl.h"

namespace quillon::ui {

PageTabBar::PageTabBar(QWidget* parent)
    : QTabBar(parent)
{
    setAttribute(Qt::WA_Hover); // hot-tracking
    setFocusPolicy(Qt::NoFocus);
    setExpanding(false);
    setElideMode(Qt::ElideRight);
}

void PageTabBar::setTabWidth(int width)
{
    width = std::max(width, 40);
    if (width == m_tabWidth)
        return;
    m_tabWidth = width;
    updateGeometry();
    adjustSize();
}

QSize PageTabBar::tabSizeHint(int index) const
{
    QSize size = QTabBar::tabSizeHint(index);
    size.setWidth(m_tabWidth);
    return size;
}

PageControl::PageControl(QWidget* parent)
    : QTabWidget(parent)
    , m_bar(new PageTabBar(this))
{
    setTabBar(m_bar);
    setFocusPolicy(Qt::NoFocus);
    setDocumentMode(false);
}

} // namespace quillon::ui
