#include "ui/HostListView.h"

#include <QHeaderView>
#include <QKeyEvent>

#include <algorithm>

namespace quillon::ui {

namespace {
// The status icon column, as wide as its icons.
constexpr int StatusColumnWidth = 20;
} // namespace

HostListView::HostListView(QWidget* parent)
    : QTableView(parent)
{
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setAutoFillBackground(true);

    QPalette p = palette();
    p.setColor(QPalette::Base, Qt::white);
    // The selection stays as visible as with focus.
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(p);

    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setMinimumSectionSize(StatusColumnWidth);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &HostListView::headerClicked);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { emit popupRequested(viewport()->mapToGlobal(pos)); });
}

std::vector<int> HostListView::selectedRowNumbers() const
{
    std::vector<int> rows;
    if (!selectionModel())
        return rows;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        for (int r = range.top(); r <= range.bottom(); ++r)
            rows.push_back(r);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

int HostListView::selectedRowCount() const
{
    if (!selectionModel())
        return 0;
    const QItemSelection selection = selectionModel()->selection();
    // Ranges of a row selection seldom overlap; when they might, count exactly.
    if (selection.size() <= 1)
        return selection.isEmpty() ? 0 : selection.first().height();
    return static_cast<int>(selectedRowNumbers().size());
}

void HostListView::setModel(QAbstractItemModel* model)
{
    QTableView::setModel(model);
    if (!model)
        return;
    m_wasEmpty = model->rowCount() == 0;
    connect(model, &QAbstractItemModel::rowsAboutToBeInserted, this,
            [this] { m_wasEmpty = this->model()->rowCount() == 0; });
    connect(model, &QAbstractItemModel::rowsInserted, this, [this] {
        if (m_wasEmpty)
            fitColumns();
        else
            m_changedSinceFit = true;
    });
    const auto changed = [this] { m_changedSinceFit = true; };
    connect(model, &QAbstractItemModel::dataChanged, this, changed);
    connect(model, &QAbstractItemModel::modelReset, this, changed);
}

void HostListView::fitColumns()
{
    if (!model())
        return;
    m_changedSinceFit = false;
    const QFontMetrics fm = fontMetrics();
    // The rows in sight, or, before the view has a height, as many as a
    // window of the design size shows.
    const int rowHeight = std::max(verticalHeader()->defaultSectionSize(), 1);
    const int inSight = viewport()->height() > rowHeight ? viewport()->height() / rowHeight + 1 : 40;
    const int first = std::max(rowAt(0), 0);
    const int last = std::min(model()->rowCount(), first + inSight);
    setColumnWidth(0, StatusColumnWidth);
    for (int c = 1; c < model()->columnCount(); ++c) {
        int width = fm.horizontalAdvance(model()->headerData(c, Qt::Horizontal).toString()) + 24;
        for (int r = first; r < last; ++r)
            width = std::max(width, fm.horizontalAdvance(model()->index(r, c).data().toString()) + 12);
        setColumnWidth(c, std::min(width, 360));
    }
}

void HostListView::showEvent(QShowEvent* event)
{
    QTableView::showEvent(event);
    if (m_changedSinceFit)
        fitColumns();
}

void HostListView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
        if (selectedRowCount() > 0)
            emit deletePressed();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

} // namespace quillon::ui
