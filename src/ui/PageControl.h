#pragma once
// PageControl1: the three list pages as tabs whose width the window sets on
// every resize (all three share the width), with hot-tracking tabs that are
// not a stop of the Tab key.

#include <QTabBar>
#include <QTabWidget>

namespace quillon::ui {

class PageTabBar final : public QTabBar {
    Q_OBJECT
public:
    explicit PageTabBar(QWidget* parent = nullptr);
    void setTabWidth(int width);
    int tabWidth() const { return m_tabWidth; }

protected:
    QSize tabSizeHint(int index) const override;

private:
    int m_tabWidth = 120;
};

class PageControl final : public QTabWidget {
    Q_OBJECT
public:
    explicit PageControl(QWidget* parent = nullptr);
    PageTabBar* pageTabBar() const { return m_bar; }

private:
    PageTabBar* m_bar;
};

} // namespace quillon::ui
