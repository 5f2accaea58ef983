#include "capture/frmIgnoreList.h"

#include "capture/IgnoreListEditor.h"
#include "ui/FixedDialog.h"
#include "ui/ShownText.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace quillon::capture {

TFormIgnoreList::TFormIgnoreList(IgnoreListEditor& editor, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint)
    , m_editor(editor)
{
    setObjectName(QStringLiteral("TFormIgnoreList"));
    setWindowTitle(QStringLiteral("Hosts to be Ignored"));
    setModal(true);
    setFixedSize(246, 301);

    m_list = new QTableWidget(0, 1, this);
    m_list->setObjectName(QStringLiteral("ListViewIgnore"));
    m_list->setHorizontalHeaderLabels({ QStringLiteral("Host") });
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    m_list->setShowGrid(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QPalette p = m_list->palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
    m_list->setPalette(p);

    QPushButton* add = ui::namedButton(this, "ButtonAddHost", "&Add");
    QPushButton* remove = ui::namedButton(this, "ButtonRemoveHost", "&Remove");
    QPushButton* close = ui::namedButton(this, "ButtonClose", "&Close");
    connect(add, &QPushButton::clicked, this, &TFormIgnoreList::ButtonAddHostClick);
    connect(remove, &QPushButton::clicked, this, &TFormIgnoreList::ButtonRemoveHostClick);
    connect(close, &QPushButton::clicked, this, &TFormIgnoreList::ButtonCloseClick);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addWidget(close);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 8);
    column->addWidget(m_list, 1);
    column->addLayout(buttons);

    showRows();
}

void TFormIgnoreList::showRows(int current)
{
    const auto& rows = m_editor.rows();
    m_list->clearContents();
    m_list->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r)
        m_list->setItem(r, 0, new QTableWidgetItem(ui::shownText(rows[static_cast<std::size_t>(r)])));
    if (current >= 0) {
        m_list->selectRow(current);
        m_list->scrollToItem(m_list->item(current, 0));
    }
}

std::vector<int> TFormIgnoreList::selectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TFormIgnoreList::ButtonAddHostClick()
{
    const int row = m_editor.add();
    if (row >= 0)
        showRows(row);
}

void TFormIgnoreList::ButtonRemoveHostClick()
{
    const std::size_t before = m_editor.rows().size();
    m_editor.remove(selectedRows());
    if (m_editor.rows().size() != before)
        showRows();
}

void TFormIgnoreList::ButtonCloseClick()
{
    m_editor.close();
    accept();
}

} // namespace quillon::capture
