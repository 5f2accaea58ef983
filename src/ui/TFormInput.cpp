#include "ui/TFormInput.h"

#include "ui/FixedDialog.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include <limits>

namespace quillon::ui {

TFormInput::TFormInput(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("TFormInput"));
    setFixedSize(237, 95);

    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("Edit1"));
    m_edit->setGeometry(15, 15, 206, 21);
    m_edit->setMaxLength(std::numeric_limits<int>::max());

    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("ButtonOK"));
    ok->setGeometry(40, 55, 75, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("ButtonCancel"));
    cancel->setGeometry(120, 55, 75, 25);
    cancel->setAutoDefault(false);
    // Esc and the close box reject the dialog as well.
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    setFocusProxy(m_edit);
}

QString TFormInput::text() const
{
    return m_edit->text();
}

void TFormInput::setText(const QString& text)
{
    m_edit->setText(text);
}

void TFormInput::setVisible(bool visible)
{
    if (visible && !isVisible())
        centreOverParent();
    QDialog::setVisible(visible);
}

void TFormInput::showEvent(QShowEvent* event)
{
    m_edit->setFocus();
    QDialog::showEvent(event);
}

void TFormInput::centreOverParent()
{
    if (const QWidget* const owner = parentWidget())
        centreOn(*this, owner->window()->frameGeometry().center());
    else
        centreOnScreen(*this);
}

} // namespace quillon::ui
