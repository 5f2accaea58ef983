#pragma once
// TSimpleFTP: the update check's FTP client (FTPClient2 of the main window),
// an FtpClient over libcurl. Each download makes its own curl handle and
// connection and closes both before returning; libcurl keeps no cache of
// downloaded files, so every download is fetched from the server again.
//
// libcurl has no option for connection tries: a try that could not connect
// is made again, up to connectTries in all. The cancel flag is read by
// libcurl's progress callback, which it calls at least once a second while
// it waits, so a cancelled download ends within about a second.
//
// The first client made initialises libcurl for the process; make it on the
// main thread before any download starts (curl_global_init is not
// thread-safe).

#include "platform/FtpClient.h"

namespace quillon::platform {

class TSimpleFTP final : public FtpClient {
public:
    TSimpleFTP();
    FtpResult download(const FtpRequest& request, const std::atomic<bool>& cancel) override;
};

} // namespace quillon::platform
