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
    m_fitSoon.setSingleShot(true);
    m_fitSoon.setInterval(150);
    connect(&m_fitSoon, &QTimer::timeout, this, [this] {
        if (isVisible())
            fitColumns();
    });
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { emit popupRequested(viewport()->mapToGlobal(pos)); });
}

std::vector<std::pair<int, int>> HostListView::selectedRuns() const
{
    std::vector<std::pair<int, int>> runs;
    if (!selectionModel())
        return runs;
    const QItemSelection selection = selectionModel()->selection();
    runs.reserve(static_cast<std::size_t>(selection.size()));
    for (const QItemSelectionRange& range : selection)
        runs.emplace_back(range.top(), range.bottom());
    // Ranges may come in any order, and a range of another column may
    // cover the same rows again.
    std::sort(runs.begin(), runs.end());
    std::size_t kept = 0;
    for (const auto& run : runs) {
        if (kept > 0 && run.first <= runs[kept - 1].second + 1)
            runs[kept - 1].second = std::max(runs[kept - 1].second, run.second);
        else
            runs[kept++] = run;
    }
    runs.resize(kept);
    return runs;
}

std::vector<int> HostListView::selectedRowNumbers() const
{
    std::vector<int> rows;
    for (const auto& [first, last] : selectedRuns()) {
        for (int r = first; r <= last; ++r)
            rows.push_back(r);
    }
    return rows;
}

int HostListView::selectedRowCount() const
{
    int count = 0;
    for (const auto& [first, last] : selectedRuns())
        count += last - first + 1;
    return count;
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
        if (m_wasEmpty) {
            fitColumns();
            return;
        }
        // Rows added to a list that has some (an import, a capture): the
        // columns fit them a moment later, once for a whole run of arrivals.
        m_changedSinceFit = true;
        m_fitSoon.start();
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
