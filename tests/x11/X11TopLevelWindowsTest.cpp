// The window list read from a real X server. ctest runs this program three
// times (QUILLON_X11_SESSION names the run): on Xvfb with openbox ("wm", the
// window manager's client list), on Xvfb alone ("bare", the root window's
// children), and without any display (only the tests that need no server).

#include "platform/linux/X11TopLevelWindows.h"

#include "fakes/CaseName.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <array>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using namespace quillon::platform;
using namespace std::chrono_literals;

namespace {

std::string session()
{
    const char* name = std::getenv("QUILLON_X11_SESSION");
    return name != nullptr ? name : "";
}

struct FreeReply {
    void operator()(void* p) const { std::free(p); }
};
struct Disconnect {
    void operator()(xcb_connection_t* c) const { xcb_disconnect(c); }
};

// The test's own client of the server, which makes the windows to be listed.
class Client {
public:
    Client()
        : m_c(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(c()) == 0)
            root = xcb_setup_roots_iterator(xcb_get_setup(c())).data->root;
    }
    xcb_connection_t* c() const { return m_c.get(); }

    xcb_atom_t atom(std::string_view name) const
    {
        const std::unique_ptr<xcb_intern_atom_reply_t, FreeReply> reply(xcb_intern_atom_reply(
            c(), xcb_intern_atom(c(), 0, static_cast<std::uint16_t>(name.size()), name.data()), nullptr));
        return reply ? reply->atom : XCB_NONE;
    }
    xcb_window_t create(bool overrideRedirect = false) const
    {
        const xcb_window_t w = xcb_generate_id(c());
        const std::uint32_t values[] = { overrideRedirect ? 1u : 0u };
        xcb_create_window(c(), XCB_COPY_FROM_PARENT, w, root, 10, 10, 300, 200, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
            XCB_COPY_FROM_PARENT, XCB_CW_OVERRIDE_REDIRECT, values);
        return w;
    }
    void setText(xcb_window_t w, xcb_atom_t property, xcb_atom_t type, std::string_view text) const
    {
        xcb_change_property(
            c(), XCB_PROP_MODE_REPLACE, w, property, type, 8, static_cast<std::uint32_t>(text.size()), text.data());
    }
    void setWindows(xcb_window_t w, xcb_atom_t property, const std::vector<xcb_window_t>& windows) const
    {
        xcb_change_property(c(), XCB_PROP_MODE_REPLACE, w, property, XCB_ATOM_WINDOW, 32,
            static_cast<std::uint32_t>(windows.size()), windows.data());
    }
    std::uint32_t firstWord(xcb_window_t w, xcb_atom_t property) const
    {
        const std::unique_ptr<xcb_get_property_reply_t, FreeReply> reply(xcb_get_property_reply(
            c(), xcb_get_property(c(), 0, w, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1), nullptr));
        std::uint32_t value = 0;
        if (reply && reply->format == 32 && xcb_get_property_value_length(reply.get()) >= 4)
            std::memcpy(&value, xcb_get_property_value(reply.get()), sizeof value);
        return value;
    }
    void raise(xcb_window_t w) const
    {
        const std::uint32_t above = XCB_STACK_MODE_ABOVE;
        xcb_configure_window(c(), w, XCB_CONFIG_WINDOW_STACK_MODE, &above);
        sync();
    }
    // Waits until the server has carried out every request sent so far.
    void sync() const
    {
        std::free(xcb_get_input_focus_reply(c(), xcb_get_input_focus(c()), nullptr));
    }

    xcb_window_t root = XCB_NONE;

private:
    std::unique_ptr<xcb_connection_t, Disconnect> m_c;
};

enum Role { Utf8Title, WmNameOnly, Transient, LongTitle, Unmapped, OverrideRedirect, RoleCount };

struct TestDesktop {
    Client client;
    std::array<xcb_window_t, RoleCount> windows {};
};

// The test's windows, made once for the whole program; none without a display.
const TestDesktop* testDesktop()
{
    static const std::unique_ptr<TestDesktop> made = []() -> std::unique_ptr<TestDesktop> {
        const char* display = std::getenv("DISPLAY");
        if (display == nullptr || *display == '\0')
            return nullptr;
        auto desktop = std::make_unique<TestDesktop>();
        const Client& client = desktop->client;
        if (xcb_connection_has_error(client.c()) != 0)
            return nullptr;
        auto& w = desktop->windows;
        for (int role = 0; role < RoleCount; ++role)
            w[role] = client.create(role == OverrideRedirect);
        const xcb_atom_t netWmName = client.atom("_NET_WM_NAME"), utf8 = client.atom("UTF8_STRING");
        client.setText(w[Utf8Title], netWmName, utf8, "Grüße – Startseite - Mozilla Firefox");
        client.setText(w[Utf8Title], XCB_ATOM_WM_NAME, XCB_ATOM_STRING, "Gruesse");
        client.setText(w[WmNameOnly], XCB_ATOM_WM_NAME, XCB_ATOM_STRING, "Caf\xE9 - Microsoft Internet Explorer");
        client.setText(w[Transient], netWmName, utf8, "Find");
        client.setWindows(w[Transient], XCB_ATOM_WM_TRANSIENT_FOR, { w[Utf8Title] });
        client.setText(w[LongTitle], netWmName, utf8, std::string(2046, 'a') + "\xC3\xBCtail");
        client.setText(w[Unmapped], XCB_ATOM_WM_NAME, XCB_ATOM_STRING, "Hidden");
        client.setText(w[OverrideRedirect], XCB_ATOM_WM_NAME, XCB_ATOM_STRING, "Menu");
        for (int role = 0; role < RoleCount; ++role)
            if (role != Unmapped)
                xcb_map_window(client.c(), w[role]);
        client.sync();
        return desktop;
    }();
    return made.get();
}

const TopLevelWindow* find(const std::vector<TopLevelWindow>& listed, std::uint64_t id)
{
    for (const TopLevelWindow& w : listed)
        if (w.id == id)
            return &w;
    return nullptr;
}

std::size_t position(const std::vector<TopLevelWindow>& listed, std::uint64_t id)
{
    return static_cast<std::size_t>(find(listed, id) ? find(listed, id) - listed.data() : listed.size());
}

// Lists until `ready` holds for the list, a bounded number of times: the
// window manager takes windows in, and restacks them, at its own pace.
template <typename Ready>
std::vector<TopLevelWindow> listUntil(X11TopLevelWindows& desktop, Ready ready)
{
    std::vector<TopLevelWindow> listed = desktop.list();
    for (int tries = 0; tries < 250 && !ready(listed); ++tries) {
        std::this_thread::sleep_for(20ms);
        listed = desktop.list();
    }
    return listed;
}

class X11Desktop : public testing::Test {
protected:
    void SetUp() override
    {
        if (testDesktop() == nullptr) {
            if (!session().empty())
                FAIL() << "the X server of this run cannot be reached";
            GTEST_SKIP() << "no display";
        }
        const auto allShown = [](const auto& l) {
            for (const Role r : { Utf8Title, WmNameOnly, Transient, LongTitle })
                if (find(l, id(r)) == nullptr || !find(l, id(r))->visible)
                    return false;
            return true;
        };
        listed = listUntil(desktop, allShown);
        ASSERT_TRUE(allShown(listed)) << "the test's windows are not listed as shown";
    }
    static std::uint64_t id(Role role) { return testDesktop()->windows[role]; }
    static const Client& client() { return testDesktop()->client; }

    X11TopLevelWindows desktop;
    std::vector<TopLevelWindow> listed;
};

TEST_F(X11Desktop, serverHasTheWindowManagerThisRunIsFor)
{
    const bool managed = client().firstWord(client().root, client().atom("_NET_SUPPORTING_WM_CHECK")) != 0;
    EXPECT_EQ(managed, session() == "wm");
}

struct WindowCase {
    const char* name;
    Role role;
    std::string title;
    bool visible;
    bool hasOwner;
};

void PrintTo(const WindowCase& c, std::ostream* out) { *out << c.name; }

class X11DesktopWindow : public X11Desktop, public testing::WithParamInterface<WindowCase> {
};

TEST_P(X11DesktopWindow, isListedAsItShows)
{
    const WindowCase& c = GetParam();
    const TopLevelWindow* w = find(listed, id(c.role));
    if (!c.visible && session() == "wm") {
        // The window manager lists only the windows it manages.
        EXPECT_TRUE(w == nullptr || !w->visible);
        return;
    }
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->visible, c.visible);
    EXPECT_EQ(w->title, c.title);
    EXPECT_EQ(w->hasOwner, c.hasOwner);
    EXPECT_FALSE(w->hasParent);
}

INSTANTIATE_TEST_SUITE_P(Windows, X11DesktopWindow,
    testing::Values(WindowCase { "utf8NetWmName_winsOverWmName", Utf8Title, "Grüße – Startseite - Mozilla Firefox", true, false },
        WindowCase { "latin1WmName_isReadAsUtf8", WmNameOnly, "Café - Microsoft Internet Explorer", true, false },
        WindowCase { "transientWindow_hasAnOwner", Transient, "Find", true, true },
        WindowCase { "longTitle_isCutBeforeTheCharacterAtTheLimit", LongTitle, std::string(2046, 'a'), true, false },
        WindowCase { "unmappedWindow_isNotVisible", Unmapped, "Hidden", false, false },
        WindowCase { "overrideRedirectMenu_isNotVisible", OverrideRedirect, "Menu", false, false }),
    [](const auto& info) { return quillon::test::caseName(info.index, info.param.name); });

TEST_F(X11Desktop, raisedWindow_isListedAboveTheOther)
{
    // Made first, the window with the UTF-8 title starts below the other.
    for (const Role raised : { Utf8Title, WmNameOnly }) {
        const Role other = raised == Utf8Title ? WmNameOnly : Utf8Title;
        client().raise(static_cast<xcb_window_t>(id(raised)));
        listed = listUntil(desktop, [&](const auto& l) { return position(l, id(raised)) < position(l, id(other)); });
        EXPECT_LT(position(listed, id(raised)), position(listed, id(other))) << "raised " << raised;
    }
}

TEST_F(X11Desktop, minimisedWindow_staysVisible)
{
    if (session() != "wm")
        GTEST_SKIP() << "minimising takes a window manager";
    const xcb_window_t w = client().create();
    client().setText(w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, "Minimised - Mozilla Firefox");
    xcb_map_window(client().c(), w);
    client().sync();
    listed = listUntil(desktop, [&](const auto& l) { return find(l, w) != nullptr; });

    // ICCCM: a client asks to be iconified with WM_CHANGE_STATE to the root.
    xcb_client_message_event_t message {};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = w;
    message.type = client().atom("WM_CHANGE_STATE");
    message.data.data32[0] = 3; // IconicState
    xcb_send_event(client().c(), 0, client().root,
        XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY, reinterpret_cast<const char*>(&message));
    const xcb_atom_t wmState = client().atom("WM_STATE");
    for (int tries = 0; tries < 250 && client().firstWord(w, wmState) != 3; ++tries)
        std::this_thread::sleep_for(20ms);
    ASSERT_EQ(client().firstWord(w, wmState), 3u);

    listed = desktop.list();
    xcb_destroy_window(client().c(), w);
    client().sync();
    ASSERT_NE(find(listed, w), nullptr);
    EXPECT_TRUE(find(listed, w)->visible);
}

// Window-manager lists set on the root by the test itself, on a server
// without a window manager, so that each form is read as it is written.
struct ManagerCase {
    const char* name;
    bool checkNamesItself;
    std::vector<Role> stacking; // bottom to top; empty: not set
    std::vector<Role> clients;
    std::vector<Role> expected; // empty: the root's children, as without the lists
};

void PrintTo(const ManagerCase& c, std::ostream* out) { *out << c.name; }

class X11FakeManager : public X11Desktop, public testing::WithParamInterface<ManagerCase> {
protected:
    static std::vector<xcb_window_t> windowsOf(const std::vector<Role>& roles)
    {
        std::vector<xcb_window_t> windows;
        for (const Role r : roles)
            windows.push_back(static_cast<xcb_window_t>(id(r)));
        return windows;
    }
};

std::vector<xcb_window_t> ids(const std::vector<TopLevelWindow>& listed)
{
    std::vector<xcb_window_t> windows;
    for (const TopLevelWindow& w : listed)
        windows.push_back(static_cast<xcb_window_t>(w.id));
    return windows;
}

TEST_P(X11FakeManager, clientListIsReadAsWritten)
{
    if (session() != "bare")
        GTEST_SKIP() << "a real window manager keeps these lists itself";
    const ManagerCase& c = GetParam();
    const Client& cl = client();
    const xcb_window_t check = cl.create();
    cl.sync();
    const std::vector<xcb_window_t> children = ids(desktop.list());

    const xcb_atom_t checkAtom = cl.atom("_NET_SUPPORTING_WM_CHECK");
    const xcb_atom_t stackingAtom = cl.atom("_NET_CLIENT_LIST_STACKING"), clientsAtom = cl.atom("_NET_CLIENT_LIST");
    cl.setWindows(check, checkAtom, { c.checkNamesItself ? check : cl.root });
    cl.setWindows(cl.root, checkAtom, { check });
    if (!c.stacking.empty())
        cl.setWindows(cl.root, stackingAtom, windowsOf(c.stacking));
    cl.setWindows(cl.root, clientsAtom, windowsOf(c.clients));
    cl.sync();
    const std::vector<xcb_window_t> listedIds = ids(desktop.list());
    for (const xcb_atom_t a : { checkAtom, stackingAtom, clientsAtom })
        xcb_delete_property(cl.c(), cl.root, a);
    xcb_destroy_window(cl.c(), check);
    cl.sync();

    EXPECT_EQ(listedIds, c.expected.empty() ? children : windowsOf(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Lists, X11FakeManager,
    testing::Values(ManagerCase { "stackingList_isReadTopDown", true, { Utf8Title, Transient, WmNameOnly },
                        { WmNameOnly, Utf8Title, Transient }, { WmNameOnly, Transient, Utf8Title } },
        ManagerCase { "clientListAlone_keepsItsOrder", true, {}, { Transient, Utf8Title, WmNameOnly },
            { Transient, Utf8Title, WmNameOnly } },
        ManagerCase { "checkWindowNotNamingItself_isNoWindowManager", false, { Utf8Title }, { Utf8Title }, {} }),
    [](const auto& info) { return quillon::test::caseName(info.index, info.param.name); });

// A display number of the test's own: the abstract socket an X server of
// that number would listen on (tried first by xcb). Listening without ever
// answering, it stands for a stopped server; closed at once, it leaves a
// number where nothing answers at all.
class SilentServer {
public:
    explicit SilentServer(bool listening)
    {
        for (int number = 600; number < 700 && m_fd < 0; ++number) {
            m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            const std::string path = "/tmp/.X11-unix/X" + std::to_string(number);
            sockaddr_un address {};
            address.sun_family = AF_UNIX;
            std::memcpy(address.sun_path + 1, path.data(), path.size());
            const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + path.size());
            if (::bind(m_fd, reinterpret_cast<const sockaddr*>(&address), length) == 0 && ::listen(m_fd, 4) == 0) {
                display = ":" + std::to_string(number);
            } else {
                ::close(m_fd);
                m_fd = -1;
            }
        }
        if (!listening)
            close();
    }
    ~SilentServer() { close(); }
    void close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

    std::string display;

private:
    int m_fd = -1;
};

// Sets $DISPLAY for one test, or removes it, and puts it back afterwards.
class DisplayVariable {
public:
    explicit DisplayVariable(const std::optional<std::string>& value)
    {
        if (const char* before = std::getenv("DISPLAY"))
            m_before = before;
        if (value)
            ::setenv("DISPLAY", value->c_str(), 1);
        else
            ::unsetenv("DISPLAY");
    }
    ~DisplayVariable()
    {
        if (m_before)
            ::setenv("DISPLAY", m_before->c_str(), 1);
        else
            ::unsetenv("DISPLAY");
    }

private:
    std::optional<std::string> m_before;
};

enum class Display { Unset, Empty, Malformed, NothingListens, NeverAnswers };

class X11WithoutServer : public testing::TestWithParam<std::pair<const char*, Display>> {
};

TEST_P(X11WithoutServer, listsNothing)
{
    const Display kind = GetParam().second;
    SilentServer server(kind == Display::NeverAnswers);
    ASSERT_FALSE(server.display.empty());
    std::optional<std::string> value;
    if (kind == Display::Empty)
        value = "";
    else if (kind == Display::Malformed)
        value = "not a display";
    else if (kind != Display::Unset)
        value = server.display;
    const DisplayVariable display(value);

    X11TopLevelWindows desktop;
    EXPECT_TRUE(desktop.list().empty());
    // Again, with the first attempt still on its way when the server is silent.
    EXPECT_TRUE(desktop.list().empty());
}

INSTANTIATE_TEST_SUITE_P(Displays, X11WithoutServer,
    testing::Values(std::pair { "unset", Display::Unset }, std::pair { "empty", Display::Empty },
        std::pair { "malformed", Display::Malformed }, std::pair { "nothingListens", Display::NothingListens },
        std::pair { "serverNeverAnswers", Display::NeverAnswers }),
    [](const auto& info) { return quillon::test::caseName(info.index, info.param.first); });

} // namespace
