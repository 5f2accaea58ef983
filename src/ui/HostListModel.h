#pragma once
// One page's list (the Hosts list, the Wait list or the Trash) as a table
// model: six columns (status icon, host name, alias, IP address, last
// verification, frequency index), row r showing record r of the page's
// sequence. It hears of every change from the store, so views follow the
// lists row for row; selections stay in the views.

#include "core/DateTimeText.h"
#include "core/HostStore.h"
#include "core/ListObserver.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QIcon>

#include <array>

namespace quillon::ui {

class HostListModel final : public QAbstractTableModel, public core::ListObserver {
    Q_OBJECT

public:
    enum Column { ColumnStatus, ColumnHostName, ColumnAlias, ColumnIP, ColumnDate, ColumnFreq, ColumnCount };

    HostListModel(core::HostStore& store, core::ListPage page, const core::DateTimeText& dateText,
                  QObject* parent = nullptr);
    ~HostListModel() override;

    core::ListPage page() const { return m_page; }
    void setStatusIcons(const std::array<QIcon, 4>& icons) { m_statusIcons = icons; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The texts of a row as the view shows them.
    QString cellText(int row, int column) const;

    void rowsAboutToBeInserted(core::ListPage page, int first, int last) override;
    void rowsInserted(core::ListPage page) override;
    void rowsAboutToBeRemoved(core::ListPage page, int first, int last) override;
    void rowsRemoved(core::ListPage page) override;
    void rowsChanged(core::ListPage page, int first, int last) override;
    void aboutToReset(core::ListPage page) override;
    void reset(core::ListPage page) override;

private:
    core::HostStore& m_store;
    core::ListPage m_page;
    const core::DateTimeText& m_dateText;
    QColor m_textColor;
    std::array<QIcon, 4> m_statusIcons;
};

} // namespace quillon::ui
