#include "ui/UpdateCheck.h"

#include "core/BackgroundWork.h"
#include "core/FileErrors.h"
#include "core/IniFile.h"
#include "core/Interface.h"
#include "core/ProductInfo.h"
#include "verify/TWinshoeIPWatch.h"

#include <algorithm>
#include <atomic>
#include <future>
#include <system_error>
#include <vector>

namespace quillon::ui {

namespace {

constexpr const char* FailedCheck = "Impossible to check for updates. Please retry later.";
constexpr const char* CheckingAction = " Checking for updates ...";
constexpr const char* VersionSection = "Version";

// The activity indicator shows the check (2) until it ends, however it ends.
class ActivityShown {
public:
    explicit ActivityShown(core::App& app)
        : m_app(app)
    {
        core::setActivityIndicator(m_app, core::ActivitySaving);
    }
    ~ActivityShown() { core::setActivityIndicator(m_app, core::ActivityNone); }
    ActivityShown(const ActivityShown&) = delete;
    ActivityShown& operator=(const ActivityShown&) = delete;

private:
    core::App& m_app;
};

class WorkPanelShown {
public:
    WorkPanelShown(core::App& app, const std::string& server)
        : m_app(app)
    {
        core::WorkPanelSetup setup;
        setup.action = CheckingAction;
        setup.url = server;
        setup.cancelEnabled = true;
        m_app.dialogs.showWorkPanel(setup);
        m_app.dialogs.repaintWorkPanel();
    }
    ~WorkPanelShown() { m_app.dialogs.hideWorkPanel(); }
    WorkPanelShown(const WorkPanelShown&) = delete;
    WorkPanelShown& operator=(const WorkPanelShown&) = delete;

private:
    core::App& m_app;
};

// Runs the download on a worker thread and handles the window's events
// meanwhile; the cancel flag of the program reaches the transfer from here.
platform::FtpResult downloadWhileResponsive(core::App& app, platform::FtpClient& ftp,
                                            const platform::FtpRequest& request)
{
    // Declared first, so that it outlives the worker: the future of
    // std::async waits for its thread when destroyed.
    std::atomic<bool> cancel { app.state.cancel };
    std::future<platform::FtpResult> done;
    try {
        done = std::async(std::launch::async, [&ftp, request, &cancel] { return ftp.download(request, cancel); });
    } catch (const std::system_error&) {
        return ftp.download(request, cancel); // no thread to be had: the window waits unpainted
    }
    try {
        core::waitHandlingEvents(done, [&app, &cancel] {
            app.shell.processEvents();
            if (app.state.cancel)
                cancel = true;
        });
    } catch (...) {
        cancel = true; // ends the transfer soon, rather than after its time-outs
        throw;
    }
    return done.get();
}

struct VersionFile {
    std::string lastVersion;
    std::string msgNotUpdated;
    std::string msgUpdated;
    std::string url;
};

VersionFile readVersionFile(const core::IniFile& ini)
{
    const auto read = [&ini](const char* key, const char* missing) {
        return ini.readString(VersionSection, key).value_or(missing);
    };
    return { read("LastVersion", core::ProgramVersion), read("MsgNotUpdated", "New version available."),
             read("MsgUpdated", "No new version available."), read("URL", core::ProductHomePage) };
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The numbers of a dotted version, as digit strings without leading zeros.
std::optional<std::vector<std::string_view>> versionNumbers(std::string_view text)
{
    std::vector<std::string_view> numbers;
    for (;;) {
        const auto dot = text.find('.');
        std::string_view number = text.substr(0, dot);
        if (number.empty() || !std::all_of(number.begin(), number.end(), isDigit))
            return std::nullopt;
        number.remove_prefix(std::min(number.find_first_not_of('0'), number.size()));
        numbers.push_back(number);
        if (dot == std::string_view::npos)
            return numbers;
        text.remove_prefix(dot + 1);
    }
}

// Compares two numbers written without leading zeros, of any length.
int compareNumbers(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

bool isHostCharacter(char c)
{
    return isDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '.' || c == '-' || c == '_'
        || c == ':';
}

} // namespace

bool isWebPageUrl(std::string_view url)
{
    std::string lower(url.substr(0, 8));
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
    const std::size_t scheme = lower.starts_with("https://") ? 8 : lower.starts_with("http://") ? 7 : 0;
    if (scheme == 0 || url.size() == scheme)
        return false;
    return std::none_of(url.begin(), url.end(), [](char c) { return static_cast<unsigned char>(c) <= ' ' || c == 0x7f; });
}

std::optional<int> compareVersions(std::string_view a, std::string_view b)
{
    const auto x = versionNumbers(a);
    const auto y = versionNumbers(b);
    if (!x || !y)
        return std::nullopt;
    const std::size_t n = std::max(x->size(), y->size());
    for (std::size_t i = 0; i < n; ++i) {
        const std::string_view p = i < x->size() ? (*x)[i] : std::string_view();
        const std::string_view q = i < y->size() ? (*y)[i] : std::string_view();
        if (const int c = compareNumbers(p, q); c != 0)
            return c;
    }
    return 0;
}

std::optional<ServerAddress> parseServerAddress(std::string_view server)
{
    std::string_view host = server;
    std::string_view port;
    bool hasPort = false;
    if (server.starts_with('[')) {
        const auto close = server.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        host = server.substr(1, close - 1);
        const std::string_view rest = server.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':')
                return std::nullopt;
            port = rest.substr(1);
            hasPort = true;
        }
    } else if (const auto colon = server.find(':');
               colon != std::string_view::npos && server.find(':', colon + 1) == std::string_view::npos) {
        host = server.substr(0, colon);
        port = server.substr(colon + 1);
        hasPort = true;
    } // more than one ':' without brackets: an IPv6 address on the usual port
    // The host goes into a URL: anything that could end it or start another
    // part of it ('/', '@', '?', blanks) is refused.
    if (host.empty() || !std::all_of(host.begin(), host.end(), isHostCharacter))
        return std::nullopt;
    ServerAddress out;
    out.host = std::string(host);
    if (hasPort) {
        if (port.empty() || port.size() > 5 || !std::all_of(port.begin(), port.end(), isDigit))
            return std::nullopt;
        out.port = std::stoi(std::string(port));
        if (out.port < 1 || out.port > 65535)
            return std::nullopt;
    }
    return out;
}

void MenuFileUpdatesClick(core::App& app, platform::FtpClient& ftp, platform::UrlOpener& opener,
                          const UpdateCheckSetup& setup)
{
    if (!verify::connectionOrConsent(app))
        return;
    ActivityShown activity(app);
    const std::string& serverSetting = app.state.settings.UpdateServer;
    const auto server = parseServerAddress(serverSetting);
    if (!server) {
        core::reportError(app, FailedCheck);
        return;
    }
    platform::FtpRequest request;
    request.host = server->host;
    request.port = server->port;
    request.user = UpdateUser;
    request.password = UpdatePassword;
    request.remotePath = UpdateRemoteFile;
    request.connectTimeout = setup.connectTimeout;
    request.responseTimeout = setup.responseTimeout;

    platform::FtpResult downloaded;
    {
        // Locked, as any long operation is while it handles events: no
        // second command (a second check among them) starts inside this one.
        core::InterfaceLockGuard lock(app);
        core::startCancellable(app);
        WorkPanelShown panel(app, serverSetting);
        downloaded = downloadWhileResponsive(app, ftp, request);
    }
    if (app.state.cancel)
        return;
    if (!downloaded.ok()) {
        core::reportError(app, FailedCheck);
        return;
    }

    const std::string path = setup.downloadFolder + UpdateLocalName;
    if (const platform::Status written = app.fs.writeFile(path, downloaded.data); !written) {
        core::reportError(app, core::cannotCreateFile(path, written));
        return;
    }
    VersionFile version;
    {
        const core::IniFile ini(app.fs, path);
        if (ini.loadFailed()) {
            app.fs.removeFile(path);
            core::reportError(app, core::cannotOpenFile(path, ini.loadStatus()));
            return;
        }
        version = readVersionFile(ini);
    }
    // Deleted before anything is shown; should it fail, the next check's
    // download overwrites the file, and nothing else reads it.
    app.fs.removeFile(path);

    // Dotted numbers are compared as numbers, so that an older release is
    // not taken for a new one; any other text than this version's is a new
    // release, as the update file means it.
    const auto order = compareVersions(version.lastVersion, core::ProgramVersion);
    const bool newer = order ? *order > 0 : version.lastVersion != core::ProgramVersion;
    // The file comes from the network: its page is opened only when it is
    // a web page, never a local program or file.
    if (newer && !version.url.empty() && !isWebPageUrl(version.url)) {
        core::reportError(app, "Invalid update file: its download page \"" + version.url
                                   + "\" is not an http or https address.");
        return;
    }
    app.dialogs.ask(newer ? version.msgNotUpdated : version.msgUpdated, core::MessageKind::Information);
    if (newer && !version.url.empty())
        opener.open(version.url);
}

} // namespace quillon::ui
