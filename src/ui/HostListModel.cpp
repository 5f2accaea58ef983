#include "ui/HostListModel.h"

#include "core/HostRecord.h"
#include "ui/ShownText.h"

namespace quillon::ui {

HostListModel::HostListModel(core::HostStore& store, core::ListPage page, const core::DateTimeText& dateText,
                             QObject* parent)
    : QAbstractTableModel(parent)
    , m_store(store)
    , m_page(page)
    , m_dateText(dateText)
    , m_textColor(page == core::ListPage::Hosts ? QColor(Qt::black)
                      : page == core::ListPage::Wait ? QColor(0, 0, 128) // navy
                                                     : QColor(Qt::red))
{
    m_store.addObserver(this);
}

HostListModel::~HostListModel()
{
    m_store.removeObserver(this);
}

int HostListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_store.page(m_page).size());
}

int HostListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString HostListModel::cellText(int row, int column) const
{
    const core::TRecHost& r = m_store.page(m_page).at(static_cast<std::size_t>(row));
    switch (column) {
    case ColumnHostName:
        return shownText(r.HostName);
    case ColumnAlias:
        return shownText(r.Alias);
    case ColumnIP:
        return shownText(r.IP);
    case ColumnDate:
        return r.Date == 0 ? QString() : QString::fromLocal8Bit(m_dateText.format(r.Date));
    case ColumnFreq:
        return QString::number(r.Freq);
    default:
        return {};
    }
}

QVariant HostListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return index.column() == ColumnStatus ? QVariant() : QVariant(cellText(index.row(), index.column()));
    case Qt::DecorationRole:
        if (index.column() == ColumnStatus) {
            const int status = m_store.page(m_page).at(static_cast<std::size_t>(index.row())).Status;
            if (core::isValidStatus(status))
                return m_statusIcons[static_cast<std::size_t>(status)];
        }
        return {};
    case Qt::ForegroundRole:
        return m_textColor;
    default:
        return {};
    }
}

QVariant HostListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case ColumnStatus:
        return m_page == core::ListPage::Trash ? QStringLiteral(" ") : QString();
    case ColumnHostName:
        return QStringLiteral("Host Name");
    case ColumnAlias:
        return QStringLiteral("Alias");
    case ColumnIP:
        return QStringLiteral("IP Address");
    case ColumnDate:
        return QStringLiteral("Last Verification");
    case ColumnFreq:
        return QStringLiteral("Frequency Index");
    default:
        return {};
    }
}

Qt::ItemFlags HostListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void HostListModel::rowsAboutToBeInserted(core::ListPage page, int first, int last)
{
    if (page == m_page)
        beginInsertRows({}, first, last);
}

void HostListModel::rowsInserted(core::ListPage page)
{
    if (page == m_page)
        endInsertRows();
}

void HostListModel::rowsAboutToBeRemoved(core::ListPage page, int first, int last)
{
    if (page == m_page)
        beginRemoveRows({}, first, last);
}

void HostListModel::rowsRemoved(core::ListPage page)
{
    if (page == m_page)
        endRemoveRows();
}

void HostListModel::rowsChanged(core::ListPage page, int first, int last)
{
    if (page == m_page)
        emit dataChanged(index(first, 0), index(last, ColumnCount - 1));
}

void HostListModel::aboutToReset(core::ListPage page)
{
    if (page == m_page)
        beginResetModel();
}

void HostListModel::reset(core::ListPage page)
{
    if (page == m_page)
        endResetModel();
}

} // namespace quillon::ui
