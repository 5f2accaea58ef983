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
    if (!m_form)
        return 0;
    // The chosen button of an earlier showing (3, before "Abort operation ?"
    // was answered No) must not count for this one.
    m_form->resetChosenButton();
    m_form->exec();
    return m_form ? m_form->chosenButton() : 0;
}

bool WidgetUnverifiablePrompt::autoResult() const
{
    return m_form && m_form->autoResult();
}

} // namespace quillon::ui
