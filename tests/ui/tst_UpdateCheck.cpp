// The update check against a real FTP server on loopback (pyftpdlib), through
// the real libcurl client: the version file's cases, servers that refuse or
// never answer, Cancel during the wait, the connection question, and a
// download folder that cannot be written.

#include "core/App.h"
#include "core/ProductInfo.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeResolver.h"
#include "fakes/FakeShell.h"
#include "fakes/FaultyFileSystem.h"
#include "fakes/RecordingUrlOpener.h"
#include "fakes/ScriptedDialogs.h"
#include "fakes/TempDir.h"
#include "platform/linux/TSimpleFTP.h"
#include "ui/UpdateCheck.h"

#include <QProcess>
#include <QTest>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

using namespace quillon;
using namespace quillon::test;
using core::MessageKind;
using platform::FtpFailure;
using Texts = std::vector<std::string>;

Q_DECLARE_METATYPE(std::string)
Q_DECLARE_METATYPE(std::optional<int>)

namespace {

constexpr const char* Failed = "Impossible to check for updates. Please retry later.";

// The real client, keeping each result for the test to look at.
class RecordingFtpClient final : public platform::FtpClient {
public:
    platform::FtpResult download(const platform::FtpRequest& request, const std::atomic<bool>& cancel) override
    {
        results.push_back(m_curl.download(request, cancel));
        return results.back();
    }
    std::vector<platform::FtpResult> results;

private:
    platform::TSimpleFTP m_curl; // the program's own FTP client
};

// A TCP socket on a free loopback port: listening, it lets clients connect
// and never says a word; not listening, it refuses them.
class LoopbackSocket {
public:
    explicit LoopbackSocket(bool listening)
        : m_fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        auto* any = reinterpret_cast<sockaddr*>(&address);
        if (m_fd >= 0 && ::bind(m_fd, any, size) == 0 && (!listening || ::listen(m_fd, 4) == 0)
            && ::getsockname(m_fd, any, &size) == 0)
            server = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));
    }
    ~LoopbackSocket() { ::close(m_fd); }
    LoopbackSocket(const LoopbackSocket&) = delete;
    LoopbackSocket& operator=(const LoopbackSocket&) = delete;
    std::string server; // empty when the socket could not be made

private:
    int m_fd;
};

// One run of the check over a fresh program folder, the person and the
// window played by doubles.
struct Check {
    explicit Check(const std::string& server)
    {
        dialogs.reportUnexpected = [](const std::string& what) { QTest::qFail(what.c_str(), __FILE__, __LINE__); };
        state.settings.UpdateServer = server;
        setup.downloadFolder = programDir.folder();
        setup.connectTimeout = std::chrono::milliseconds(2000);
        setup.responseTimeout = std::chrono::milliseconds(1000);
    }
    void run() { ui::MenuFileUpdatesClick(app, ftp, opener, setup); }
    // What every check that reached the server shows and leaves behind.
    void verifyRanToItsEnd() const
    {
        QCOMPARE(shell.activity, (std::vector<int> { core::ActivitySaving, core::ActivityNone }));
        QCOMPARE(shell.lockCalls, (Texts { "lock", "unlock" }));
        QCOMPARE(dialogs.workShows, 1);
        QCOMPARE(dialogs.workHides, 1);
        QCOMPARE(dialogs.workActions, Texts { " Checking for updates ..." });
        QCOMPARE(dialogs.workUrls, Texts { state.settings.UpdateServer });
        QVERIFY(dialogs.workCancelEnabled);
        QVERIFY(!programDir.exists(ui::UpdateLocalName));
    }

    TempDir programDir;
    FaultyFileSystem fs;
    FakeClock clock;
    ScriptedDialogs dialogs;
    FakeShell shell;
    FakeResolver resolver;
    FakeConnection connection;
    core::ProgramState state;
    core::App app { state, fs, clock, dialogs, shell, resolver, connection };
    RecordingFtpClient ftp;
    RecordingUrlOpener opener;
    ui::UpdateCheckSetup setup;
};

enum class Target { FtpServer, Refusing, Silent };

// One check: where it goes, the file the server holds (none: no file), what
// the person is shown, the page opened, and the client's outcome.
struct ServerCase {
    Target target;
    std::optional<std::string> file;
    std::string message;
    MessageKind kind;
    std::string opened;
    FtpFailure failure;
    std::string reasonHas;
};

} // namespace

Q_DECLARE_METATYPE(ServerCase)

class TestUpdateCheck : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase()
    {
        m_server.kill();
        m_server.waitForFinished(5000);
    }
    void compareVersions_data();
    void compareVersions();
    void parseServerAddress_data();
    void parseServerAddress();
    void check_data();
    void check();
    void cancelWhileServerSilent();
    void connectionNotDetected_data();
    void connectionNotDetected();
    void downloadFolderNotWritable();

private:
    // The names of the commands the server received since the last call.
    Texts takeServerCommands();

    TempDir m_serverRoot;
    TempDir m_serverLog;
    QProcess m_server;
    std::string m_serverAddress;
};

void TestUpdateCheck::initTestCase()
{
    m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_server.start(QStringLiteral(QUILLON_SYSTEM_PYTHON3),
                   { QStringLiteral(QUILLON_FTP_SERVER), QString::fromStdString(m_serverRoot.path()),
                     QString::fromLatin1(ui::UpdateUser), QString::fromLatin1(ui::UpdatePassword),
                     QString::fromStdString(m_serverLog.file("commands.log")) });
    QVERIFY2(m_server.waitForStarted(10000), "the FTP server did not start");
    while (!m_server.canReadLine())
        QVERIFY2(m_server.waitForReadyRead(10000), "the FTP server gave no port");
    const int port = m_server.readLine().trimmed().toInt();
    QVERIFY(port > 0);
    m_serverAddress = "127.0.0.1:" + std::to_string(port);
}

Texts TestUpdateCheck::takeServerCommands()
{
    const std::string log = m_serverLog.read("commands.log");
    m_serverLog.remove("commands.log");
    Texts commands;
    for (std::size_t start = 0, end; (end = log.find('\n', start)) != std::string::npos; start = end + 1)
        commands.push_back(log.substr(start, end - start));
    return commands;
}

void TestUpdateCheck::compareVersions_data()
{
    QTest::addColumn<std::string>("a");
    QTest::addColumn<std::string>("b");
    QTest::addColumn<std::optional<int>>("expected");
    const auto row = [](const char* name, const char* a, const char* b, std::optional<int> expected) {
        QTest::newRow(name) << std::string(a) << std::string(b) << expected;
    };
    row("equal", "1.1.0", "1.1.0", 0);
    row("missingNumberIsZero", "1.1", "1.1.0", 0);
    row("leadingZeros", "01.001.0", "1.1", 0);
    row("olderPatch", "1.0.9", "1.1.0", -1);
    row("numbersNotText", "1.10.0", "1.9.0", 1);
    row("extraNumber", "1.1.0.1", "1.1.0", 1);
    row("beyond64Bits", "1.99999999999999999999", "1.99999999999999999998", 1);
    row("empty", "", "1.1.0", std::nullopt);
    row("letters", "abc", "1.1.0", std::nullopt);
    row("emptyNumber", "1..2", "1.1.0", std::nullopt);
    row("trailingDot", "1.2.", "1.1.0", std::nullopt);
    row("suffix", "1.2.0-beta", "1.1.0", std::nullopt);
}

void TestUpdateCheck::compareVersions()
{
    QFETCH(std::string, a);
    QFETCH(std::string, b);
    QFETCH(std::optional<int>, expected);
    QCOMPARE(ui::compareVersions(a, b), expected);
    QCOMPARE(ui::compareVersions(b, a), expected ? std::optional<int>(-*expected) : std::nullopt);
}

void TestUpdateCheck::parseServerAddress_data()
{
    QTest::addColumn<std::string>("server");
    QTest::addColumn<std::string>("host"); // empty: refused
    QTest::addColumn<int>("port");
    const auto row = [](const char* name, const char* server, const char* host, int port) {
        QTest::newRow(name) << std::string(server) << std::string(host) << port;
    };
    row("nameAlone", "ftp.quillon.org", "ftp.quillon.org", 21);
    row("nameAndPort", "127.0.0.1:2121", "127.0.0.1", 2121);
    row("bracketedIPv6", "[::1]:2121", "::1", 2121);
    row("bareIPv6", "fe80::1", "fe80::1", 21);
    row("emptyPort", "host:", "", 0);
    row("portTooLarge", "host:65536", "", 0);
    row("noHost", ":21", "", 0);
    row("pathInHost", "evil.example/x", "", 0);
}

void TestUpdateCheck::parseServerAddress()
{
    QFETCH(std::string, server);
    QFETCH(std::string, host);
    QFETCH(int, port);
    const auto parsed = ui::parseServerAddress(server);
    QCOMPARE(parsed.has_value(), !host.empty());
    if (parsed) {
        QCOMPARE(parsed->host, host);
        QCOMPARE(parsed->port, port);
    }
}

void TestUpdateCheck::check_data()
{
    QTest::addColumn<ServerCase>("c");
    const auto info = MessageKind::Information;
    const auto warning = MessageKind::Warning;
    const auto ok = FtpFailure::None;
    const auto ftp = Target::FtpServer;
    const std::string url = "https://downloads.example.org/quillon/";
    const std::string texts = "MsgNotUpdated=Quillon 1.2 is out.\r\nMsgUpdated=Up to date.\r\nURL=" + url + "\r\n";
    const auto version = [&texts](const char* v) {
        return "[Version]\r\nLastVersion=" + std::string(v) + "\r\n" + texts;
    };
    const auto row = [](const char* name, ServerCase c) { QTest::newRow(name) << c; };

    const std::string same = "[Version]\r\nLastVersion=1.1.0\r\nURL=" + url;
    row("same_defaultMessage", { ftp, same, "No new version available.", info, "", ok, "" });
    row("same_filesMessage", { ftp, version("1.1.0"), "Up to date.", info, "", ok, "" });
    row("older_isUpToDate", { ftp, version("1.0.9"), "Up to date.", info, "", ok, "" });
    row("noLastVersion_isUpToDate", { ftp, "[Version]\r\n" + texts, "Up to date.", info, "", ok, "" });
    row("newer_opensPage", { ftp, version("1.2.0"), "Quillon 1.2 is out.", info, url, ok, "" });
    const std::string newerOnly = "[Version]\nLastVersion=1.1.1\n";
    row("newer_defaults", { ftp, newerOnly, "New version available.", info, core::ProductHomePage, ok, "" });
    const std::string emptyUrl = "[Version]\r\nLastVersion=2.0\r\nURL=\r\n";
    row("newer_emptyUrl", { ftp, emptyUrl, "New version available.", info, "", ok, "" });
    // The downloaded file may name anything: only web pages are opened.
    for (const char* page : { "file:///usr/bin/xterm", "/usr/bin/xterm", "javascript:alert(1)" }) {
        const std::string file = "[Version]\r\nLastVersion=2.0\r\nURL=" + std::string(page) + "\r\n";
        const std::string name = std::string("newer_notAWebPage_") + page;
        row(name.c_str(), { ftp, file, "Invalid update file: its download page \"" + std::string(page)
                                           + "\" is not an http or https address.",
                            warning, "", ok, "" });
    }
    // Not dotted numbers: any other text than this version's is new.
    row("notANumber_letters", { ftp, version("abc"), "Quillon 1.2 is out.", info, url, ok, "" });
    row("notANumber_beta", { ftp, version("1.1.0-beta"), "Quillon 1.2 is out.", info, url, ok, "" });
    row("notANumber_emptyNumber", { ftp, version("1..2"), "Quillon 1.2 is out.", info, url, ok, "" });
    row("notANumber_empty", { ftp, version(""), "Quillon 1.2 is out.", info, url, ok, "" });
    row("fileMissing", { ftp, std::nullopt, Failed, warning, "", FtpFailure::Transfer, "550" });
    row("fileTooLarge", { ftp, version("1.2") + std::string(1024 * 1024, ';'), Failed, warning, "", FtpFailure::TooLarge,
                          "larger than 1048576 bytes" });
    // Nobody listens: refused (three tries).
    row("refused", { Target::Refusing, {}, Failed, warning, "", FtpFailure::Connect, "Failed to connect" });
    // Connected, but never greeted: ended by the response time-out.
    row("silentServer", { Target::Silent, {}, Failed, warning, "", FtpFailure::Transfer, "response timeout" });
}

void TestUpdateCheck::check()
{
    QFETCH(ServerCase, c);
    if (c.file)
        m_serverRoot.write("Quillon/VerEN.ini", *c.file);
    else
        m_serverRoot.remove("Quillon/VerEN.ini");
    takeServerCommands();
    const LoopbackSocket socket(c.target == Target::Silent);
    QVERIFY(!socket.server.empty());

    Check check(c.target == Target::FtpServer ? m_serverAddress : socket.server);
    check.run();

    QCOMPARE(check.dialogs.askedTexts(), Texts { c.message });
    QCOMPARE(check.dialogs.asked.front().kind, c.kind);
    QCOMPARE(check.opener.opened, c.opened.empty() ? Texts {} : Texts { c.opened });
    QCOMPARE(check.ftp.results.size(), std::size_t(1));
    const platform::FtpResult& result = check.ftp.results.front();
    QCOMPARE(result.failure, c.failure);
    QVERIFY2(result.reason.find(c.reasonHas) != std::string::npos, result.reason.c_str());
    check.verifyRanToItsEnd();
    if (c.target != Target::FtpServer)
        return;
    // Logged in once; the data connection was opened by the server (active).
    const Texts commands = takeServerCommands();
    const auto count = [&commands](const char* name) { return std::count(commands.begin(), commands.end(), name); };
    QCOMPARE(count("USER"), 1);
    QCOMPARE(count("PORT") + count("EPRT"), 1);
    QCOMPARE(count("PASV") + count("EPSV"), 0);
}

void TestUpdateCheck::cancelWhileServerSilent()
{
    const LoopbackSocket socket(true);
    Check c(socket.server);
    // Long enough that only Cancel ends the wait early: a time-out gives
    // another failure than Cancelled.
    c.setup.connectTimeout = c.setup.responseTimeout = std::chrono::milliseconds(10000);
    // The window's events, where Cancel and "Yes" to "Abort operation ?" set
    // the flag.
    c.shell.onProcessEvents = [] { QCoreApplication::processEvents(); };
    QTimer::singleShot(300, [&c] { c.state.cancel = true; });

    c.run();

    QVERIFY(c.dialogs.asked.empty());
    QVERIFY(c.opener.opened.empty());
    QCOMPARE(c.ftp.results.size(), std::size_t(1));
    QCOMPARE(c.ftp.results.front().failure, FtpFailure::Cancelled);
    c.verifyRanToItsEnd();
}

void TestUpdateCheck::connectionNotDetected_data()
{
    QTest::addColumn<core::Answer>("answer");
    QTest::newRow("No_nothingDone") << core::Answer::No;
    QTest::newRow("Yes_checks") << core::Answer::Yes;
}

void TestUpdateCheck::connectionNotDetected()
{
    QFETCH(core::Answer, answer);
    m_serverRoot.write("Quillon/VerEN.ini", "[Version]\r\nLastVersion=1.1.0\r\n");
    takeServerCommands();
    Check c(m_serverAddress);
    c.connection.online = false;
    c.dialogs.answers = { answer };

    c.run();

    QCOMPARE(c.dialogs.asked.front().text, std::string("WARNING!!! Connection not detected: continue anyway ?"));
    QCOMPARE(c.dialogs.asked.front().kind, MessageKind::QuestionDefaultNo);
    if (answer == core::Answer::Yes) {
        QCOMPARE(c.dialogs.askedTexts().back(), std::string("No new version available."));
        c.verifyRanToItsEnd();
        return;
    }
    QCOMPARE(c.dialogs.asked.size(), std::size_t(1));
    QVERIFY(c.ftp.results.empty());
    QVERIFY(takeServerCommands().empty());
    QVERIFY(c.shell.activity.empty());
    QCOMPARE(c.dialogs.workShows, 0);
}

void TestUpdateCheck::downloadFolderNotWritable()
{
    m_serverRoot.write("Quillon/VerEN.ini", "[Version]\r\nLastVersion=1.2.0\r\n");
    Check c(m_serverAddress);
    const std::string local = c.programDir.file(ui::UpdateLocalName);
    c.fs.fail(FaultyFileSystem::Op::Write, local, EACCES);

    c.run();

    QCOMPARE(c.dialogs.askedTexts(), Texts { "Cannot create file \"" + local + "\". " + std::strerror(EACCES) });
    QCOMPARE(c.dialogs.asked.front().kind, MessageKind::Warning);
    QVERIFY(c.opener.opened.empty());
    c.verifyRanToItsEnd();
}

QTEST_GUILESS_MAIN(TestUpdateCheck)
#include "tst_UpdateCheck.moc"
