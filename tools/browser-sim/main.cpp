// browser-sim: a stand-in for Internet Explorer or Netscape Navigator, for
// tests and demonstrations of Quillon's browser capture and imports on Linux.
// It shows one window titled as the browser it plays, serves that browser's
// DDE interface over the local socket protocol (docs/dde-protocol.md; see
// DdeTopics.h for the topics), keeps a history of the pages it showed and
// logs every conversation and request.
//
// It is started by path without arguments when a client asks for its
// service, so every option has a default. Without --as, the name it was
// started under says whom it plays (any other name: Internet Explorer); the
// build puts the links "iexplore" and "netscape" beside it.
//
//   --as iexplore|netscape   the browser to play
//   --url URL                the start page (about:blank)
//   --log FILE               the log ($XDG_STATE_HOME/browser-sim/<role>.log);
//                            lines "conversation<TAB>topic<TAB>accepted|refused"
//                            and "topic<TAB>item", tabs and newlines escaped
//   --mute                   take conversations but answer no request
//   --reply-bytes N          answer WWW_GetWindowInfo with N bytes of text
//
// As Internet Explorer, every page shown is appended to the URL-cache store
// ($XDG_DATA_HOME/quillon/url-cache) as "Visited: user@URL". It runs
// headless as well (QT_QPA_PLATFORM=offscreen), and ends cleanly on SIGTERM.

#include "BrowserWindow.h"
#include "Browsing.h"
#include "DdeTopics.h"
#include "History.h"
#include "platform/TerminationSignal.h"
#include "platform/linux/DdeServer.h"
#include "platform/linux/UrlCacheFile.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cstdio>
#include <cstdlib>

using namespace quillon;
using namespace quillon::browsersim;

namespace {

QString defaultLogPath(Role role)
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    // Relative paths are invalid by the XDG rules and are ignored.
    if (!state.startsWith(QLatin1Char('/')))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/browser-sim/") + QString::fromStdString(serviceName(role))
           + QStringLiteral(".log");
}

int fail(const QString& message)
{
    std::fprintf(stderr, "browser-sim: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char* argv[])
{
    const std::string startedAs = argc > 0 ? argv[0] : "";
    QApplication application(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("A stand-in browser serving DDE over local sockets."));
    parser.addHelpOption();
    const QCommandLineOption asOption(QStringLiteral("as"), QStringLiteral("The browser to play."),
                                      QStringLiteral("iexplore|netscape"));
    const QCommandLineOption urlOption(QStringLiteral("url"), QStringLiteral("The start page."),
                                       QStringLiteral("URL"), QStringLiteral("about:blank"));
    const QCommandLineOption logOption(QStringLiteral("log"), QStringLiteral("The log file."), QStringLiteral("FILE"));
    const QCommandLineOption muteOption(QStringLiteral("mute"), QStringLiteral("Answer no request."));
    const QCommandLineOption replyBytesOption(QStringLiteral("reply-bytes"),
                                              QStringLiteral("Answer WWW_GetWindowInfo with N bytes."),
                                              QStringLiteral("N"));
    parser.addOptions({ asOption, urlOption, logOption, muteOption, replyBytesOption });
    parser.process(application);

    // Started under another name without --as, it plays Internet Explorer.
    Role role = roleFromName(startedAs).value_or(Role::IExplore);
    if (parser.isSet(asOption)) {
        const auto named = roleFromName(parser.value(asOption).toStdString());
        if (!named)
            return fail(QStringLiteral("--as takes iexplore or netscape"));
        role = *named;
    }
    TopicsOptions options;
    options.mute = parser.isSet(muteOption);
    if (parser.isSet(replyBytesOption)) {
        bool ok = false;
        const qulonglong bytes = parser.value(replyBytesOption).toULongLong(&ok);
        if (!ok)
            return fail(QStringLiteral("--reply-bytes takes a number"));
        options.replyBytes = static_cast<std::size_t>(bytes);
    }

    QFile log(parser.isSet(logOption) ? parser.value(logOption) : defaultLogPath(role));
    QDir().mkpath(QFileInfo(log.fileName()).absolutePath());
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append))
        return fail(QStringLiteral("cannot write the log %1: %2").arg(log.fileName(), log.errorString()));

    History history(role, role == Role::IExplore ? platform::UrlCacheFile::defaultPath() : std::string());
    BrowserWindow window(role);
    QObject::connect(&window, &BrowserWindow::navigated, [&history](const std::string& url) { history.record(url); });
    window.navigate(parser.value(urlOption).toStdString());

    DdeTopics topics(window, history, log, options);
    platform::DdeServer server(serviceName(role), topics.handlers());
    if (const platform::Status listening = server.listen(); !listening)
        return fail(QStringLiteral("cannot serve %1: %2")
                        .arg(QString::fromStdString(serviceName(role)), QString::fromStdString(listening.reason())));
    QSocketNotifier requests(server.fd(), QSocketNotifier::Read);
    QObject::connect(&requests, &QSocketNotifier::activated, [&server] { server.handleReady(); });

    // Ending through the event loop lets the server remove its socket.
    std::unique_ptr<QSocketNotifier> termination;
    if (const int fd = platform::terminationSignalDescriptor(); fd >= 0) {
        termination = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        QObject::connect(termination.get(), &QSocketNotifier::activated, [] {
            platform::acknowledgeTerminationSignal();
            QApplication::quit();
        });
    }

    window.show();
    return QApplication::exec();
}
