#pragma once
// What the DDE client (SocketDdeClient) and server (DdeServer) share: where a
// service's socket lives, the checks on its folder, and the frames they
// exchange. docs/dde-protocol.md describes the same for other programs.
//
// Every frame is a 9-byte header, then the payload:
//   kind (1 byte), id (4 bytes, big-endian), payload length (4 bytes, big-endian)
// A reply carries the id of the frame it answers, so that a late reply to a
// request the client gave up on is told apart from the answer it now waits for.

#include "platform/Status.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillon::platform::dde {

enum class Kind : std::uint8_t {
    // Client to server.
    OpenTopic = 0x01, // payload: the topic; closes the link to the previous topic first
    Request = 0x02,   // payload: the item
    // Server to client.
    Accepted = 0x81, // the topic is open; no payload
    Refused = 0x82,  // the topic or the request is refused; no payload
    Reply = 0x83,    // payload: one format byte, then the reply's bytes
};

constexpr std::size_t HeaderBytes = 9;
// Reply formats: text as DDE's CF_TEXT (without a closing NUL); any other
// value is data that is not text.
constexpr std::uint8_t FormatText = 1;
constexpr std::uint8_t FormatBinary = 0;
// The longest topic or item a server takes; a longer frame from a client
// ends its connection.
constexpr std::size_t MaxClientPayload = 64 * 1024;

struct Header {
    std::uint8_t kind = 0;
    std::uint32_t id = 0;
    std::uint32_t length = 0;
};

std::string encodeFrame(Kind kind, std::uint32_t id, std::string_view payload);
// A reply frame: the format byte goes in front of the bytes.
std::string encodeReply(std::uint32_t id, std::uint8_t format, std::string_view bytes);
// bytes holds at least HeaderBytes.
Header decodeHeader(const char* bytes);

// The folder of the services' sockets: $XDG_RUNTIME_DIR/quillon-dde, or
// /tmp/quillon-dde-<uid> when XDG_RUNTIME_DIR is unset or empty.
std::string socketFolder();
// The socket of a service (its name folded to lower case) in socketFolder();
// empty when the name is empty, begins with a dot, holds "/" or NUL, or
// makes a path too long for a socket address.
std::string socketPath(std::string_view service);
// Ok when folder is a real folder (not a link) owned by this user that no
// one else may write to; otherwise why not. Another user's folder could hold
// a socket that pretends to be a browser.
Status checkFolder(const std::string& folder);

// A descriptor closed when it goes out of scope; movable.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    void reset(int fd = -1);

private:
    int m_fd = -1;
};

} // namespace quillon::platform::dde
