#include "ui/WidgetInputDialog.h"

namespace quillon::ui {

WidgetInputDialog::WidgetInputDialog(QWidget* parent, const QString& caption, const QString& text)
    : m_form(new TFormInput(parent))
{
    m_form->setWindowTitle(caption);
    m_form->setText(text);
}

WidgetInputDialog::~WidgetInputDialog()
{
    delete m_form.data();
}

bool WidgetInputDialog::exec()
{
    return m_form && m_form->exec() == QDialog::Accepted;
}

std::string WidgetInputDialog::text() const
{
    return m_form ? m_form->text().toLocal8Bit().toStdString() : std::string();
}

void WidgetInputDialog::setText(const std::string& text)
{
    if (m_form)
        m_form->setText(QString::fromLocal8Bit(text));
}

} // namespace quillon::ui
