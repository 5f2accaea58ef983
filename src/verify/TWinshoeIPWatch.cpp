#include "verify/TWinshoeIPWatch.h"

#include "core/ListFile.h"
#include "verify/AddressForms.h"
#include "verify/NameResolution.h"

namespace quillon::verify {

namespace {
constexpr const char* ConnectionQuestion = "WARNING!!! Connection not detected: continue anyway ?";
} // namespace

bool isLoopbackOrNone(const std::string& addressText)
{
    return addressText.empty() || addressText.rfind("127.", 0) == 0;
}

TWinshoeIPWatch::TWinshoeIPWatch(platform::DefaultRouteAddress& address, platform::FileSystem& fs,
                                 std::string historyPath)
    : m_address(address)
    , m_fs(fs)
    , m_historyPath(std::move(historyPath))
{
    std::string text;
    if (m_fs.readFile(m_historyPath, text)) {
        core::forEachLine(text, [&](std::string_view line) {
            if (!line.empty())
                m_history.emplace_back(line);
        });
        // A hand-edited file may hold more than the history keeps.
        if (m_history.size() > MaxHistory)
            m_history.erase(m_history.begin(), m_history.end() - MaxHistory);
        if (!m_history.empty())
            m_previousIP = m_history.back();
    }
}

TWinshoeIPWatch::~TWinshoeIPWatch()
{
    if (m_online)
        addToHistory(m_currentIP);
    if (m_timerSwitch)
        m_timerSwitch(false, m_interval);
    saveHistory();
}

void TWinshoeIPWatch::saveHistory()
{
    std::string text;
    for (const std::string& a : m_history)
        text += a + "\r\n";
    // The history is a convenience: a folder that cannot be written loses it
    // without troubling anyone.
    core::writeFileReplacing(m_fs, m_historyPath, text);
}

void TWinshoeIPWatch::setTimerSwitch(std::function<void(bool, int)> timerSwitch)
{
    m_timerSwitch = std::move(timerSwitch);
    if (m_timerSwitch)
        m_timerSwitch(m_enabled, m_interval);
}

void TWinshoeIPWatch::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    if (m_timerSwitch)
        m_timerSwitch(m_enabled, m_interval);
}

void TWinshoeIPWatch::setWatchInterval(int milliseconds)
{
    m_interval = milliseconds;
    if (m_timerSwitch)
        m_timerSwitch(m_enabled, m_interval);
}

std::string TWinshoeIPWatch::readLocalAddress()
{
    m_reading = true;
    std::string result = m_address.sourceAddress();
    m_reading = false;
    return result;
}

void TWinshoeIPWatch::addToHistory(const std::string& address)
{
    if (isLoopbackOrNone(address) || (!m_history.empty() && m_history.back() == address))
        return;
    m_history.push_back(address);
    if (m_history.size() > MaxHistory)
        m_history.erase(m_history.begin());
}

void TWinshoeIPWatch::poll()
{
    if (m_reading)
        return;
    try {
        const bool wasOnline = m_online;
        const std::string oldIP = m_currentIP;
        m_currentIP = readLocalAddress();
        m_online = !isLoopbackOrNone(m_currentIP);
        if (wasOnline && !m_online) {
            if (!isLoopbackOrNone(oldIP))
                m_previousIP = oldIP;
            addToHistory(m_previousIP);
        }
        if (!wasOnline && m_online) {
            if (m_firstConnection == 0)
                m_firstConnection = 1;
            if (m_firstConnection == 1) {
                if (m_previousIP == m_currentIP && !m_history.empty()) {
                    m_history.pop_back();
                    m_previousIP = m_history.empty() ? std::string() : m_history.back();
                }
                m_firstConnection = 2;
            }
        }
        if (wasOnline != m_online && OnStatusChanged)
            OnStatusChanged();
    } catch (...) {
        // A failing poll ends quietly; the next tick starts afresh.
        m_reading = false;
    }
}

bool IsConnectionDetected(const core::App& app)
{
    return !app.state.settings.CheckOnLine || app.connection.isOnline();
}

bool connectionOrConsent(core::App& app)
{
    if (IsConnectionDetected(app))
        return true;
    return app.dialogs.ask(ConnectionQuestion, core::MessageKind::QuestionDefaultNo) == core::Answer::Yes;
}

void WinshoeIPWatch1StatusChanged(core::App& app, const TWinshoeIPWatch& watch)
{
    if (watch.IsOnline()) {
        // The address is known whatever the reverse lookup answers (most
        // home and office addresses have no name record): the name shows
        // only when the lookup gives one.
        const Lookup host = AddressToHost(app.resolver, watch.CurrentIP());
        const bool named = host.ok() && !host.text.empty();
        app.shell.setStatusPanelText(1, named ? "Current Host: " + host.text : "Current Host: (not available)");
        app.shell.setStatusPanelText(2, "Current IP: " + watch.CurrentIP());
    } else {
        app.shell.setStatusPanelText(1, "Current Host: (not available)");
        app.shell.setStatusPanelText(2, "Current IP: (not available)");
    }
}

} // namespace quillon::verify
