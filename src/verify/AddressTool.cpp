#include "verify/AddressTool.h"

#include "capture/Admission.h"
#include "capture/UrlToHost.h"
#include "core/Interface.h"
#include "verify/AddressForms.h"
#include "verify/LookAhead.h"
#include "verify/NameResolution.h"
#include "verify/TWinshoeIPWatch.h"

#include <algorithm>

namespace quillon::verify {

namespace {

// The most reverse lookups of an interval on their way at once, each on a
// thread of its own.
constexpr int ReverseWorkers = 64;

// A view that shows nothing, for a tool without a window.
class NoView final : public AddressToolView {
public:
    void showStatus(const std::string&) override {}
    void showBusy(bool) override {}
    void showIntervalRunning(bool) override {}
    void processEvents() override {}
    void showHostName(const std::string&) override {}
    void rowsAboutToBeInserted(int, int) override {}
    void rowsInserted() override {}
    void rowsAboutToBeRemoved(int, int) override {}
    void rowsRemoved() override {}
};

std::string trimSpaces(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A field's text in the wanted form; nothing when a blank between two digits
// made it no number, which abandons the action with the conversion error.
std::optional<std::string> parseField(core::App& app, const std::string& field, AddressForm form)
{
    try {
        return ParseAddressField(field, form);
    } catch (const ConversionError& e) {
        core::reportError(app, e.what());
        return std::nullopt;
    }
}

} // namespace

AddressTool::AddressTool(core::App& app)
    : m_app(app)
{
}

AddressToolView& AddressTool::view()
{
    static NoView none;
    return m_view ? *m_view : none;
}

void AddressTool::warn(const std::string& text)
{
    m_app.dialogs.ask(text, core::MessageKind::Warning);
}

void AddressTool::appendRow(std::string host, std::string ip)
{
    const int row = static_cast<int>(m_rows.size());
    view().rowsAboutToBeInserted(row, row);
    m_rows.push_back({ std::move(host), std::move(ip) });
    view().rowsInserted();
}

void AddressTool::verifyHostName(const std::string& typed)
{
    // The same name rule as every name from outside: one with a blank, a
    // control character or "#" could write lines of its own into the hosts
    // file once imported.
    const std::string host = capture::cleanHostName(trimSpaces(typed), capture::UrlSource::Plain);
    view().showHostName(host);
    if (host.empty()) {
        warn("Invalid Host name.");
        return;
    }
    view().showBusy(true);
    view().showStatus(" Verifying Host: " + host + " ...");
    // HostToAddress rather than VerifyHost: the main window's activity
    // indicator stays as it is. The person sees what the resolver answers
    // and chooses what to keep.
    const Lookup address = HostToAddress(m_app.resolver, host, AnswerRule::AsAnswered);
    if (address.ok() && !address.text.empty()) {
        appendRow(host, address.text);
        view().showHostName({});
    } else {
        warn("Impossible to verify Host.");
    }
    view().showStatus({});
    view().showBusy(false);
}

AddressOutcome AddressTool::verifyAddress(const std::string& field)
{
    const std::optional<std::string> address = parseField(m_app, field, AddressForm::Full);
    if (!address)
        return AddressOutcome::Abandoned;
    if (address->empty()) {
        warn("Invalid IP address.");
        return AddressOutcome::Kept;
    }
    view().showBusy(true);
    view().showStatus(" Verifying IP address: " + *address + " ...");
    const Lookup name = AddressToHost(m_app.resolver, *address);
    AddressOutcome outcome = AddressOutcome::Kept;
    if (name.ok() && !name.text.empty()) {
        appendRow(name.text, *address);
        outcome = AddressOutcome::Cleared;
    } else {
        warn("Impossible to verify IP address.");
    }
    view().showStatus({});
    view().showBusy(false);
    return outcome;
}

IntervalOutcome AddressTool::verifyInterval(const std::string& initialField, const std::string& finalGroup)
{
    const std::optional<std::string> initial = parseField(m_app, initialField, AddressForm::Full);
    if (!initial)
        return IntervalOutcome::Abandoned;
    if (initial->empty()) {
        warn("Invalid initial IP address.");
        return IntervalOutcome::InvalidInitial;
    }
    // Every form of a valid field parses; only the final field can still fail.
    const std::string finalField = ParseAddressField(initialField, AddressForm::RawPrefix) + finalGroup;
    const std::optional<std::string> finalAddress = parseField(m_app, finalField, AddressForm::Full);
    if (!finalAddress)
        return IntervalOutcome::Abandoned;
    if (finalAddress->empty()) {
        warn("Invalid final IP address.");
        return IntervalOutcome::InvalidFinal;
    }
    int low = std::stoi(ParseAddressField(initialField, AddressForm::LastOctet));
    int high = std::stoi(ParseAddressField(finalField, AddressForm::LastOctet));
    if (high < low)
        std::swap(low, high);
    return walk(ParseAddressField(initialField, AddressForm::FirstThree), low, high);
}

IntervalOutcome AddressTool::walk(const std::string& firstThree, int low, int high)
{
    view().showIntervalRunning(true);
    view().showBusy(true);
    m_cancel = false;
    m_walking = true;
    int found = 0;
    const std::string total = std::to_string(high - low + 1);
    std::vector<std::string> addresses;
    for (int k = low; k <= high; ++k)
        addresses.push_back(firstThree + "." + std::to_string(k));
    // The lookups run on workers, at least one, so that the window handles
    // its events while the resolver takes its time; the rows are added here,
    // in address order. A reverse lookup has no asynchronous form: each
    // holds a thread, so no more than ReverseWorkers at once.
    platform::Resolver& resolver = m_app.resolver;
    const LookAhead::LookupFunction lookup = [&resolver](const std::string& address) {
        return AddressToHost(resolver, address);
    };
    LookAhead ahead(addresses, std::clamp(m_app.state.settings.LookAhead, 1, ReverseWorkers),
                    LookAhead::onWorkerThreads(lookup), lookup);
    for (int k = low; k <= high && !m_cancel && !m_app.state.ending; ++k) {
        const std::size_t position = static_cast<std::size_t>(k - low);
        const std::string& address = addresses[position];
        view().showStatus(" Verifying IP address: " + address + " ... (" + std::to_string(k - low + 1) + " of "
                          + total + ")");
        // Asked to end from outside: the window is closing, and the answer
        // is not waited for (the resolver may take many seconds).
        const std::optional<Lookup> name = ahead.take(
            position, address, [this] { view().processEvents(); }, [this] { return m_app.state.ending; });
        if (!name)
            break;
        if (name->ok() && !name->text.empty()) {
            appendRow(name->text, address);
            ++found;
        }
        // A click on "&Cancel" made during a quick lookup is seen here.
        view().processEvents();
        view().showStatus({});
    }
    m_walking = false;
    view().showStatus({});
    view().showBusy(false);
    view().showIntervalRunning(false);
    if (found == 0 && !m_app.state.ending)
        warn("No IP address verified.");
    return IntervalOutcome::Walked;
}

FinalFieldPreset AddressTool::leaveInitialField(const std::string& initialField)
{
    FinalFieldPreset preset;
    if (trimSpaces(initialField).empty())
        return preset;
    const std::optional<std::string> initial = parseField(m_app, initialField, AddressForm::Full);
    if (!initial) {
        preset.kind = FinalFieldPreset::Abandoned;
        return preset;
    }
    if (initial->empty()) {
        warn("Invalid initial IP address.");
        preset.kind = FinalFieldPreset::InvalidInitial;
        return preset;
    }
    const std::string raw = ParseAddressField(initialField, AddressForm::RawPrefix);
    for (std::size_t i = 0; i < raw.size(); ++i) {
        preset.fixedText += raw[i] >= '0' && raw[i] <= '9' ? raw[i] : '_';
        if (i % 3 == 2)
            preset.fixedText += '.';
    }
    preset.lastOctet = ParseAddressField(initialField, AddressForm::LastOctet);
    preset.kind = FinalFieldPreset::Prepared;
    return preset;
}

void AddressTool::ButtonCancelClick()
{
    if (m_app.dialogs.ask("Abort operation ?", core::MessageKind::QuestionDefaultNo) == core::Answer::Yes)
        m_cancel = true;
}

void AddressTool::deleteRows(std::vector<int> selected)
{
    std::sort(selected.begin(), selected.end(), std::greater<>());
    selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
    for (const int row : selected) {
        if (row < 0 || row >= static_cast<int>(m_rows.size()))
            continue;
        view().rowsAboutToBeRemoved(row, row);
        m_rows.erase(m_rows.begin() + row);
        view().rowsRemoved();
    }
}

void AddressTool::ButtonClearClick()
{
    if (m_rows.empty())
        return;
    view().rowsAboutToBeRemoved(0, static_cast<int>(m_rows.size()) - 1);
    m_rows.clear();
    view().rowsRemoved();
}

bool AddressTool::ButtonImportClick()
{
    if (m_rows.empty()) {
        m_app.dialogs.ask("No Hosts to import.", core::MessageKind::Information);
        return false;
    }
    view().showBusy(true);
    view().showStatus(" Importing new Hosts ...");
    for (const VerifiedRow& row : m_rows) {
        auto record = std::make_unique<core::TRecHost>();
        record->HostName = row.host;
        record->IP = row.ip;
        m_results.push_back(std::move(record));
    }
    view().showStatus({});
    view().showBusy(false);
    return true;
}

void MenuToolsManualVerifyClick(core::App& app, const std::function<void(AddressTool&)>& runWindow)
{
    if (!connectionOrConsent(app))
        return;
    AddressTool tool(app);
    runWindow(tool);
    core::RecordList& records = tool.results();
    if (records.empty())
        return;
    int added = 0;
    {
        core::InterfaceLockGuard lock(app);
        added = capture::AdmitImportedHosts(app, records, capture::ImportMode::Verified);
    }
    capture::reportImported(app, added);
}

} // namespace quillon::verify
