#pragma once
// PageControl1: the three list pages as tabs whose width the window sets on
// every resize (all three share the width), with hot-tracking tabs that are
// not a stop of the Tab key.

#include <QTabWidget>

namespace quillon::ui {

class PageControl final : public QTabWidget {
    Q_OBJECT
public:
    explicit PageControl(QWidget* parent = nullptr);
    void setTabWidth(int width);
    int tabWidth() const { return m_tabWidth; }

private:
    int m_tabWidth = 120;
};

} // namespace quillon::ui
