#include "DdeTopics.h"

#include <fstream>

namespace quillon::browsersim {

using platform::DdeAnswer;

namespace {

const std::string GetWindowInfo = "WWW_GetWindowInfo";
const std::string Activate = "WWW_Activate";
const std::string OpenUrl = "WWW_OpenURL";

} // namespace

DdeTopics::DdeTopics(BrowserWindow& window, const History& history, QFile& log, TopicsOptions options)
    : m_window(window), m_history(history), m_log(log), m_options(options)
{
}

platform::DdeServer::Handlers DdeTopics::handlers()
{
    return { [this](const std::string& topic) { return acceptTopic(topic); },
             [this](const std::string& topic, const std::string& item) { return request(topic, item); } };
}

void DdeTopics::logLine(const std::string& line)
{
    // One write per line: appended whole even when another copy writes to
    // the same log.
    const std::string whole = line + "\n";
    m_log.write(whole.data(), static_cast<qint64>(whole.size()));
    m_log.flush();
}

bool DdeTopics::acceptTopic(const std::string& topic)
{
    const bool accepted = topic == GetWindowInfo || topic == Activate || topic == OpenUrl;
    logLine("conversation\t" + logEscape(topic) + (accepted ? "\taccepted" : "\trefused"));
    return accepted;
}

DdeAnswer DdeTopics::request(const std::string& topic, const std::string& item)
{
    logLine(logEscape(topic) + "\t" + logEscape(item));
    if (m_options.mute)
        return DdeAnswer::silent();
    if (topic == GetWindowInfo)
        return windowInfo(item);
    if (topic == Activate)
        return activate(item);
    return openUrl(item);
}

bool DdeTopics::isOurWindow(const std::string& item)
{
    const auto id = parseWindowId(item);
    return id && (*id == WindowId || *id == LastActiveWindow);
}

DdeAnswer DdeTopics::windowInfo(const std::string& item)
{
    if (!isOurWindow(item))
        return DdeAnswer::refused();
    std::string reply = windowInfoReply(m_window.url(), m_window.windowTitle().toStdString());
    if (m_options.replyBytes)
        reply.resize(*m_options.replyBytes, ' ');
    return DdeAnswer::text(std::move(reply));
}

DdeAnswer DdeTopics::activate(const std::string& item)
{
    if (!isOurWindow(item))
        return DdeAnswer::refused();
    m_window.bringToFront();
    return DdeAnswer::text(windowIdText(WindowId));
}

DdeAnswer DdeTopics::openUrl(const std::string& item)
{
    const std::vector<std::string> fields = splitArguments(item);
    const std::string& url = fields[0];
    const std::string file = fields.size() > 1 ? fields[1] : std::string();
    // The window id is not checked: 0x0 asks for a new window, and this
    // browser has only the one it opens everything in.
    if (file.empty()) {
        m_window.navigate(url);
        return DdeAnswer::text(windowIdText(WindowId));
    }
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    const std::string lowered = QString::fromStdString(url).trimmed().toLower().toStdString();
    out << (lowered == "about:cache" ? cacheListing(m_history.urls()) : savedPage(normaliseUrl(url)));
    out.close();
    if (!out)
        return DdeAnswer::refused();
    return DdeAnswer::text(windowIdText(WindowId));
}

} // namespace quillon::browsersim
