#include "core/ListCommands.h"

#include "core/HostName.h"
#include "core/Interface.h"
#include "core/SystemHostLines.h"

#include <algorithm>
#include <numeric>

namespace quillon::core {

namespace {

constexpr const char* NullField = "Null field not permitted.";
constexpr const char* NotFound = "Item not found.";

// Blanks and control characters off both ends.
std::string trimControls(const std::string& text)
{
    auto isTrimmed = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    auto first = std::find_if_not(text.begin(), text.end(), isTrimmed);
    auto last = std::find_if_not(text.rbegin(), text.rend(), isTrimmed).base();
    return first < last ? std::string(first, last) : std::string();
}

// Why a word of the alias may not stand in the hosts file: a name only the
// system's own lines hold, or one that is not admissible. Empty when every
// word may.
std::string aliasWordRefusal(std::string_view alias, std::string_view ownName)
{
    for (std::size_t pos = 0; pos < alias.size();) {
        const std::size_t end = std::min(alias.find(' ', pos), alias.size());
        const std::string_view word = alias.substr(pos, end - pos);
        pos = end + 1;
        if (word.empty())
            continue;
        if (isReservedHostName(word, ownName))
            return "\"" + std::string(word) + "\" not permitted in the Alias field: only the system's own lines name it.";
        if (!isAdmissibleHostName(word))
            return hostNameRefusal(word);
    }
    return {};
}

int findInPage(const HostSequence& seq, FindField field, const std::string& text)
{
    for (std::size_t row = 0; row < seq.size(); ++row) {
        const TRecHost& r = seq.at(row);
        if (equalsIgnoreCase(field == FindField::HostName ? r.HostName : r.IP, text))
            return static_cast<int>(row);
    }
    return -1;
}

// The current page when it is the Hosts or Wait page and has selected rows
// (the alias commands work on those only).
bool aliasSelection(App& app, int& page, std::vector<int>& selected)
{
    page = app.shell.currentPage();
    if (page == pageIndex(ListPage::Trash))
        return false;
    selected = app.shell.selectedRows(page);
    return !selected.empty();
}

std::string selectedHosts(int selected)
{
    return selected == 1 ? "selected Host" : std::to_string(selected) + " selected Hosts";
}

// The first of the rows of page that only the system may change, as the
// refusal to show; empty when there is none.
std::string systemRowsRefusal(const App& app, int page, const std::vector<int>& rows, const std::string& change)
{
    if (page != pageIndex(ListPage::Hosts))
        return {};
    const HostSequence& hosts = app.state.store.hosts();
    for (const int row : rows) {
        if (std::string why = systemRowRefusal(app.state, hosts.at(static_cast<std::size_t>(row)), change); !why.empty())
            return why;
    }
    return {};
}

} // namespace

std::string systemRowRefusal(const ProgramState& state, const TRecHost& row, const std::string& change)
{
    const bool system = state.keptHostsLines ? state.keptHostsLines->isSystemRecord(row)
                                             : isReservedHostName(row.HostName, state.ownHostName);
    if (!system)
        return {};
    return "\"" + row.HostName + "\" cannot be " + change
        + ": it stands on one of the system's own lines of the hosts file (localhost, the IPv6 names, the "
          "computer's own name), which Quillon keeps as the system wrote them.";
}

std::string deleteQuestion(int page, int selected)
{
    const bool trash = page == pageIndex(ListPage::Trash);
    return std::string(trash ? "Delete the " : "Send the ") + selectedHosts(selected) + (trash ? " ?" : " to Trash ?");
}

std::string removeAliasQuestion(int selected)
{
    return "Remove Alias from the " + selectedHosts(selected) + " ?";
}

void findRow(App& app, FindField field)
{
    const int page = app.shell.currentPage();
    const HostSequence& seq = app.state.store.page(pageFromIndex(page));
    const auto dialog =
        app.dialogs.inputDialog(field == FindField::HostName ? "Find Host name" : "Find IP address", "");
    while (dialog->exec()) {
        const std::string text = trimControls(dialog->text());
        dialog->setText(text);
        if (text.empty()) {
            app.dialogs.ask(NullField, MessageKind::Warning);
            continue;
        }
        const int row = findInPage(seq, field, text);
        if (row < 0) {
            app.dialogs.ask(NotFound, MessageKind::Information);
            continue;
        }
        app.shell.selectCurrentRow(page, row);
        app.shell.scrollRowToTop(page, row);
        return;
    }
}

void selectAllRows(App& app)
{
    const int page = app.shell.currentPage();
    std::vector<int> rows(app.state.store.page(pageFromIndex(page)).size());
    std::iota(rows.begin(), rows.end(), 0);
    app.shell.selectRows(page, rows);
}

void invertSelection(App& app)
{
    const int page = app.shell.currentPage();
    const std::vector<int> selected = app.shell.selectedRows(page);
    const int count = static_cast<int>(app.state.store.page(pageFromIndex(page)).size());
    std::vector<int> rows;
    rows.reserve(static_cast<std::size_t>(count) - std::min(selected.size(), static_cast<std::size_t>(count)));
    auto next = selected.begin();
    for (int r = 0; r < count; ++r) {
        if (next != selected.end() && *next == r)
            ++next;
        else
            rows.push_back(r);
    }
    app.shell.selectRows(page, rows);
}

void modifyAlias(App& app)
{
    int page = 0;
    std::vector<int> selected;
    if (!aliasSelection(app, page, selected))
        return;
    if (const std::string why = systemRowsRefusal(app, page, { selected.front() }, "given another alias"); !why.empty()) {
        reportError(app, why);
        return;
    }
    const auto row = static_cast<std::size_t>(selected.front());
    HostStore& store = app.state.store;
    const std::string current = store.page(pageFromIndex(page)).at(row).Alias;
    const auto dialog = app.dialogs.inputDialog("Alias", current);
    for (;;) {
        const std::string alias = dialog->exec() ? dialog->text() : current;
        // Written after the host name, a "#" or a line break in the alias
        // would add a comment or lines of its own to the system hosts file.
        if (alias.find('#') != std::string::npos) {
            app.dialogs.ask("\"#\" not permitted in the Alias field.", MessageKind::Warning);
            continue;
        }
        if (isUnsafeAlias(alias)) {
            app.dialogs.ask("Line breaks and control characters not permitted in the Alias field.",
                            MessageKind::Warning);
            continue;
        }
        // The hosts helper refuses a line holding such a word, and with it
        // every save, so it is refused here where the person can mend it.
        if (alias != current) {
            if (const std::string why = aliasWordRefusal(alias, app.state.ownHostName); !why.empty()) {
                app.dialogs.ask(why, MessageKind::Warning);
                continue;
            }
            store.setAlias(pageFromIndex(page), row, alias);
        }
        return;
    }
}

void removeAlias(App& app)
{
    int page = 0;
    std::vector<int> selected;
    if (!aliasSelection(app, page, selected))
        return;
    if (const std::string why = systemRowsRefusal(app, page, selected, "given another alias"); !why.empty()) {
        reportError(app, why);
        return;
    }
    if (app.dialogs.ask(removeAliasQuestion(static_cast<int>(selected.size())), MessageKind::QuestionDefaultYes)
        != Answer::Yes)
        return;
    for (const int row : selected)
        app.state.store.setAlias(pageFromIndex(page), static_cast<std::size_t>(row), "");
    app.shell.selectRows(page, {});
}

std::string blockedListReason(const ProgramState& state, ListPage target)
{
    const Paths& p = state.paths;
    const char* list = "the Hosts list";
    std::string file = p.hostsFile.hosts;
    bool blocked = state.blocked.hosts;
    if (target == ListPage::Wait) {
        list = "the Wait list";
        file = p.d01;
        blocked = state.blocked.d01;
    } else if (target == ListPage::Trash) {
        list = "the Trash";
        file = p.d02;
        blocked = state.blocked.d02;
    }
    if (!blocked)
        return {};
    if (target == ListPage::Hosts && !state.hostsFolderUnsafe.empty())
        return "Hosts cannot be moved into " + std::string(list) + ": " + state.hostsFolderUnsafe;
    return "Hosts cannot be moved into " + std::string(list) + ": \"" + file
        + "\" could not be read when Quillon started and is not written while it runs, so they would be lost.";
}

bool refuseMoveInto(App& app, ListPage target)
{
    const std::string why = blockedListReason(app.state, target);
    if (why.empty())
        return false;
    reportError(app, why);
    return true;
}

void deleteSelectedRows(App& app)
{
    const int page = app.shell.currentPage();
    const std::vector<int> selected = app.shell.selectedRows(page);
    if (selected.empty())
        return;
    if (page != pageIndex(ListPage::Trash) && refuseMoveInto(app, ListPage::Trash))
        return;
    if (const std::string why = systemRowsRefusal(app, page, selected, "sent to Trash"); !why.empty()) {
        reportError(app, why);
        return;
    }
    if (app.dialogs.ask(deleteQuestion(page, static_cast<int>(selected.size())), MessageKind::QuestionDefaultYes)
        != Answer::Yes)
        return;
    if (page == pageIndex(ListPage::Trash))
        app.state.store.deleteTrashRows(selected);
    else
        app.state.store.moveRowsToTrash(pageFromIndex(page), selected);
    app.shell.showHostCount();
}

void restoreSelectedRows(App& app)
{
    const int trashPage = pageIndex(ListPage::Trash);
    if (app.shell.currentPage() != trashPage)
        return;
    HostStore& store = app.state.store;
    const std::vector<int> selected = app.shell.selectedRows(trashPage);
    // Waiting records go back to the Wait list, all others to the Hosts list.
    for (const ListPage target : { ListPage::Hosts, ListPage::Wait }) {
        const bool needed = std::any_of(selected.begin(), selected.end(), [&](int row) {
            return (store.trash().at(static_cast<std::size_t>(row)).Status == StatusWaiting) == (target == ListPage::Wait);
        });
        if (needed && refuseMoveInto(app, target))
            return;
    }
    // Rows move up as the ones above them are restored.
    int restored = 0;
    std::vector<int> stillSelected;
    for (std::size_t k = 0; k < selected.size(); ++k) {
        const int row = selected[k] - restored;
        const std::string name = store.trash().at(static_cast<std::size_t>(row)).HostName;
        const int existing = store.activeIndexOf(name);
        if (existing >= 0) {
            const auto x = static_cast<std::size_t>(existing);
            const std::string why
                = x < store.hostsCount() ? systemRowRefusal(app.state, store.active(x), "overwritten") : std::string();
            if (!why.empty()) {
                reportError(app, why);
                continue; // deselected, stays in the Trash
            }
            const Answer a = app.dialogs.ask(name + " already in list: overwrite ?", MessageKind::ThreeWayDefaultNo);
            if (a == Answer::Cancel) {
                // The rest stay selected in the Trash.
                for (std::size_t m = k; m < selected.size(); ++m)
                    stillSelected.push_back(selected[m] - restored);
                break;
            }
            if (a != Answer::Yes)
                continue; // deselected, stays in the Trash
            store.removeActiveRecord(static_cast<std::size_t>(existing));
        }
        store.restoreMove(static_cast<std::size_t>(row));
        ++restored;
    }
    app.shell.selectRows(trashPage, stillSelected);
    app.shell.showHostCount();
}

void emptyTrashCommand(App& app)
{
    if (app.dialogs.ask("Remove all Hosts from Trash ?", MessageKind::QuestionDefaultYes) != Answer::Yes)
        return;
    app.state.store.emptyTrash();
    app.shell.showHostCount();
}

} // namespace quillon::core
