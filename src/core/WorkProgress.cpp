#include "core/WorkProgress.h"

namespace quillon::core {

void WorkProgress::show(const std::string& action)
{
    WorkPanelSetup setup;
    setup.action = action;
    setup.progress = 0;
    setup.percent = "0%";
    setup.cancelEnabled = true;
    m_app.dialogs.showWorkPanel(setup);
}

void WorkProgress::hide()
{
    if (m_app.dialogs.workPanelVisible())
        m_app.dialogs.hideWorkPanel();
}

void WorkProgress::beginItem(int i, const std::string& item)
{
    if (m_total > 1)
        m_app.dialogs.setWorkAction("Verifying Host (" + std::to_string(i) + " of " + std::to_string(m_total) + "):");
    m_app.dialogs.setWorkUrl(item);
    m_app.dialogs.repaintWorkPanel();
    m_app.shell.processEvents();
}

void WorkProgress::endItem(int i)
{
    if (m_total <= 0)
        return;
    const int percent = static_cast<int>(static_cast<long long>(i) * 100 / m_total);
    if (percent != m_app.dialogs.workProgress()) {
        m_app.dialogs.setWorkProgress(percent);
        m_app.dialogs.repaintWorkPanel();
    }
}

} // namespace quillon::core
