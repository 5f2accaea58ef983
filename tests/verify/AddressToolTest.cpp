#include "verify/AddressTool.h"

#include "fakes/AppFixture.h"
#include "fakes/CaseName.h"

#include <map>

using namespace quillon;
using namespace quillon::core;
using namespace quillon::verify;
using namespace quillon::test;
using Names = std::vector<std::string>;
using Pairs = std::vector<std::pair<std::string, std::string>>;

namespace {

// The window as the tool sees it: what it is told, in order.
class RecordingView final : public AddressToolView {
public:
    Names statuses;
    std::vector<bool> busy;
    std::vector<bool> running;
    Names hostNames;
    std::function<void()> onProcessEvents;

    void showStatus(const std::string& text) override { statuses.push_back(text); }
    void showBusy(bool b) override { busy.push_back(b); }
    void showIntervalRunning(bool r) override { running.push_back(r); }
    void processEvents() override
    {
        if (onProcessEvents)
            onProcessEvents();
    }
    void showHostName(const std::string& text) override { hostNames.push_back(text); }
    void rowsAboutToBeInserted(int, int) override {}
    void rowsInserted() override {}
    void rowsAboutToBeRemoved(int, int) override {}
    void rowsRemoved() override {}
};

Pairs pairs(const AddressTool& tool)
{
    Pairs out;
    for (const VerifiedRow& r : tool.rows())
        out.emplace_back(r.host, r.ip);
    return out;
}

class AddressToolTest : public AppFixture {
protected:
    void SetUp() override
    {
        hostsDir.write("hosts", "1.1.1.1 saved.example  #Quillon|2024/06/01|10.00.00|1|4#\r\n");
        programDir.write("Quillon.d01", "0 waiting.example  #Quillon|1899/12/30|00.00.00|0|2#\r\n");
        programDir.write("Quillon.d03", "ignored.example\r\n");
        startAndLoad();
        tool.setView(&view);
    }

    RecordingView view;
    AddressTool tool { app };
};

// --- "Host Name" and "IP Address" -------------------------------------------

struct SingleCase {
    const char* name;
    bool hostNameTab; // else "IP Address", with the field's text
    std::string input;
    Pairs rows;
    std::string message; // a warning; empty for none
    std::string status;  // the status line during the lookup; empty: no lookup
    std::string after;   // EditHostname afterwards / "cleared", "kept", "abandoned"
};

void PrintTo(const SingleCase& c, std::ostream* out) { *out << c.name; }

class SingleVerification : public AddressToolTest, public testing::WithParamInterface<SingleCase> {
};

TEST_P(SingleVerification, rowsMessagesAndStatus)
{
    const SingleCase& c = GetParam();
    resolver.answer("WWW.Example.COM", "93.184.216.34");
    resolver.reverse["192.168.1.10"] = "router.lan";
    resolver.reverseErrors["192.168.1.11"] = platform::ErrorNoData;
    if (c.hostNameTab) {
        tool.verifyHostName(c.input);
        ASSERT_FALSE(view.hostNames.empty());
        EXPECT_EQ(view.hostNames.back(), c.after);
    } else {
        const AddressOutcome outcome = tool.verifyAddress(c.input);
        const char* names[] = { "abandoned", "kept", "cleared" };
        EXPECT_EQ(names[static_cast<int>(outcome)], c.after);
    }
    EXPECT_EQ(pairs(tool), c.rows);
    EXPECT_EQ(dialogs.askedTexts(), c.message.empty() ? Names {} : Names { c.message });
    for (const AskedQuestion& q : dialogs.asked)
        EXPECT_EQ(q.kind, MessageKind::Warning);
    const bool looked = !c.status.empty();
    EXPECT_EQ(view.statuses, (looked ? Names { c.status, "" } : Names()));
    EXPECT_EQ(view.busy, (looked ? std::vector<bool> { true, false } : std::vector<bool>()));
    EXPECT_TRUE(shell.activity.empty()); // the main window's indicator is left alone
}

INSTANTIATE_TEST_SUITE_P(Cases, SingleVerification,
    testing::Values(
        SingleCase { "urlResolvesItsHostOnly_caseKept", true, "  HTTP://WWW.Example.COM:8080/a.html?x=1 ",
                     { { "WWW.Example.COM", "93.184.216.34" } }, "", " Verifying Host: WWW.Example.COM ...", "" },
        SingleCase { "numericName_hostEqualsIp", true, "10.1.2.3", { { "10.1.2.3", "10.1.2.3" } }, "",
                     " Verifying Host: 10.1.2.3 ...", "" },
        SingleCase { "unresolvable_impossible", true, "nowhere.invalid", {}, "Impossible to verify Host.",
                     " Verifying Host: nowhere.invalid ...", "nowhere.invalid" },
        SingleCase { "blank_invalid", true, "   ", {}, "Invalid Host name.", "", "" },
        SingleCase { "nameWithHash_invalid", true, "evil#name", {}, "Invalid Host name.", "", "" },
        SingleCase { "addressWithName_rowAdded", false, "192168  1 10", { { "router.lan", "192.168.1.10" } }, "",
                     " Verifying IP address: 192.168.1.10 ...", "cleared" },
        SingleCase { "addressWithoutNameRecord_impossible", false, "192168  1 11", {},
                     "Impossible to verify IP address.", " Verifying IP address: 192.168.1.11 ...", "kept" },
        SingleCase { "addressLookupFailing_impossible", false, "192168  1 12", {}, "Impossible to verify IP address.",
                     " Verifying IP address: 192.168.1.12 ...", "kept" },
        SingleCase { "group256_invalid", false, "256  1  1  1", {}, "Invalid IP address.", "", "kept" },
        SingleCase { "emptyGroup_invalid", false, "1  2  3     ", {}, "Invalid IP address.", "", "kept" },
        SingleCase { "blankBetweenDigits_conversionError", false, "1 2  2  3  4", {},
                     "'1 2' is not a valid integer value", "", "abandoned" }),
    [](const auto& info) { return caseName(info.index, info.param.name); });

// --- "IP Interval" ----------------------------------------------------------

struct IntervalCase {
    const char* name;
    std::string initial; // MEditIP1's field text
    std::string finalGroup;
    std::map<std::string, std::string> names; // reverse answers
    int cancelAt;                              // "Abort operation ?" answered Yes at this count; 0 never
    IntervalOutcome outcome;
    Pairs rows;
    Names messages;
    std::string statuses; // the first and last status lines, from the address on; empty: no walk
};

void PrintTo(const IntervalCase& c, std::ostream* out) { *out << c.name; }

class IntervalVerification : public AddressToolTest, public testing::WithParamInterface<IntervalCase> {
};

TEST_P(IntervalVerification, walksInOrder)
{
    const IntervalCase& c = GetParam();
    resolver.reverse = c.names;
    // "&Cancel" is seen while the window's events are handled after the
    // lookup of that address.
    const std::string cancelCount = "(" + std::to_string(c.cancelAt) + " of ";
    view.onProcessEvents = [&] {
        if (view.statuses.back().find(cancelCount) != std::string::npos && !tool.cancelled()) {
            dialogs.answers.push_back(Answer::Yes);
            tool.ButtonCancelClick();
        }
    };
    EXPECT_EQ(tool.verifyInterval(c.initial, c.finalGroup), c.outcome);
    EXPECT_EQ(pairs(tool), c.rows);
    EXPECT_EQ(dialogs.askedTexts(), c.messages);
    Names lines;
    for (const std::string& s : view.statuses) {
        if (s.empty())
            continue;
        EXPECT_EQ(s.rfind(" Verifying IP address: ", 0), 0u) << s;
        lines.push_back(s.substr(s.find(": ") + 2));
    }
    EXPECT_EQ(lines.empty() ? "" : lines.front() + ".." + lines.back(), c.statuses);
    const std::vector<bool> walked = c.statuses.empty() ? std::vector<bool> {} : std::vector<bool> { true, false };
    EXPECT_EQ(view.running, walked);
    EXPECT_EQ(view.busy, walked);
    EXPECT_FALSE(tool.walking());
}

INSTANTIATE_TEST_SUITE_P(Cases, IntervalVerification,
    testing::Values(
        IntervalCase { "swappedEnds_walkUpwardFromTheLowEnd", " 10  0  0 20", "  5",
                       { { "10.0.0.5", "five.lan" }, { "10.0.0.12", "twelve.lan" }, { "10.0.0.20", "twenty.lan" } }, 0,
                       IntervalOutcome::Walked,
                       { { "five.lan", "10.0.0.5" }, { "twelve.lan", "10.0.0.12" }, { "twenty.lan", "10.0.0.20" } }, {},
                       "10.0.0.5 ... (1 of 16)..10.0.0.20 ... (16 of 16)" },
        IntervalCase { "equalEnds_oneAddress", "10  0  0  7", "7", { { "10.0.0.7", "seven.lan" } }, 0,
                       IntervalOutcome::Walked, { { "seven.lan", "10.0.0.7" } }, {},
                       "10.0.0.7 ... (1 of 1)..10.0.0.7 ... (1 of 1)" },
        IntervalCase { "noNameAnywhere_noAddressVerified", "10  0  0  1", "3  ", {}, 0, IntervalOutcome::Walked, {},
                       { "No IP address verified." }, "10.0.0.1 ... (1 of 3)..10.0.0.3 ... (3 of 3)" },
        IntervalCase { "cancelInTheMiddle_keepsTheRowsFound", "10  0  0  1", "10 ",
                       { { "10.0.0.1", "a.lan" }, { "10.0.0.3", "c.lan" }, { "10.0.0.4", "d.lan" } }, 3,
                       IntervalOutcome::Walked, { { "a.lan", "10.0.0.1" }, { "c.lan", "10.0.0.3" } },
                       { "Abort operation ?" }, "10.0.0.1 ... (1 of 10)..10.0.0.3 ... (3 of 10)" },
        IntervalCase { "cancelBeforeAnyName_noAddressVerified", "10  0  0  1", "10 ", { { "10.0.0.9", "i.lan" } }, 2,
                       IntervalOutcome::Walked, {}, { "Abort operation ?", "No IP address verified." },
                       "10.0.0.1 ... (1 of 10)..10.0.0.2 ... (2 of 10)" },
        IntervalCase { "blankInitial_invalid", "            ", "5", {}, 0, IntervalOutcome::InvalidInitial, {},
                       { "Invalid initial IP address." }, "" },
        IntervalCase { "emptyLastGroup_invalidFinal", "10  0  0  1", "   ", {}, 0, IntervalOutcome::InvalidFinal, {},
                       { "Invalid final IP address." }, "" },
        IntervalCase { "final256_invalidFinal", "10  0  0  1", "256", {}, 0, IntervalOutcome::InvalidFinal, {},
                       { "Invalid final IP address." }, "" },
        IntervalCase { "blankBetweenDigitsOfFinal_conversionError", "10  0  0  1", "1 2", {}, 0,
                       IntervalOutcome::Abandoned, {}, { "'1 2' is not a valid integer value" }, "" }),
    [](const auto& info) { return caseName(info.index, info.param.name); });

// --- Import -----------------------------------------------------------------

struct ImportCase {
    const char* name;
    Names typed; // verified on "Host Name", then imported
    bool online;
    std::string message;
    MessageKind kind;
    Names hostsAfter; // the Hosts list, top first
    bool locked;
};

void PrintTo(const ImportCase& c, std::ostream* out) { *out << c.name; }

class ImportToLists : public AddressToolTest, public testing::WithParamInterface<ImportCase> {
};

TEST_P(ImportToLists, admitsOnlyNewNames)
{
    const ImportCase& c = GetParam();
    connection.online = c.online;
    for (const char* name : { "saved.example", "waiting.example", "ignored.example", "new.example", "other.example" })
        resolver.answer(name, "7.7.7.7");
    if (!c.online)
        dialogs.answers.push_back(Answer::No);
    clock.time = { 2024, 7, 1, 9, 30, 0, 0 };
    bool shown = false;
    MenuToolsManualVerifyClick(app, [&](AddressTool& t) {
        shown = true;
        for (const std::string& name : c.typed)
            t.verifyHostName(name);
        EXPECT_EQ(t.ButtonImportClick(), !c.typed.empty());
        EXPECT_EQ(t.results().size(), c.typed.size());
    });
    EXPECT_EQ(shown, c.online);
    ASSERT_EQ(dialogs.askedTexts(), Names { c.message });
    EXPECT_EQ(dialogs.asked[0].kind, c.kind);
    EXPECT_EQ(names(ListPage::Hosts), c.hostsAfter);
    EXPECT_EQ(names(ListPage::Wait), Names { "waiting.example" });
    EXPECT_EQ(shell.lockCalls, (c.locked ? Names { "lock", "unlock" } : Names()));
    for (const auto& r : state.store.page(ListPage::Hosts)) {
        if (r->HostName != "saved.example") {
            EXPECT_EQ(r->IP, "7.7.7.7");
            EXPECT_EQ(r->Status, StatusVerified);
            EXPECT_EQ(r->Date, core::now(clock));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ImportToLists,
    testing::Values(
        ImportCase { "knownIgnoredAndNumeric_nothingNew",
                     { "saved.example", "waiting.example", "ignored.example", "10.0.0.9" }, true,
                     "No new Hosts to import.", MessageKind::Information, { "saved.example" }, true },
        ImportCase { "newNamesAmongKnown_countedInRowOrder",
                     { "new.example", "saved.example", "other.example", "10.0.0.9" }, true, "New Hosts imported: 2.",
                     MessageKind::Information, { "other.example", "new.example", "saved.example" }, true },
        ImportCase { "noRows_nothingToImport", {}, true, "No Hosts to import.", MessageKind::Information,
                     { "saved.example" }, false },
        ImportCase { "noConnection_answerNo_toolNotShown", {}, false,
                     "WARNING!!! Connection not detected: continue anyway ?", MessageKind::QuestionDefaultNo,
                     { "saved.example" }, false }),
    [](const auto& info) { return caseName(info.index, info.param.name); });

} // namespace
