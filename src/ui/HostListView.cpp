#include "ui/HostListView.h"

#include <QHeaderView>
#include <QKeyEvent>

#include <algorithm>

namespace quillon::ui {

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

void HostListView::fitColumns()
{
    if (!model())
        return;
    const QFontMetrics fm = fontMetrics();
    const int sample = std::min(model()->rowCount(), 200);
    setColumnWidth(0, 20 + 8);
    for (int c = 1; c < model()->columnCount(); ++c) {
        int width = fm.horizontalAdvance(model()->headerData(c, Qt::Horizontal).toString()) + 24;
        for (int r = 0; r < sample; ++r)
            width = std::max(width, fm.horizontalAdvance(model()->index(r, c).data().toString()) + 12);
        setColumnWidth(c, std::min(width, 360));
    }
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
