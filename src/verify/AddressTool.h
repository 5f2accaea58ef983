#pragma once
// What the "Addresses Verification" tool does, without its window: the
// result rows, the three verifications (a host name to its address, an
// address to its name, and every address of an interval that differs only in
// the last octet back to its name), Delete, Reset and Import, which turns
// the rows into records for the lists.
//
// The window implements AddressToolView and attaches itself; the routines
// tell it what to show and ask it to handle pending events during an
// interval. The rows change only through the routines, which tell the view
// before and after each change, as an item model needs.
//
// Threads: everything runs on the window's thread. Only the reverse lookups
// of an interval run on worker threads, up to the LookAhead setting at a
// time (at least one, at most 64); each takes an address and returns an answer, and the
// rows are changed on the window's thread in address order. The resolver
// must therefore be safe to call from any thread.
//
// Errors: an address field with a blank between two digits abandons the
// verification with its conversion error, shown as a warning.

#include "core/App.h"
#include "core/HostSequence.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quillon::verify {

// One row of the result list.
struct VerifiedRow {
    std::string host;
    std::string ip;
};

// The tool's window as the routines see it.
class AddressToolView {
public:
    virtual ~AddressToolView() = default;
    // PanelStatus's line, painted at once.
    virtual void showStatus(const std::string& text) = 0;
    // ImageStatus1 (busy) or ImageStatus0 (idle).
    virtual void showBusy(bool busy) = 0;
    // During an interval ButtonCancel stands where ButtonVerify was.
    virtual void showIntervalRunning(bool running) = 0;
    // Handles the window's pending events (painting, a click on "&Cancel").
    virtual void processEvents() = 0;
    // EditHostname's text.
    virtual void showHostName(const std::string& text) = 0;
    // Row changes, each pair around one change of rows().
    virtual void rowsAboutToBeInserted(int first, int last) = 0;
    virtual void rowsInserted() = 0;
    virtual void rowsAboutToBeRemoved(int first, int last) = 0;
    virtual void rowsRemoved() = 0;
};

// What a verification of the "IP Address" tab ended with.
enum class AddressOutcome {
    Abandoned, // a conversion error was shown; nothing else happens
    Kept,      // the field keeps its text
    Cleared,   // a row was added: the field is emptied
};

// What a verification of the "IP Interval" tab ended with.
enum class IntervalOutcome {
    Abandoned,      // a conversion error was shown
    InvalidInitial, // the final field gets its starting mask back, empty
    InvalidFinal,   // the final field's last group is selected
    Walked,         // the interval was verified, completely or until cancelled
};

// How leaving the initial-address field prepares the final-address field.
struct FinalFieldPreset {
    enum Kind {
        Unchanged,      // the initial field is empty
        Abandoned,      // a conversion error was shown
        InvalidInitial, // the final field gets its starting mask back, empty
        Prepared,       // fixedText and lastOctet are set
    };
    Kind kind = Unchanged;
    // The initial address's first three groups as the final field shows
    // them, fixed: twelve characters, a blank position as "_", a "." after
    // each group ("192.168.1__.").
    std::string fixedText;
    // The initial address's last octet ("10"), the final field's text.
    std::string lastOctet;
};

class AddressTool {
public:
    explicit AddressTool(core::App& app);
    AddressTool(const AddressTool&) = delete;
    AddressTool& operator=(const AddressTool&) = delete;

    // The view told of every change; nullptr detaches it.
    void setView(AddressToolView* view) { m_view = view; }

    const std::vector<VerifiedRow>& rows() const { return m_rows; }
    // The records "&Import Hosts" made, in row order; empty before.
    core::RecordList& results() { return m_results; }
    // True while an interval is being verified.
    bool walking() const { return m_walking; }
    bool cancelled() const { return m_cancel; }

    // "&Verify" on "Host Name" with EditHostname's text, which then shows
    // the host name taken from it, and is emptied once a row was added.
    void verifyHostName(const std::string& typed);
    // "&Verify" on "IP Address" with MEditIP's field text.
    AddressOutcome verifyAddress(const std::string& field);
    // "&Verify" on "IP Interval": MEditIP1's field text and the three
    // positions of MEditIP2's last group.
    IntervalOutcome verifyInterval(const std::string& initialField, const std::string& finalGroup);
    // MEditIP1Exit: leaving the initial-address field.
    FinalFieldPreset leaveInitialField(const std::string& initialField);
    // "&Cancel": asks "Abort operation ?"; Yes stops the interval after the
    // address being looked up.
    void ButtonCancelClick();

    // The Delete key: removes the given rows (any order; others ignored).
    void deleteRows(std::vector<int> selected);
    // "&Reset Hosts": removes every row.
    void ButtonClearClick();
    // "&Import Hosts": true when the rows became result records and the
    // window closes; false (after telling so) when there are none.
    bool ButtonImportClick();

private:
    AddressToolView& view();
    void appendRow(std::string host, std::string ip);
    IntervalOutcome walk(const std::string& firstThree, int low, int high);
    void warn(const std::string& text);

    core::App& m_app;
    AddressToolView* m_view = nullptr;
    std::vector<VerifiedRow> m_rows;
    core::RecordList m_results;
    bool m_cancel = false;
    bool m_walking = false;
};

// Tools > "Addresses &Verification...": the connection question, the tool
// (runWindow shows its window modally over it), then the import of the
// records it handed over: interface locked, AdmitImportedHosts with the
// records arriving verified, unlocked, and the count reported.
void MenuToolsManualVerifyClick(core::App& app, const std::function<void(AddressTool&)>& runWindow);

} // namespace quillon::verify
