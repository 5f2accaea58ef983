#include "platform/linux/TSimpleFTP.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

namespace quillon::platform {

namespace {

// libcurl's process-wide set-up, done once. Its cleanup is left to the end of
// the process: a download on another thread could still be using it.
CURLcode initialiseCurl()
{
    static const CURLcode initialised = curl_global_init(CURL_GLOBAL_DEFAULT);
    return initialised;
}

using EasyHandle = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;

// What the callbacks of one transfer share with download().
struct Transfer {
    Transfer(const std::atomic<bool>& cancelFlag, std::size_t limit)
        : cancel(cancelFlag)
        , maxBytes(limit)
    {
    }
    const std::atomic<bool>& cancel;
    std::size_t maxBytes;
    std::string data;
    bool tooLarge = false;
    std::string lastReply; // the server's last reply line
};

std::size_t takeBytes(char* bytes, std::size_t size, std::size_t count, void* user)
{
    auto& t = *static_cast<Transfer*>(user);
    const std::size_t n = size * count;
    if (n > t.maxBytes - t.data.size()) {
        t.tooLarge = true;
        return 0; // anything but n ends the transfer
    }
    t.data.append(bytes, n);
    return n;
}

// Called by libcurl while it waits and while it transfers; non-zero aborts.
int checkCancel(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<Transfer*>(user)->cancel.load() ? 1 : 0;
}

// With CURLOPT_VERBOSE, libcurl hands everything it logs here rather than
// to standard error; only the server's replies are kept, for the reason.
int keepReply(CURL*, curl_infotype type, char* text, std::size_t size, void* user)
{
    if (type != CURLINFO_HEADER_IN)
        return 0;
    std::string_view line(text, size);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    if (const auto end = line.rfind('\n'); end != std::string_view::npos)
        line.remove_prefix(end + 1);
    if (!line.empty())
        static_cast<Transfer*>(user)->lastReply = line;
    return 0;
}

// Once the server has answered, libcurl's error buffer may still hold an
// earlier message that did not end the transfer (7.88 leaves one while
// setting up EPRT); the server's last reply then says what went wrong.
std::string reasonFor(CURLcode code, const char* errorBuffer, const std::string& lastReply)
{
    if (!lastReply.empty())
        return std::string(curl_easy_strerror(code)) + " (last reply: " + lastReply + ")";
    return errorBuffer[0] != '\0' ? errorBuffer : curl_easy_strerror(code);
}

bool unreserved(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.'
        || c == '_' || c == '~';
}

// The path part of an ftp:// URL. curl reads the URL's path as relative to
// the login folder; an absolute folder starts with an encoded "/" ("%2F").
std::string urlPath(std::string_view path)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string out = "/";
    if (path.starts_with('/')) {
        out += "%2F";
        path.remove_prefix(1);
    }
    for (const char c : path) {
        if (unreserved(c) || c == '/') {
            out += c;
        } else {
            const auto b = static_cast<unsigned char>(c);
            out += '%';
            out += Hex[b >> 4];
            out += Hex[b & 0xF];
        }
    }
    return out;
}

std::string ftpUrl(const FtpRequest& r)
{
    const bool ipv6 = r.host.find(':') != std::string::npos;
    const std::string host = ipv6 ? "[" + r.host + "]" : r.host;
    return "ftp://" + host + ":" + std::to_string(r.port) + urlPath(r.remotePath);
}

// Whole seconds for the options that take no finer unit, never 0 (which
// would mean no limit).
long ceilSeconds(std::chrono::milliseconds ms)
{
    return std::max(1L, static_cast<long>((ms.count() + 999) / 1000));
}

void setOptions(CURL* curl, const FtpRequest& r, const std::string& url, Transfer& transfer, char* errorBuffer)
{
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(curl, CURLOPT_USERNAME, r.user.c_str());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, r.password.c_str());
    // "-": the data connection comes back to the address the control
    // connection uses. Null is passive mode.
    curl_easy_setopt(curl, CURLOPT_FTPPORT, r.activeMode ? "-" : nullptr);
    curl_easy_setopt(curl, CURLOPT_TRANSFERTEXT, 0L);
    // Straight to the server, whatever the environment's *_proxy says.
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
    // The folder in one command ("CWD /Quillon"), then the file by its name.
    curl_easy_setopt(curl, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_SINGLECWD));
    // Timers by signal do not mix with threads.
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(r.connectTimeout.count()));
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, ceilSeconds(r.responseTimeout));
    curl_easy_setopt(curl, CURLOPT_ACCEPTTIMEOUT_MS, static_cast<long>(r.responseTimeout.count()));
    // A data connection that stops sending: under a byte a second for the
    // response time-out ends the transfer.
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, ceilSeconds(r.responseTimeout));
    // Refused at once when the server announces a larger size; the write
    // callback holds the line when it does not.
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(r.maxBytes));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, takeBytes);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, checkCancel);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, keepReply);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, &transfer);
}

// True when the attempt failed before a connection to the server was made,
// the only failure worth another try.
bool connectFailed(CURL* curl, CURLcode code)
{
    if (code == CURLE_COULDNT_CONNECT)
        return true;
    if (code != CURLE_OPERATION_TIMEDOUT)
        return false;
    curl_off_t connected = 0;
    curl_easy_getinfo(curl, CURLINFO_CONNECT_TIME_T, &connected);
    return connected == 0;
}

} // namespace

TSimpleFTP::TSimpleFTP()
{
    initialiseCurl();
}

FtpResult TSimpleFTP::download(const FtpRequest& request, const std::atomic<bool>& cancel)
{
    if (const CURLcode init = initialiseCurl(); init != CURLE_OK)
        return { FtpFailure::Connect, {}, curl_easy_strerror(init) };
    const std::string url = ftpUrl(request);
    Transfer transfer(cancel, request.maxBytes);
    FtpResult result;
    for (int attempt = 1;; ++attempt) {
        EasyHandle curl(curl_easy_init(), curl_easy_cleanup);
        if (!curl)
            return { FtpFailure::Connect, {}, "libcurl could not start a transfer" };
        char errorBuffer[CURL_ERROR_SIZE] = {};
        transfer.data.clear();
        transfer.tooLarge = false;
        transfer.lastReply.clear();
        setOptions(curl.get(), request, url, transfer, errorBuffer);
        const CURLcode code = curl_easy_perform(curl.get());
        if (code == CURLE_OK) {
            result.data = std::move(transfer.data);
            return result;
        }
        if (code == CURLE_ABORTED_BY_CALLBACK)
            return { FtpFailure::Cancelled, {}, "Cancelled" };
        if (transfer.tooLarge || code == CURLE_FILESIZE_EXCEEDED)
            return { FtpFailure::TooLarge, {},
                     "The file is larger than " + std::to_string(request.maxBytes) + " bytes" };
        const bool beforeConnection = connectFailed(curl.get(), code);
        result.failure = beforeConnection || code == CURLE_COULDNT_RESOLVE_HOST ? FtpFailure::Connect
                                                                                : FtpFailure::Transfer;
        result.reason = reasonFor(code, errorBuffer, transfer.lastReply);
        if (!beforeConnection || attempt >= request.connectTries)
            return result;
    }
}

} // namespace quillon::platform
