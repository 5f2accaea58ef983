#include "ui/WidgetUnverifiablePrompt.h"

namespace quillon::ui {

WidgetUnverifiablePrompt::WidgetUnverifiablePrompt(QWidget* parent, const QString& host,
                                                   core::PromptVariant variant)
    : m_form(new TFormDialog(parent))
{
    m_form->setHost(host);
    m_form->setVariant(variant);
}

WidgetUnverifiablePrompt::~WidgetUnverifiablePrompt()
{
    delete m_form.data();
}

int WidgetUnverifiablePrompt::exec()
{
    constexpr int Abort = 3;
    while (m_form) {
        // The chosen button of an earlier showing (3, before "Abort
        // operation ?" was answered No) must not count for this one.
        m_form->resetChosenButton();
        m_form->exec();
        if (!m_form)
            break;
        if (m_form->chosenButton() != 0)
            return m_form->chosenButton();
        // Closed without a button: normally the dialog is hidden again and
        // simply shown once more. Still visible means its event loop was
        // ended from outside (the application is leaving), and every further
        // showing would return at once.
        if (m_form->isVisible()) {
            m_form->hide();
            break;
        }
    }
    return Abort;
}

bool WidgetUnverifiablePrompt::autoResult() const
{
    return m_form && m_form->autoResult();
}

} // namespace quillon::ui
