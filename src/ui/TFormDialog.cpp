#include "ui/TFormDialog.h"

#include "ui/FixedDialog.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

namespace quillon::ui {

namespace {

QLabel* addLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry,
                 Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setAlignment(alignment);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QPushButton* addButton(QWidget* parent, const char* name, const QString& text, int left)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(left, 150, 75, 25);
    // No button is the default: Enter must not pick an answer for the person.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace

TFormDialog::TFormDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("TFormDialog"));
    setWindowTitle(QStringLiteral("Quillon"));
    setFixedSize(271, 212);

    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setGeometry(10, 10, 32, 32);
    image->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, this).pixmap(32, 32));

    addLabel(this, "Label0A", QStringLiteral("WARNING!!! Impossible to verify:"), { 55, 10, 206, 21 },
             Qt::AlignCenter);
    m_labelUrl = addLabel(this, "LabelURL", QStringLiteral("hostname"), { 55, 30, 211, 21 }, Qt::AlignCenter);
    QFont bold = m_labelUrl->font();
    bold.setBold(true);
    m_labelUrl->setFont(bold);
    addLabel(this, "Label0B", QStringLiteral("Press:"), { 15, 60, 251, 20 });
    m_label1 = addLabel(this, "Label1", QStringLiteral("- 'Ignore' to ignore the Host;"), { 15, 80, 251, 20 });
    addLabel(this, "Label2", QStringLiteral("- 'Wait' to send the Host to the Wait List;"), { 15, 100, 251, 20 });
    addLabel(this, "Label3", QStringLiteral("- 'Abort' to abort verification."), { 15, 120, 251, 20 });

    m_button1 = addButton(this, "Button1", QStringLiteral("&Ignore"), 20);
    QPushButton* const button2 = addButton(this, "Button2", QStringLiteral("&Wait"), 100);
    QPushButton* const button3 = addButton(this, "Button3", QStringLiteral("&Abort"), 180);
    connect(m_button1, &QPushButton::clicked, this, [this] { choose(1); });
    connect(button2, &QPushButton::clicked, this, [this] { choose(2); });
    connect(button3, &QPushButton::clicked, this, [this] { choose(3); });

    m_autoResult = new QCheckBox(QStringLiteral("same action for all Hosts that can't be verified"), this);
    m_autoResult->setObjectName(QStringLiteral("DialogAutoResult"));
    m_autoResult->setGeometry(20, 180, 251, 21);

    // The design size fits the check box's text in the small font the
    // layout was drawn for; with a larger desktop font the dialog grows
    // wider rather than cut the text.
    const int needed = 20 + m_autoResult->sizeHint().width() + 10;
    if (needed > width()) {
        setFixedSize(needed, height());
        m_autoResult->resize(m_autoResult->sizeHint().width(), 21);
    }

    centreOnScreen(*this);
}

void TFormDialog::setHost(const QString& host)
{
    m_labelUrl->setText(host);
}

void TFormDialog::setVariant(core::PromptVariant variant)
{
    if (variant == core::PromptVariant::Reverification) {
        m_label1->setText(QStringLiteral("- 'Delete' to send the Host to the Trash;"));
        m_button1->setText(QStringLiteral("&Delete"));
    } else {
        m_label1->setText(QStringLiteral("- 'Ignore' to ignore the Host;"));
        m_button1->setText(QStringLiteral("&Ignore"));
    }
}

bool TFormDialog::autoResult() const
{
    return m_autoResult->isChecked();
}

void TFormDialog::choose(int button)
{
    m_chosen = button;
    done(button);
}

void TFormDialog::keyPressEvent(QKeyEvent* event)
{
    // QDialog would reject on Esc; this dialog has no cancel button.
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFormDialog::setVisible(bool visible)
{
    if (visible && !isVisible())
        centreOnScreen(*this);
    QDialog::setVisible(visible);
}


} // namespace quillon::ui
