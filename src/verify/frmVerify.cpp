#include "verify/frmVerify.h"

#include "core/ProgramState.h"
#include "ui/FixedDialog.h"
#include "ui/Icons.h"
#include "ui/PageControl.h"
#include "ui/ShownText.h"
#include "ui/WindowLayout.h"

#include <QAbstractTableModel>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <functional>

namespace quillon::verify {

namespace {

// "999.999.999.999" of the address fields: three optional digits a group.
const QString AddressMask = QStringLiteral("000.000.000.000;_");
constexpr int AddressLength = 15;
constexpr int LastGroupStart = 12;
constexpr int GroupLength = 3;

// A masked address field. MEditIP2's fixed first three groups cannot be
// typed into: a Qt mask takes a typed character that equals the fixed
// character under the cursor as that character, so typing "15" in front of
// a fixed "1" would give "5"; there typing and pasting start at the last
// group. focusOut runs after the field's own handling, which would
// otherwise drop a selection that the handler makes.
class AddressEdit final : public QLineEdit {
public:
    AddressEdit(bool lastGroupOnly, QWidget* parent)
        : QLineEdit(parent)
        , m_lastGroupOnly(lastGroupOnly)
    {
    }

    std::function<void(Qt::FocusReason)> focusOut;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (m_lastGroupOnly && (!event->text().isEmpty() || event->matches(QKeySequence::Paste))) {
            if (hasSelectedText() && selectionStart() < LastGroupStart) {
                const int end = selectionStart() + static_cast<int>(selectedText().size());
                if (end > LastGroupStart)
                    setSelection(LastGroupStart, end - LastGroupStart);
                else
                    setCursorPosition(LastGroupStart);
            } else if (!hasSelectedText() && cursorPosition() < LastGroupStart) {
                setCursorPosition(LastGroupStart);
            }
        }
        QLineEdit::keyPressEvent(event);
    }
    void focusOutEvent(QFocusEvent* event) override
    {
        QLineEdit::focusOutEvent(event);
        if (focusOut)
            focusOut(event->reason());
    }

private:
    bool m_lastGroupOnly;
};

} // namespace

// The tool's rows as a table: "Host" and "IP". The tool announces each
// change, which the window passes on here.
class VerifiedRowsModel final : public QAbstractTableModel {
public:
    VerifiedRowsModel(const AddressTool& tool, QObject* parent)
        : QAbstractTableModel(parent)
        , m_tool(tool)
    {
    }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_tool.rows().size());
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 2; }
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override
    {
        if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
            return {};
        const VerifiedRow& row = m_tool.rows()[static_cast<std::size_t>(index.row())];
        return ui::shownText(index.column() == 0 ? row.host : row.ip);
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return QAbstractTableModel::headerData(section, orientation, role);
        return section == 0 ? QStringLiteral("Host") : QStringLiteral("IP");
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren
                               : Qt::NoItemFlags;
    }

    void aboutToInsert(int first, int last) { beginInsertRows({}, first, last); }
    void inserted() { endInsertRows(); }
    void aboutToRemove(int first, int last) { beginRemoveRows({}, first, last); }
    void removed() { endRemoveRows(); }

private:
    const AddressTool& m_tool;
};

const QString TFormVerify::FinalFieldStartMask = QStringLiteral("\\_\\_\\_.\\_\\_\\_.\\_\\_\\_.000;_");

QString octetFieldText(const QString& displayText)
{
    QString field;
    for (const QChar c : displayText) {
        if (c == QLatin1Char('.'))
            continue;
        field += c == QLatin1Char('_') ? QLatin1Char(' ') : c;
    }
    return field;
}

namespace {

void keepPlaceWhenHidden(QWidget* widget)
{
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
}

std::string handedOver(const QLineEdit* field)
{
    return octetFieldText(field->displayText()).toLocal8Bit().toStdString();
}

// The three positions of MEditIP2's last group.
std::string lastGroupHandedOver(const QLineEdit* field)
{
    return octetFieldText(field->displayText()).mid(9, GroupLength).toLocal8Bit().toStdString();
}

} // namespace

TFormVerify::TFormVerify(AddressTool& tool, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint)
    , m_tool(tool)
{
    setObjectName(QStringLiteral("TFormVerify"));
    setWindowTitle(QStringLiteral("Addresses Verification"));
    setModal(true);

    const int addressWidth = fontMetrics().horizontalAdvance(QStringLiteral("888.888.888.888")) + 16;
    auto makeAddressField = [addressWidth](QLineEdit* field, const char* name, const QString& mask) {
        field->setObjectName(QString::fromLatin1(name));
        field->setInputMask(mask);
        field->setFixedWidth(addressWidth);
        return field;
    };

    // The three tabs.
    m_pages = new ui::PageControl(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));

    auto* hostPage = new QWidget;
    m_hostName = new QLineEdit(hostPage);
    m_hostName->setObjectName(QStringLiteral("EditHostname"));
    auto* hostRow = new QHBoxLayout(hostPage);
    hostRow->addWidget(new QLabel(QStringLiteral("Host Name:"), hostPage));
    hostRow->addWidget(m_hostName, 1);
    m_pages->addTab(hostPage, QStringLiteral("Host Name"));

    auto* addressPage = new QWidget;
    m_address = makeAddressField(new AddressEdit(false, addressPage), "MEditIP", AddressMask);
    auto* addressRow = new QHBoxLayout(addressPage);
    addressRow->addWidget(new QLabel(QStringLiteral("IP Address:"), addressPage));
    addressRow->addWidget(m_address);
    addressRow->addStretch(1);
    m_pages->addTab(addressPage, QStringLiteral("IP Address"));

    auto* intervalPage = new QWidget;
    auto* initial = new AddressEdit(false, intervalPage);
    m_initial = makeAddressField(initial, "MEditIP1", AddressMask);
    m_final = makeAddressField(new AddressEdit(true, intervalPage), "MEditIP2", FinalFieldStartMask);
    m_cancel = ui::namedButton(this, "ButtonCancel", "&Cancel");
    m_cancel->setParent(intervalPage);
    // Hidden most of the time; the fields keep their places meanwhile.
    keepPlaceWhenHidden(m_cancel);
    m_cancel->hide();
    auto* intervalGrid = new QGridLayout(intervalPage);
    intervalGrid->addWidget(new QLabel(QStringLiteral("Initial IP Address:"), intervalPage), 0, 0);
    intervalGrid->addWidget(m_initial, 0, 1);
    intervalGrid->addWidget(new QLabel(QStringLiteral("Final IP Address:"), intervalPage), 1, 0);
    intervalGrid->addWidget(m_final, 1, 1);
    intervalGrid->addWidget(m_cancel, 1, 3);
    intervalGrid->setColumnStretch(2, 1);
    m_pages->addTab(intervalPage, QStringLiteral("IP Interval"));
    m_pages->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    m_verify = ui::namedButton(this, "ButtonVerify", "&Verify");
    m_verify->setAutoDefault(true);
    m_verify->setDefault(true);
    keepPlaceWhenHidden(m_verify); // the list does not jump during an interval

    // The result list.
    m_rows = new VerifiedRowsModel(m_tool, this);
    m_list = new QTableView(this);
    m_list->setObjectName(QStringLiteral("ListView1"));
    m_list->setModel(m_rows);
    m_list->setShowGrid(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setWordWrap(false);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    m_list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_list->horizontalHeader()->setHighlightSections(false);
    m_list->horizontalHeader()->setStretchLastSection(false);
    m_list->setColumnWidth(0, 200);
    m_list->setColumnWidth(1, 150);
    m_list->setMinimumSize(200 + 150 + 2 * m_list->frameWidth()
                               + m_list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_list),
                           m_list->horizontalHeader()->sizeHint().height() + 8 * (fontMetrics().height() + 4)
                               + 2 * m_list->frameWidth());
    m_list->installEventFilter(this);

    // The status line and its two pictures, exactly one of them shown.
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("PanelStatus"));
    m_status->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_status->setTextFormat(Qt::PlainText);
    m_status->setMinimumWidth(1); // a long host name is cut, not the window widened
    m_status->setFixedHeight(fontMetrics().height() + 8);
    auto picture = [this](const char* name, int indicator) {
        auto* label = new QLabel(this);
        label->setObjectName(QString::fromLatin1(name));
        label->setPixmap(ui::icons::activityPixmap(indicator, devicePixelRatioF()));
        label->setFixedSize(16, 16);
        return label;
    };
    m_idlePicture = picture("ImageStatus0", core::ActivityNone);
    m_busyPicture = picture("ImageStatus1", core::ActivityVerifying);
    m_busyPicture->hide();

    m_clear = ui::namedButton(this, "ButtonClear", "&Reset Hosts");
    m_import = ui::namedButton(this, "ButtonImport", "&Import Hosts");
    m_close = ui::namedButton(this, "ButtonClose", "&Close");

    auto* verifyRow = new QHBoxLayout;
    verifyRow->addStretch(1);
    verifyRow->addWidget(m_verify);
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(m_status, 1);
    statusRow->addWidget(m_idlePicture);
    statusRow->addWidget(m_busyPicture);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(m_clear);
    buttonRow->addStretch(1);
    buttonRow->addWidget(m_import);
    buttonRow->addWidget(m_close);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 8);
    column->addWidget(m_pages);
    column->addLayout(verifyRow);
    column->addWidget(m_list, 1);
    column->addLayout(statusRow);
    column->addLayout(buttonRow);

    connect(m_verify, &QPushButton::clicked, this, &TFormVerify::ButtonVerifyClick);
    connect(m_cancel, &QPushButton::clicked, this, &TFormVerify::ButtonCancelClick);
    connect(m_clear, &QPushButton::clicked, this, &TFormVerify::ButtonClearClick);
    connect(m_import, &QPushButton::clicked, this, &TFormVerify::ButtonImportClick);
    connect(m_close, &QPushButton::clicked, this, &TFormVerify::ButtonCloseClick);
    initial->focusOut = [this](Qt::FocusReason reason) {
        // Only a move to another control of this window leaves the field; a
        // message box or menu coming up in front does not. Nor does anything
        // during an interval, whose final address is already taken.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && !m_tool.walking())
            MEditIP1Exit();
    };
    m_pages->installEventFilter(this);

    // FormCreate: the first tab, the idle picture, no results yet.
    m_pages->setCurrentIndex(0);
    m_tool.setView(this);
    resize(minimumSizeHint());
}

TFormVerify::~TFormVerify()
{
    m_tool.setView(nullptr);
}

void TFormVerify::focusAndSelect(QLineEdit* field, int start, int length)
{
    field->setFocus();
    field->setSelection(start, length);
}

void TFormVerify::resetFinalField()
{
    m_final->setInputMask(FinalFieldStartMask);
    m_final->clear();
}

void TFormVerify::ButtonVerifyClick()
{
    switch (m_pages->currentIndex()) {
    case 0:
        m_tool.verifyHostName(m_hostName->text().toLocal8Bit().toStdString());
        m_hostName->setFocus();
        m_hostName->selectAll();
        return;
    case 1: {
        const AddressOutcome outcome = m_tool.verifyAddress(handedOver(m_address));
        if (outcome == AddressOutcome::Abandoned)
            return;
        if (outcome == AddressOutcome::Cleared)
            m_address->clear();
        focusAndSelect(m_address, 0, AddressLength);
        return;
    }
    case 2:
        switch (m_tool.verifyInterval(handedOver(m_initial), lastGroupHandedOver(m_final))) {
        case IntervalOutcome::Abandoned:
            return;
        case IntervalOutcome::InvalidInitial:
            resetFinalField();
            focusAndSelect(m_initial, 0, AddressLength);
            return;
        case IntervalOutcome::InvalidFinal:
            focusAndSelect(m_final, LastGroupStart, GroupLength);
            return;
        case IntervalOutcome::Walked:
            focusAndSelect(m_initial, 0, AddressLength);
            return;
        }
        return;
    default:
        return;
    }
}

void TFormVerify::MEditIP1Exit()
{
    const FinalFieldPreset preset = m_tool.leaveInitialField(handedOver(m_initial));
    switch (preset.kind) {
    case FinalFieldPreset::Unchanged:
    case FinalFieldPreset::Abandoned:
        return;
    case FinalFieldPreset::InvalidInitial:
        resetFinalField();
        focusAndSelect(m_initial, 0, AddressLength);
        return;
    case FinalFieldPreset::Prepared:
        break;
    }
    QString mask;
    for (const QChar c : QString::fromLatin1(preset.fixedText.c_str()))
        mask += QLatin1Char('\\') + c;
    m_final->setInputMask(mask + QStringLiteral("000;_"));
    // The fixed characters in the text match the mask's, so the octet lands
    // in the last group.
    m_final->setText(QString::fromLatin1(preset.fixedText.c_str()) + QString::fromLatin1(preset.lastOctet.c_str()));
    m_final->setSelection(LastGroupStart, GroupLength);
    // Entering the field by Tab moves a masked field's cursor to its first
    // blank; the preset stays selected all the same.
    QTimer::singleShot(0, m_final, [field = m_final] { field->setSelection(LastGroupStart, GroupLength); });
}

void TFormVerify::ButtonCancelClick()
{
    m_tool.ButtonCancelClick();
}

void TFormVerify::ListView1KeyDown(QKeyEvent* event)
{
    std::vector<int> selected;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows())
        selected.push_back(index.row());
    m_tool.deleteRows(std::move(selected));
    event->accept();
}

void TFormVerify::ButtonClearClick()
{
    m_tool.ButtonClearClick();
}

void TFormVerify::ButtonImportClick()
{
    if (m_tool.ButtonImportClick())
        accept();
}

void TFormVerify::ButtonCloseClick()
{
    reject();
}

bool TFormVerify::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        ListView1KeyDown(static_cast<QKeyEvent*>(event));
        return true;
    }
    if (watched == m_pages && event->type() == QEvent::Resize)
        m_pages->setTabWidth(ui::layout::tabWidth(m_pages->width()));
    return QDialog::eventFilter(watched, event);
}

void TFormVerify::keyPressEvent(QKeyEvent* event)
{
    // Esc belongs to "&Cancel", which is there only during an interval; it
    // never closes the window and drops the rows.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (m_cancel->isVisible())
            m_cancel->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFormVerify::closeEvent(QCloseEvent* event)
{
    // The interval runs inside this window's event handling: it ends by
    // "&Cancel", not by closing the window under it.
    if (m_tool.walking()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TFormVerify::showStatus(const std::string& text)
{
    m_status->setText(QString::fromLocal8Bit(text));
    m_status->repaint();
}

void TFormVerify::showBusy(bool busy)
{
    m_busyPicture->setVisible(busy);
    m_idlePicture->setVisible(!busy);
    (busy ? m_busyPicture : m_idlePicture)->repaint();
}

void TFormVerify::showIntervalRunning(bool running)
{
    m_cancel->setVisible(running);
    if (running && m_verify->hasFocus())
        m_cancel->setFocus();
    m_verify->setVisible(!running);
    // Importing or closing now would leave the interval running behind a
    // window that is gone, its further rows lost.
    m_import->setEnabled(!running);
    m_close->setEnabled(!running);
    repaint();
}

void TFormVerify::processEvents()
{
    QCoreApplication::processEvents();
}

void TFormVerify::showHostName(const std::string& text)
{
    m_hostName->setText(QString::fromLocal8Bit(text));
}

void TFormVerify::rowsAboutToBeInserted(int first, int last)
{
    m_rows->aboutToInsert(first, last);
}

void TFormVerify::rowsInserted()
{
    m_rows->inserted();
}

void TFormVerify::rowsAboutToBeRemoved(int first, int last)
{
    m_rows->aboutToRemove(first, last);
}

void TFormVerify::rowsRemoved()
{
    m_rows->removed();
}

} // namespace quillon::verify
