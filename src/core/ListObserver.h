#pragma once
// What a view of a list is told when the list changes. Calls come in the
// pairs an item model needs: the "about to" call before the list changes, the
// other after. Rows are row numbers of the page's view (row r of the Wait
// page is active-list position H + r).

#include "core/ListPage.h"

namespace quillon::core {

class ListObserver {
public:
    virtual ~ListObserver() = default;
    virtual void rowsAboutToBeInserted(ListPage page, int first, int last) = 0;
    virtual void rowsInserted(ListPage page) = 0;
    virtual void rowsAboutToBeRemoved(ListPage page, int first, int last) = 0;
    virtual void rowsRemoved(ListPage page) = 0;
    virtual void rowsChanged(ListPage page, int first, int last) = 0;
    // The whole list was rebuilt (loaded, sorted, emptied).
    virtual void aboutToReset(ListPage page) = 0;
    virtual void reset(ListPage page) = 0;
};

} // namespace quillon::core
