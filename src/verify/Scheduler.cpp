#include "verify/Scheduler.h"

#include "core/DueRule.h"
#include "core/IniFile.h"
#include "core/Interface.h"
#include "verify/TWinshoeIPWatch.h"
#include "verify/VerificationRuns.h"

#include <numeric>

namespace quillon::verify {

namespace {

bool confirmed(core::App& app, const std::string& question)
{
    return !app.state.settings.AutoVerifyConf
        || app.dialogs.ask(question, core::MessageKind::QuestionDefaultYes) == core::Answer::Yes;
}

void hostsListBlock(core::App& app)
{
    core::ProgramState& s = app.state;
    app.shell.setTimerEnabled(core::Timer::Check, false);
    const int days = s.settings.AutoVerifyHostsDays;
    const auto due = core::dueHostRows(s.store, days, core::now(app.clock), s.ownHostName);
    if (!due.empty() && confirmed(app, dueHostsQuestion(static_cast<int>(due.size()), days))) {
        core::setInterfaceLock(app, false);
        app.shell.setCurrentPage(core::pageIndex(core::ListPage::Hosts));
        app.shell.selectRows(core::pageIndex(core::ListPage::Hosts),
                             core::dueHostRows(s.store, days, core::now(app.clock), s.ownHostName));
        MenuPopupVerifyClick(app);
    }
    s.hostsListDue = false;
    app.shell.setTimerEnabled(core::Timer::Check, true);
}

void waitListBlock(core::App& app)
{
    core::ProgramState& s = app.state;
    app.shell.setTimerEnabled(core::Timer::Check, false);
    const std::size_t rows = s.store.wait().size();
    if (rows > 0
        && confirmed(app, "Wait List not verified since " + std::to_string(s.settings.AutoVerifyHostsQQDDays)
                              + " or more days: verify now ?")) {
        core::setInterfaceLock(app, false);
        app.shell.setCurrentPage(core::pageIndex(core::ListPage::Wait));
        std::vector<int> all(rows);
        std::iota(all.begin(), all.end(), 0);
        app.shell.selectRows(core::pageIndex(core::ListPage::Wait), all);
        MenuPopupVerifyClick(app);
        s.settings.QQDLastVerify = core::now(app.clock);
        core::IniFile ini(app.fs, s.paths.ini);
        if (core::Outcome o = core::writeQQDLastVerify(ini, s.settings.QQDLastVerify, s.dateText); !o)
            core::reportError(app, o.message());
    }
    s.waitListDue = false;
    app.shell.setTimerEnabled(core::Timer::Check, true);
}

} // namespace

std::string dueHostsQuestion(int count, int days)
{
    const std::string hosts = count == 1 ? "1 Host" : std::to_string(count) + " Hosts";
    return hosts + " not verified since " + std::to_string(days) + " or more days: verify now ?";
}

void TimerCheckTimer(core::App& app)
{
    if (app.state.hostsListDue && IsConnectionDetected(app))
        hostsListBlock(app);
    if (app.state.waitListDue && IsConnectionDetected(app))
        waitListBlock(app);
}

void MenuVerifyAutoVerifyHostsClick(core::App& app)
{
    core::ProgramState& s = app.state;
    app.shell.setTimerEnabled(core::Timer::Check, false);
    if (!core::HostsListDue(s.store, s.settings, core::now(app.clock), s.ownHostName)) {
        app.dialogs.ask("All Hosts already verified.", core::MessageKind::Information);
    } else if (connectionOrConsent(app)) {
        s.hostsListDue = true;
        TimerCheckTimer(app);
    }
    app.shell.setTimerEnabled(core::Timer::Check, true);
}

} // namespace quillon::verify
