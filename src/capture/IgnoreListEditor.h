#pragma once
// What the Ignore list window does, without the window: its rows (sorted by
// their text), Add with its checks and the other-lists question, Remove, and
// Close, which replaces the Ignore list and writes Quillon.d03. Adding a name
// that the host lists hold removes it from them at once (after asking); the
// window's owner then saves and shows the lists again.

#include "core/App.h"

#include <functional>
#include <string>
#include <vector>

namespace quillon::capture {

class IgnoreListEditor {
public:
    explicit IgnoreListEditor(core::App& app);

    const std::vector<std::string>& rows() const { return m_rows; }
    bool listsChanged() const { return m_listsChanged; }

    // "&Add": returns the row of the added name, or -1.
    int add();
    // "&Remove" of the selected rows (ascending).
    void remove(const std::vector<int>& selected);
    // "&Close": the rows become the Ignore list, written to Quillon.d03.
    void close();

private:
    void insertSorted(const std::string& name, int& row);

    core::App& m_app;
    std::vector<std::string> m_rows;
    bool m_listsChanged = false;
};

// Tools > "Hosts to be &Ignored...": locks the interface, runs the window
// (given as a function that shows it modally over an editor), then saves and
// shows the lists again when the window changed them.
void MenuToolsIgnoreListClick(core::App& app, const std::function<void(IgnoreListEditor&)>& runWindow);

} // namespace quillon::capture
