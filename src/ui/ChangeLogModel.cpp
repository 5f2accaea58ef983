#include "ui/ChangeLogModel.h"

#include "ui/Icons.h"
#include "ui/ShownText.h"

namespace quillon::ui {

namespace {

QString changeText(char op)
{
    switch (op) {
    case '+':
        return QStringLiteral("Added");
    case '-':
        return QStringLiteral("Removed");
    case '~':
        return QStringLiteral("Address changed");
    default:
        return QStringLiteral("File put back");
    }
}

QIcon changeIcon(char op)
{
    using icons::MenuIcon;
    switch (op) {
    case '+':
        return icons::menuIcon(MenuIcon::AddHost);
    case '-':
        return icons::menuIcon(MenuIcon::Delete);
    case '~':
        return icons::menuIcon(MenuIcon::AutoVerify);
    default:
        return icons::menuIcon(MenuIcon::Restore);
    }
}

} // namespace

ChangeLogModel::ChangeLogModel(const core::DateTimeText& dateText, QObject* parent)
    : QAbstractTableModel(parent)
    , m_dateText(dateText)
{
}

void ChangeLogModel::setEntries(std::vector<core::ChangeEntry> entries)
{
    beginResetModel();
    m_entries = std::move(entries);
    m_rows = core::newestFirst(m_entries, m_filter);
    endResetModel();
}

void ChangeLogModel::setFilter(const QString& filter)
{
    beginResetModel();
    m_filter = filter.trimmed().toStdString();
    m_rows = core::newestFirst(m_entries, m_filter);
    endResetModel();
}

int ChangeLogModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int ChangeLogModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ChangeLogModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= m_rows.size())
        return {};
    const core::ChangeEntry& e = m_entries[m_rows[static_cast<std::size_t>(index.row())]];
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case ColumnDate: {
            if (const auto when = core::entryDateTime(e))
                return QString::fromLocal8Bit(m_dateText.format(*when));
            // A date the log does not hold validly shows as it stands.
            return shownText(e.date + ' ' + e.time);
        }
        case ColumnChange:
            return changeText(e.op);
        case ColumnName:
            return shownText(e.name);
        case ColumnAddress:
            return shownText(e.address);
        case ColumnOldAddress:
            return shownText(e.oldAddress);
        default:
            return {};
        }
    }
    if (role == Qt::DecorationRole && index.column() == ColumnChange)
        return changeIcon(e.op);
    return {};
}

QVariant ChangeLogModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const titles[] = { "Date", "Change", "Name", "Address", "Old Address" };
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(titles[section]) : QVariant();
}

} // namespace quillon::ui
