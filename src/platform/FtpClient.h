#pragma once
// Downloads one file from an FTP server into memory: the update check's
// only use of the network.
//
// download() blocks until the file is in hand, the transfer failed, or the
// cancel flag was seen; it never throws. It keeps nothing between calls and
// may run on any thread. The flag is read on the transfer's thread while
// another thread sets it, so it must outlive the call.
//
// Every failure comes back with the system's reason. A file larger than
// maxBytes is refused (TooLarge) before more than that is held in memory: a
// hostile or broken server must not fill it.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>

namespace quillon::platform {

struct FtpRequest {
    std::string host; // a name or an address (IPv6 without brackets)
    int port = 21;
    std::string user;
    std::string password;
    std::string remotePath; // absolute, with "/": "/Quillon/VerEN.ini"
    bool activeMode = true; // the server opens the data connection (PORT/EPRT)
    // Tries at making the connection itself (refused, unreachable, timed
    // out); a server that accepted it is not tried again.
    int connectTries = 3;
    std::chrono::milliseconds connectTimeout { 300000 };
    // The longest wait for any answer of a connected server (its greeting,
    // a reply, the data connection, the next bytes of the file).
    std::chrono::milliseconds responseTimeout { 300000 };
    std::size_t maxBytes = 1024 * 1024;
};

enum class FtpFailure {
    None,
    Connect,   // no connection to the server could be made
    Transfer,  // connected, but the login, folder or file failed
    TooLarge,  // the file is larger than maxBytes
    Cancelled, // the cancel flag was seen
};

struct FtpResult {
    FtpFailure failure = FtpFailure::None;
    std::string data;   // the file's bytes when it succeeded
    std::string reason; // the system's text for a failure

    bool ok() const { return failure == FtpFailure::None; }
};

class FtpClient {
public:
    virtual ~FtpClient() = default;
    virtual FtpResult download(const FtpRequest& request, const std::atomic<bool>& cancel) = 0;
};

} // namespace quillon::platform
