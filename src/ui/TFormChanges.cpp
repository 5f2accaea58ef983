#include "ui/TFormChanges.h"

#include "ui/ChangeLogModel.h"
#include "ui/FixedDialog.h"
#include "ui/Icons.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace quillon::ui {

TFormChanges::TFormChanges(HostsChangesActions actions, const core::DateTimeText& dateText, QWidget* parent)
    : QDialog(parent)
    , m_actions(std::move(actions))
{
    setObjectName(QStringLiteral("TFormChanges"));
    setWindowTitle(QStringLiteral("Hosts File Changes"));
    setWindowIcon(icons::menuIcon(icons::MenuIcon::HostsChanges));

    m_model = new ChangeLogModel(dateText, this);
    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("EditFilter"));
    m_filter->setPlaceholderText(QStringLiteral("Host name"));
    m_filter->setClearButtonEnabled(true);
    auto* filterLabel = new QLabel(QStringLiteral("&Filter:"), this);
    filterLabel->setBuddy(m_filter);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("LabelCount"));
    m_logError = new QLabel(this);
    m_logError->setObjectName(QStringLiteral("LabelLogError"));
    m_logError->setTextFormat(Qt::PlainText);
    m_logError->setWordWrap(true);
    m_logError->hide();

    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("GridChanges"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setAlternatingRowColors(true);
    m_table->setShowGrid(false);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->horizontalHeader()->setHighlightSections(false);
    const int digit = m_table->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    m_table->setColumnWidth(ChangeLogModel::ColumnDate, digit * 22);
    m_table->setColumnWidth(ChangeLogModel::ColumnChange, digit * 19);
    m_table->setColumnWidth(ChangeLogModel::ColumnName, digit * 30);
    m_table->setColumnWidth(ChangeLogModel::ColumnAddress, digit * 17);

    m_restoreOriginal = namedButton(this, "ButtonRestoreOriginal", "Restore &Original Hosts File");
    m_restorePrevious = namedButton(this, "ButtonRestorePrevious", "Restore &Previous Hosts File");
    m_restoreOriginal->setIcon(icons::menuIcon(icons::MenuIcon::Restore));
    m_restorePrevious->setIcon(icons::menuIcon(icons::MenuIcon::Restore));
    QPushButton* close = namedButton(this, "ButtonClose", "Close");
    close->setDefault(true);

    auto* top = new QHBoxLayout;
    top->addWidget(filterLabel);
    top->addWidget(m_filter, 1);
    top->addSpacing(12);
    top->addWidget(m_count);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_restoreOriginal);
    buttons->addWidget(m_restorePrevious);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* column = new QVBoxLayout(this);
    column->addLayout(top);
    column->addWidget(m_logError);
    column->addWidget(m_table, 1);
    column->addLayout(buttons);

    connect(m_filter, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_model->setFilter(text);
        showCount();
    });
    connect(m_restoreOriginal, &QPushButton::clicked, this, [this] { restore(core::KeptHostsCopy::Original); });
    connect(m_restorePrevious, &QPushButton::clicked, this, [this] { restore(core::KeptHostsCopy::Previous); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    resize(digit * 110, digit * 50);
    reload();
}

void TFormChanges::reload()
{
    std::vector<core::ChangeEntry> entries;
    const core::Outcome read = m_actions.readLog(entries);
    m_model->setEntries(std::move(entries));
    // An empty list alone would look like a log without changes.
    m_logError->setText(QString::fromLocal8Bit(read.message()));
    m_logError->setVisible(!read.ok());
    showCount();
    m_restoreOriginal->setEnabled(m_actions.copyExists(core::KeptHostsCopy::Original));
    m_restorePrevious->setEnabled(m_actions.copyExists(core::KeptHostsCopy::Previous));
}

void TFormChanges::showCount()
{
    const int shown = m_model->rowCount();
    const int all = m_model->entryCount();
    const QString noun = all == 1 ? QStringLiteral("change") : QStringLiteral("changes");
    m_count->setText(shown == all ? QStringLiteral("%1 %2").arg(all).arg(noun)
                                  : QStringLiteral("%1 of %2 %3").arg(shown).arg(all).arg(noun));
}

void TFormChanges::restore(core::KeptHostsCopy copy)
{
    if (m_actions.restore(copy))
        reload();
}

} // namespace quillon::ui
