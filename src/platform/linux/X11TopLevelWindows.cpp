#include "platform/linux/X11TopLevelWindows.h"

#include <xcb/xcb.h>
#include <xcb/xcbext.h> // xcb_poll_for_reply: waiting for a reply with a limit

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <future>
#include <optional>
#include <poll.h>
#include <string_view>
#include <system_error>
#include <thread>

namespace quillon::platform {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// How long one list() waits for the server in all: for a new connection and
// for the answers to its requests. A local server answers within
// milliseconds; one that takes longer is stopped or swamped, and the window
// search can do without this round's list.
constexpr auto patience = 1000ms;

// Titles are cut to the window search's buffer. One byte more than that is
// read (512 words), so that the cut can tell whether it splits a character.
constexpr std::size_t maxTitleBytes = 2047;
constexpr std::uint32_t titleWords = 512;
// More windows than any desktop has; a longer list would be read in part.
constexpr std::uint32_t windowListWords = 16384;

constexpr std::uint32_t iconicState = 3; // WM_STATE's IconicState (ICCCM)

struct FreeReply {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;
using PropertyReply = Reply<xcb_get_property_reply_t>;

struct Disconnect {
    void operator()(xcb_connection_t* c) const { xcb_disconnect(c); }
};
using Connection = std::unique_ptr<xcb_connection_t, Disconnect>;

struct Opened {
    Connection connection;
    int screen = 0;
};

enum AtomName { NetSupportingWmCheck, NetClientListStacking, NetClientList, NetWmName, Utf8String, WmState, AtomCount };
constexpr std::array<std::string_view, AtomCount> atomNames { "_NET_SUPPORTING_WM_CHECK", "_NET_CLIENT_LIST_STACKING",
    "_NET_CLIENT_LIST", "_NET_WM_NAME", "UTF8_STRING", "WM_STATE" };
using Atoms = std::array<xcb_atom_t, AtomCount>;

// Opens a connection on a thread of its own. xcb_connect waits without end
// for a server that accepts the connection but never answers (a stopped
// one, or a remote one behind a dropped network); the caller waits on the
// future as long as it likes, and a connection nobody takes any more is
// closed with the future's shared state.
std::future<Opened> openInBackground(std::string display)
{
    std::promise<Opened> promise;
    std::future<Opened> opened = promise.get_future();
    try {
        std::thread([promise = std::move(promise), display = std::move(display)]() mutable {
            int screen = 0;
            Connection connection(xcb_connect(display.c_str(), &screen));
            promise.set_value({ std::move(connection), screen });
        }).detach();
    } catch (const std::system_error&) {
        return {};
    }
    return opened;
}

// Takes the answers to requests already sent, waiting for them until one
// deadline at most. Once the connection fails or the deadline passes,
// every further answer is missing and ok() is false.
class Answers {
public:
    Answers(xcb_connection_t* c, Clock::time_point deadline)
        : m_c(c)
        , m_deadline(deadline)
    {
    }

    // The reply to one request; empty when the server answered with an
    // error (a window closed meanwhile) or not at all.
    template <typename T>
    Reply<T> take(unsigned sequence)
    {
        while (m_ok) {
            void* reply = nullptr;
            xcb_generic_error_t* error = nullptr;
            if (xcb_poll_for_reply(m_c, sequence, &reply, &error) != 0) {
                std::free(error);
                m_ok = xcb_connection_has_error(m_c) == 0;
                return Reply<T>(static_cast<T*>(reply));
            }
            m_ok = waitForInput();
        }
        return nullptr;
    }

    bool ok() const { return m_ok; }

private:
    bool waitForInput() const
    {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(m_deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        pollfd fd { xcb_get_file_descriptor(m_c), POLLIN, 0 };
        const int ready = ::poll(&fd, 1, static_cast<int>(left));
        return ready > 0 || (ready < 0 && errno == EINTR);
    }

    xcb_connection_t* m_c;
    Clock::time_point m_deadline;
    bool m_ok = true;
};

unsigned askWindowList(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property, std::uint32_t words)
{
    return xcb_get_property(c, 0, window, property, XCB_ATOM_WINDOW, 0, words).sequence;
}

bool isWindowList(const PropertyReply& reply)
{
    return reply && reply->type == XCB_ATOM_WINDOW && reply->format == 32;
}

std::vector<xcb_window_t> windowsIn(const PropertyReply& reply)
{
    if (!isWindowList(reply))
        return {};
    const auto* first = static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
    return { first, first + xcb_get_property_value_length(reply.get()) / 4 };
}

// The first 32-bit value of a property read with its type, or 0 (None).
std::uint32_t firstWord(const PropertyReply& reply)
{
    std::uint32_t value = 0;
    if (reply && reply->format == 32 && xcb_get_property_value_length(reply.get()) >= 4)
        std::memcpy(&value, xcb_get_property_value(reply.get()), sizeof value);
    return value;
}

std::string bytesOf(const PropertyReply& reply)
{
    if (!reply || reply->format != 8)
        return {};
    const auto* first = static_cast<const char*>(xcb_get_property_value(reply.get()));
    return { first, static_cast<std::size_t>(xcb_get_property_value_length(reply.get())) };
}

std::string latin1ToUtf8(std::string_view text)
{
    std::string utf8;
    utf8.reserve(text.size());
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte < 0x80) {
            utf8 += ch;
        } else {
            utf8 += static_cast<char>(0xC0 | (byte >> 6));
            utf8 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}

// _NET_WM_NAME is UTF-8; WM_NAME is Latin-1 when its type is STRING, and
// is taken as it is in the other encodings (COMPOUND_TEXT, UTF8_STRING),
// whose ASCII part reads the same.
std::string titleOf(const PropertyReply& netWmName, const PropertyReply& wmName)
{
    std::string title = bytesOf(netWmName);
    if (title.empty()) {
        title = bytesOf(wmName);
        if (wmName && wmName->type == XCB_ATOM_STRING)
            title = latin1ToUtf8(title);
    }
    if (title.size() > maxTitleBytes) {
        // Back to the start of the character the limit falls in, so that
        // the title stays valid UTF-8.
        std::size_t end = maxTitleBytes;
        while (end > 0 && (static_cast<unsigned char>(title[end]) & 0xC0) == 0x80)
            --end;
        title.resize(end);
    }
    return title;
}

// The requests about one window, by their sequence numbers.
struct WindowRequests {
    xcb_window_t id = XCB_NONE;
    unsigned attributes = 0, netWmName = 0, wmName = 0, transientFor = 0;
    std::optional<unsigned> wmState; // asked of a window manager's clients only
};

// Sends the requests about every window without waiting for an answer, so
// that all of them cost one round trip. A window manager's clients are
// also asked their WM_STATE: a minimised one is unmapped but still open.
std::vector<WindowRequests> askAbout(
    xcb_connection_t* c, const Atoms& atoms, const std::vector<xcb_window_t>& windows, bool managed)
{
    std::vector<WindowRequests> asked;
    asked.reserve(windows.size());
    for (const xcb_window_t w : windows) {
        WindowRequests r;
        r.id = w;
        r.attributes = xcb_get_window_attributes(c, w).sequence;
        r.netWmName = xcb_get_property(c, 0, w, atoms[NetWmName], atoms[Utf8String], 0, titleWords).sequence;
        r.wmName = xcb_get_property(c, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, titleWords).sequence;
        r.transientFor = xcb_get_property(c, 0, w, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 0, 1).sequence;
        if (managed)
            r.wmState = xcb_get_property(c, 0, w, atoms[WmState], atoms[WmState], 0, 1).sequence;
        asked.push_back(r);
    }
    xcb_flush(c);
    return asked;
}

// The windows asked about, in the same order, less those closed meanwhile.
std::vector<TopLevelWindow> collect(Answers& answers, const std::vector<WindowRequests>& asked)
{
    std::vector<TopLevelWindow> windows;
    windows.reserve(asked.size());
    for (const WindowRequests& r : asked) {
        const auto attributes = answers.take<xcb_get_window_attributes_reply_t>(r.attributes);
        const auto netWmName = answers.take<xcb_get_property_reply_t>(r.netWmName);
        const auto wmName = answers.take<xcb_get_property_reply_t>(r.wmName);
        const auto transientFor = answers.take<xcb_get_property_reply_t>(r.transientFor);
        const auto wmState = r.wmState ? answers.take<xcb_get_property_reply_t>(*r.wmState) : nullptr;
        if (!attributes)
            continue;
        TopLevelWindow w;
        w.id = r.id;
        const bool shown = attributes->map_state == XCB_MAP_STATE_VIEWABLE || firstWord(wmState) == iconicState;
        w.visible = shown && attributes->override_redirect == 0;
        w.hasOwner = firstWord(transientFor) != XCB_NONE;
        w.title = titleOf(netWmName, wmName);
        windows.push_back(std::move(w));
    }
    return windows;
}

} // namespace

struct X11TopLevelWindows::State {
    Connection connection;
    xcb_window_t root = XCB_NONE;
    Atoms atoms {};
    std::future<Opened> opening; // a connection on its way

    bool connect(Clock::time_point deadline);
    bool setUp(Opened opened, Clock::time_point deadline);
    std::vector<TopLevelWindow> read(Answers& answers);
};

X11TopLevelWindows::X11TopLevelWindows()
    : m_state(std::make_unique<State>())
{
}

X11TopLevelWindows::~X11TopLevelWindows() = default;

std::vector<TopLevelWindow> X11TopLevelWindows::list()
{
    const Clock::time_point deadline = Clock::now() + patience;
    if (!m_state->connect(deadline))
        return {};
    xcb_connection_t* c = m_state->connection.get();
    // The server sends a few events to every client unasked (MappingNotify);
    // unread, they would pile up in the connection for as long as it lives.
    while (Reply<xcb_generic_event_t> event { xcb_poll_for_event(c) }) {
    }
    Answers answers(c, deadline);
    std::vector<TopLevelWindow> windows = m_state->read(answers);
    if (!answers.ok()) {
        m_state->connection.reset(); // lost or not answering: the next list() connects anew
        return {};
    }
    return windows;
}

bool X11TopLevelWindows::State::connect(Clock::time_point deadline)
{
    if (connection && xcb_connection_has_error(connection.get()) == 0)
        return true;
    connection.reset();
    // An attempt that is still on its way was waited for when it began; a
    // server that does not answer must not cost every later call the same.
    Clock::time_point waitUntil = Clock::now();
    if (!opening.valid()) {
        const char* display = std::getenv("DISPLAY");
        if (display == nullptr || *display == '\0')
            return false;
        opening = openInBackground(display);
        if (!opening.valid())
            return false;
        waitUntil = deadline;
    }
    if (opening.wait_until(waitUntil) != std::future_status::ready)
        return false;
    return setUp(opening.get(), deadline);
}

bool X11TopLevelWindows::State::setUp(Opened opened, Clock::time_point deadline)
{
    xcb_connection_t* c = opened.connection.get();
    if (xcb_connection_has_error(c) != 0)
        return false;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < opened.screen && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    if (screens.rem <= 0)
        return false;

    // Atoms that do not exist yet are made, rather than taken as None: a
    // window manager started later would make them, unseen by this
    // connection.
    std::array<unsigned, AtomCount> asked {};
    for (std::size_t i = 0; i < AtomCount; ++i)
        asked[i] = xcb_intern_atom(c, 0, static_cast<std::uint16_t>(atomNames[i].size()), atomNames[i].data()).sequence;
    xcb_flush(c);
    Answers answers(c, deadline);
    for (std::size_t i = 0; i < AtomCount; ++i) {
        const auto reply = answers.take<xcb_intern_atom_reply_t>(asked[i]);
        if (!reply)
            return false;
        atoms[i] = reply->atom;
    }
    root = screens.data->root;
    connection = std::move(opened.connection);
    return true;
}

std::vector<TopLevelWindow> X11TopLevelWindows::State::read(Answers& answers)
{
    xcb_connection_t* c = connection.get();
    const unsigned checkAsked = askWindowList(c, root, atoms[NetSupportingWmCheck], 1);
    const unsigned stackingAsked = askWindowList(c, root, atoms[NetClientListStacking], windowListWords);
    const unsigned clientsAsked = askWindowList(c, root, atoms[NetClientList], windowListWords);
    const unsigned treeAsked = xcb_query_tree(c, root).sequence;
    xcb_flush(c);
    const auto check = answers.take<xcb_get_property_reply_t>(checkAsked);
    const auto stacking = answers.take<xcb_get_property_reply_t>(stackingAsked);
    const auto clients = answers.take<xcb_get_property_reply_t>(clientsAsked);
    const auto tree = answers.take<xcb_query_tree_reply_t>(treeAsked);

    // With a window manager, its clients: the stacking list runs bottom to
    // top, the plain client list in the order the clients came.
    const xcb_window_t manager = firstWord(check);
    if (manager != XCB_NONE && (isWindowList(stacking) || isWindowList(clients))) {
        std::vector<xcb_window_t> managed = windowsIn(isWindowList(stacking) ? stacking : clients);
        if (isWindowList(stacking))
            std::reverse(managed.begin(), managed.end());
        const unsigned selfCheckAsked = askWindowList(c, manager, atoms[NetSupportingWmCheck], 1);
        const auto asked = askAbout(c, atoms, managed, true);
        // A window manager that ended leaves its lists on the root window;
        // its check window is then gone, or another one that does not name
        // itself.
        const bool managerRuns = firstWord(answers.take<xcb_get_property_reply_t>(selfCheckAsked)) == manager;
        std::vector<TopLevelWindow> windows = collect(answers, asked);
        if (managerRuns)
            return windows;
    }

    // Without one, the root's children, which the server keeps bottom to top.
    std::vector<xcb_window_t> children;
    if (tree) {
        const xcb_window_t* first = xcb_query_tree_children(tree.get());
        children.assign(first, first + xcb_query_tree_children_length(tree.get()));
    }
    std::reverse(children.begin(), children.end());
    return collect(answers, askAbout(c, atoms, children, false));
}

} // namespace quillon::platform
