#pragma once
// A whole program state over a fresh temporary program folder and hosts
// folder, with the person and the window played by doubles.

#include "core/App.h"
#include "core/BackgroundWork.h"
#include "core/Startup.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeResolver.h"
#include "fakes/FakeShell.h"
#include "fakes/FaultyFileSystem.h"
#include "fakes/ScriptedDialogs.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

namespace quillon::test {

class AppFixture : public ::testing::Test {
protected:
    AppFixture()
    {
        programDir.write("Quillon.ini", "[Settings]\r\nHostsFolder=" + hostsDir.path() + "\r\n");
    }
    // Lookups left running by a cancelled run call the resolver below.
    ~AppFixture() override { core::waitForDetachedWork(); }
    // Reads the settings and paths (call after writing files).
    void start()
    {
        core::readSettingsAndPaths(fs, state, core::foldersBeside(programDir.folder()));
    }
    void startAndLoad()
    {
        start();
        core::loadLists(app);
    }
    // The host names of a page's list, in order.
    std::vector<std::string> names(core::ListPage page) const
    {
        std::vector<std::string> out;
        for (const auto& r : state.store.page(page))
            out.push_back(r->HostName);
        return out;
    }
    // Makes page current with the given rows selected.
    void select(int page, std::vector<int> rows)
    {
        shell.page = page;
        shell.selections[page] = std::move(rows);
    }

    TempDir programDir;
    TempDir hostsDir;
    FaultyFileSystem fs;
    FakeClock clock;
    ScriptedDialogs dialogs;
    FakeShell shell;
    FakeResolver resolver;
    FakeConnection connection;
    core::ProgramState state;
    core::App app { state, fs, clock, dialogs, shell, resolver, connection };
};

} // namespace quillon::test
