#include "capture/IgnoreListEditor.h"

#include "capture/IndexOfHost.h"
#include "capture/UrlToHost.h"
#include "core/FileErrors.h"
#include "core/HostName.h"
#include "core/Interface.h"
#include "core/ListCommands.h"
#include "core/ListFile.h"
#include "core/SaveAll.h"

#include <algorithm>

namespace quillon::capture {

namespace {

constexpr const char* OtherListsQuestion = "Host already in other lists: if added to Ignore List, this Host will be "
                                           "removed from other lists. Add to Ignore List ? ";

// Alphabetical, letter case ignored first, then byte order.
bool rowLess(const std::string& a, const std::string& b)
{
    const std::string la = core::toLowerAscii(a);
    const std::string lb = core::toLowerAscii(b);
    return la != lb ? la < lb : a < b;
}

std::string trimSpaces(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string selectedHosts(std::size_t selected)
{
    return selected == 1 ? "selected Host" : std::to_string(selected) + " selected Hosts";
}

} // namespace

IgnoreListEditor::IgnoreListEditor(core::App& app)
    : m_app(app)
    , m_rows(app.state.store.ignoreNames())
{
    std::stable_sort(m_rows.begin(), m_rows.end(), rowLess);
}

void IgnoreListEditor::insertSorted(const std::string& name, int& row)
{
    const auto at = std::upper_bound(m_rows.begin(), m_rows.end(), name, rowLess);
    row = static_cast<int>(at - m_rows.begin());
    m_rows.insert(at, name);
}

int IgnoreListEditor::add()
{
    core::HostStore& store = m_app.state.store;
    const auto dialog = m_app.dialogs.inputDialog("Add Host", "");
    while (dialog->exec()) {
        const std::string name = cleanHostName(core::toLowerAscii(trimSpaces(dialog->text())), UrlSource::Plain);
        dialog->setText(name);
        if (name.empty()) {
            m_app.dialogs.ask("Invalid Host name.", core::MessageKind::Warning);
            continue;
        }
        if (std::find(m_rows.begin(), m_rows.end(), name) != m_rows.end()) {
            m_app.dialogs.ask("Host already in list.", core::MessageKind::Warning);
            continue;
        }
        const int inActive = IndexOfHost(store, name);
        if (inActive >= 0 && static_cast<std::size_t>(inActive) < store.hostsCount()) {
            const std::string why
                = core::systemRowRefusal(m_app.state, store.active(static_cast<std::size_t>(inActive)), "ignored");
            if (!why.empty()) {
                m_app.dialogs.ask(why, core::MessageKind::Warning);
                continue;
            }
        }
        if (inActive >= 0 || store.trashIndexOf(name) >= 0) {
            if (m_app.dialogs.ask(OtherListsQuestion, core::MessageKind::QuestionDefaultYes) != core::Answer::Yes)
                return -1;
            if (inActive >= 0) {
                store.removeActiveRecord(static_cast<std::size_t>(inActive));
                m_listsChanged = true;
            }
            for (int t = store.trashIndexOf(name); t >= 0; t = store.trashIndexOf(name)) {
                store.deleteTrashRows({ t });
                m_listsChanged = true;
            }
        }
        int row = -1;
        insertSorted(name, row);
        return row;
    }
    return -1;
}

void IgnoreListEditor::remove(const std::vector<int>& selected)
{
    if (selected.empty()) {
        m_app.dialogs.ask("No Hosts selected", core::MessageKind::Warning);
        return;
    }
    if (m_app.dialogs.ask("Remove the " + selectedHosts(selected.size()) + " ?", core::MessageKind::QuestionDefaultYes)
        != core::Answer::Yes)
        return;
    for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
        if (*it >= 0 && static_cast<std::size_t>(*it) < m_rows.size())
            m_rows.erase(m_rows.begin() + *it);
    }
}

void IgnoreListEditor::close()
{
    core::ProgramState& s = m_app.state;
    s.store.ignoreNames() = m_rows;
    // A Quillon.d03 that could not be read at start-up is not written over;
    // the list lives on in memory only, and the person is told so.
    if (s.blocked.d03) {
        core::reportError(m_app, core::notSavedUnreadable(s.paths.d03));
        return;
    }
    if (core::Outcome o = core::writeIgnoreFile(m_app.fs, s.paths.d03, m_rows); !o)
        core::reportError(m_app, o.message());
}

void MenuToolsIgnoreListClick(core::App& app, const std::function<void(IgnoreListEditor&)>& runWindow)
{
    core::InterfaceLockGuard lock(app);
    IgnoreListEditor editor(app);
    runWindow(editor);
    if (editor.listsChanged()) {
        core::saveAll(app);
        app.state.store.hosts().notifyRebuilt();
        app.state.store.wait().notifyRebuilt();
        app.state.store.trash().notifyRebuilt();
    }
    app.shell.showHostCount();
}

} // namespace quillon::capture
