#include "capture/ImportRun.h"

#include "capture/Admission.h"
#include "core/Interface.h"

namespace quillon::capture {

void showCollectionPanel(core::App& app, const std::string& action)
{
    core::WorkPanelSetup setup;
    setup.action = action;
    setup.cancelEnabled = false;
    app.dialogs.showWorkPanel(setup);
    app.dialogs.repaintWorkPanel();
}

int admitCollected(core::App& app, core::RecordList& candidates)
{
    app.dialogs.hideWorkPanel();
    int added = 0;
    {
        core::InterfaceLockGuard lock(app);
        added = AdmitImportedHosts(app, candidates, ImportMode::Verify);
    }
    candidates.clear();
    return added;
}

} // namespace quillon::capture
