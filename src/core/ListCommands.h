#pragma once
// The commands on the rows of the current page that resolve no name:
// finding a host name or an address, selecting all or inverting, changing
// and removing aliases, deleting to the Trash or for good, restoring from
// the Trash and emptying it. They ask their own questions and work on the
// current page's selection.

#include "core/App.h"

namespace quillon::core {

enum class FindField { HostName, IPAddress };

void findRow(App& app, FindField field);
void selectAllRows(App& app);
void invertSelection(App& app);
void modifyAlias(App& app);
void removeAlias(App& app);
// "&Delete", and the Delete key of a list view.
void deleteSelectedRows(App& app);
void restoreSelectedRows(App& app);
void emptyTrashCommand(App& app);

// Why hosts may not be moved into the list a page shows: its file could not
// be read when the program started (or, for the Hosts list, its folder is
// not used), so it is not written during this run and hosts moved there
// would be lost. Empty when they may.
std::string blockedListReason(const ProgramState& state, ListPage target);
// The same, shown to the person; true when the move is refused.
bool refuseMoveInto(App& app, ListPage target);

// Why the Hosts list's row of name stays as it is: it stands on one of the
// system's own lines of the hosts file (localhost, the IPv6 names, the
// machine's own name), which every save keeps as the system wrote them.
// Empty for any other row. change says what was refused ("sent to Trash").
std::string systemRowRefusal(const ProgramState& state, const TRecHost& row, const std::string& change);

// The texts of the questions, from their pieces.
std::string deleteQuestion(int page, int selected);
std::string removeAliasQuestion(int selected);

} // namespace quillon::core
