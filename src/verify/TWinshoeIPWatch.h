#pragma once
// The connection watch: once a second (while enabled) it reads the
// computer's own address, the source address of the default route (see
// platform/DefaultRouteAddress.h). None (no default route), or a loopback
// address (127.0.0.0/8), means offline. It keeps a short
// history of earlier connections' addresses in "iphist.dat" beside the
// executable, and reports each change of the online state.
//
// The polling timer belongs to the window; the watch tells it when to run
// through the timer switch it is given.

#include "core/App.h"
#include "platform/FileSystem.h"
#include "platform/DefaultRouteAddress.h"

#include <functional>
#include <string>
#include <vector>

namespace quillon::verify {

class TWinshoeIPWatch final : public core::ConnectionStatus {
public:
    static constexpr std::size_t MaxHistory = 25;

    // Loads the history from historyPath when it exists.
    TWinshoeIPWatch(platform::DefaultRouteAddress& address, platform::FileSystem& fs, std::string historyPath);
    // Adds the current address when online and writes the history.
    ~TWinshoeIPWatch() override;
    TWinshoeIPWatch(const TWinshoeIPWatch&) = delete;
    TWinshoeIPWatch& operator=(const TWinshoeIPWatch&) = delete;

    // Called with (enabled, interval) whenever the polling timer must change.
    void setTimerSwitch(std::function<void(bool, int)> timerSwitch);
    void setEnabled(bool enabled);
    bool enabled() const { return m_enabled; }
    void setWatchInterval(int milliseconds);
    int watchInterval() const { return m_interval; }
    std::function<void()> OnStatusChanged;

    bool isOnline() const override { return m_online; }
    bool IsOnline() const { return m_online; }
    const std::string& CurrentIP() const { return m_currentIP; }
    const std::string& PreviousIP() const { return m_previousIP; }
    const std::vector<std::string>& history() const { return m_history; }
    bool reading() const { return m_reading; }

    // One tick of the polling timer.
    void poll();
    // Writes the history file now (also done at destruction).
    void saveHistory();

private:
    std::string readLocalAddress();
    void addToHistory(const std::string& address);

    platform::DefaultRouteAddress& m_address;
    platform::FileSystem& m_fs;
    std::string m_historyPath;
    std::function<void(bool, int)> m_timerSwitch;
    bool m_enabled = true;
    int m_interval = 1000;
    bool m_online = false;
    std::string m_currentIP;
    std::string m_previousIP;
    std::vector<std::string> m_history;
    bool m_reading = false;
    int m_firstConnection = 0;
};

// True when addressText is in 127.0.0.0/8 (or empty).
bool isLoopbackOrNone(const std::string& addressText);

// The connection test: true when CheckOnLine is off, else the watch's state.
bool IsConnectionDetected(const core::App& app);
// The connection test, and when it fails, the one question
// "WARNING!!! Connection not detected: continue anyway ?"; true to go on.
bool connectionOrConsent(core::App& app);

// OnStatusChanged of the main window: status panels 1 and 2. Online, the
// current address, and the name its reverse lookup gives ("(not available)"
// when it gives none or fails); offline, "(not available)" in both.
void WinshoeIPWatch1StatusChanged(core::App& app, const TWinshoeIPWatch& watch);

} // namespace quillon::verify
