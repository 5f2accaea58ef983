#pragma once
// A list observer that checks the call pairs and keeps a log such as
// "ins Hosts 0-0", "rem Trash 2-4", "chg Wait 0-0", "reset Hosts".

#include "core/ListObserver.h"

#include <string>
#include <vector>

namespace quillon::test {

class RecordingObserver final : public core::ListObserver {
public:
    std::vector<std::string> log;
    // Set when an "after" call came without its "about to" call.
    bool unpaired = false;

    void rowsAboutToBeInserted(core::ListPage page, int first, int last) override;
    void rowsInserted(core::ListPage page) override;
    void rowsAboutToBeRemoved(core::ListPage page, int first, int last) override;
    void rowsRemoved(core::ListPage page) override;
    void rowsChanged(core::ListPage page, int first, int last) override;
    void aboutToReset(core::ListPage page) override;
    void reset(core::ListPage page) override;

private:
    std::string m_open;
};

} // namespace quillon::test
