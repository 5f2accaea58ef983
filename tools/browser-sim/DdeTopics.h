#pragma once
// The DDE interface browser-sim serves, as Internet Explorer and Netscape
// Navigator documented it:
//   WWW_GetWindowInfo  item: window id ("0xFFFFFFFF" the last active one)
//                      reply: "<URL>","<window title>"
//   WWW_Activate       item: window id; raises the window; reply: its id ("0x1")
//   WWW_OpenURL        item: URL,file,window id,flags,form data,MIME type,progress server
//                      with a file: about:cache writes the cache listing into
//                      it, any other URL a small page; without: the window
//                      opens the URL. reply: the window id
// Other topics are refused. Every conversation opened and every request is
// logged, one line each, before it is answered.

#include "BrowserWindow.h"
#include "History.h"
#include "platform/linux/DdeServer.h"

#include <QFile>

#include <optional>
#include <string>

namespace quillon::browsersim {

struct TopicsOptions {
    bool mute = false;                    // accept conversations, answer no request
    std::optional<std::size_t> replyBytes; // WWW_GetWindowInfo replies this long
};

class DdeTopics {
public:
    // log: open for appending; lines go out as they are written.
    DdeTopics(BrowserWindow& window, const History& history, QFile& log, TopicsOptions options);

    // The handlers for a DdeServer.
    platform::DdeServer::Handlers handlers();
    void logLine(const std::string& line);

private:
    bool acceptTopic(const std::string& topic);
    platform::DdeAnswer request(const std::string& topic, const std::string& item);
    platform::DdeAnswer windowInfo(const std::string& item);
    platform::DdeAnswer activate(const std::string& item);
    platform::DdeAnswer openUrl(const std::string& item);
    // Our window's id, or the last active window's: both are the one window.
    static bool isOurWindow(const std::string& item);

    BrowserWindow& m_window;
    const History& m_history;
    QFile& m_log;
    TopicsOptions m_options;
};

} // namespace quillon::browsersim
