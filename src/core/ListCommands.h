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

// The texts of the questions, from their pieces.
std::string deleteQuestion(int page, int selected);
std::string removeAliasQuestion(int selected);

} // namespace quillon::core
