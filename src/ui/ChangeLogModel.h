#pragma once
// The change log as a table, newest first, with a filter on the name:
// date, change, name, address, old address. Dates show in the lists' form
// (the person's locale).

#include "core/ChangeLog.h"
#include "core/DateTimeText.h"

#include <QAbstractTableModel>

#include <vector>

namespace quillon::ui {

class ChangeLogModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { ColumnDate, ColumnChange, ColumnName, ColumnAddress, ColumnOldAddress, ColumnCount };

    // dateText must outlive the model.
    explicit ChangeLogModel(const core::DateTimeText& dateText, QObject* parent = nullptr);

    void setEntries(std::vector<core::ChangeEntry> entries);
    void setFilter(const QString& filter);
    int entryCount() const { return static_cast<int>(m_entries.size()); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void refilter();

    const core::DateTimeText& m_dateText;
    std::vector<core::ChangeEntry> m_entries;
    std::vector<std::size_t> m_rows; // indexes into m_entries, newest first
    std::string m_filter;
};

} // namespace quillon::ui
