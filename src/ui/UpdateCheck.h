#pragma once
// "Check &Updates..." of the File menu: downloads VerEN.ini from the update
// server, compares its LastVersion with the program's own version, tells the
// person, and opens the download page when a newer release exists. Dotted
// numbers compare as numbers (an older release is no new one); any other
// LastVersion than this version's text is a new release.
//
// The download runs on a worker thread that holds no program state; the
// calling (window) thread shows the work panel and keeps processing events
// until it ends, so the window stays responsive and its Cancel reaches the
// transfer. A check that fails, whether the server cannot be reached or the
// file cannot be had or read, says "Impossible to check for updates. Please
// retry later."; a cancelled one ends without a word.

#include "core/App.h"
#include "platform/FtpClient.h"
#include "platform/UrlOpener.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace quillon::ui {

struct UpdateCheckSetup {
    // Where VerEN.ini is downloaded to and read from: the program folder,
    // with its trailing separator.
    std::string downloadFolder;
    std::chrono::milliseconds connectTimeout { 300000 };
    std::chrono::milliseconds responseTimeout { 300000 };
};

// The update server's account and file.
inline constexpr const char* UpdateUser = "ftpQuillon";
inline constexpr const char* UpdatePassword = "qN7#vK2rpX";
inline constexpr const char* UpdateRemoteFile = "/Quillon/VerEN.ini";
inline constexpr const char* UpdateLocalName = "VerEN.ini";

void MenuFileUpdatesClick(core::App& app, platform::FtpClient& ftp, platform::UrlOpener& opener,
                          const UpdateCheckSetup& setup);

// Compares two dotted version texts ("1.10.2") number by number, a missing
// number counting as 0 ("1.1" equals "1.1.0"): below zero when a is older
// than b, zero when equal, above zero when newer. Nothing when either is not
// a dotted version (empty, "abc", "1..2", "1.2-beta").
std::optional<int> compareVersions(std::string_view a, std::string_view b);

// True for an http or https address (any letter case) with something after
// the scheme and no blank or control character: the only pages the update
// check opens.
bool isWebPageUrl(std::string_view url);

// The host and port of the UpdateServer setting: "host", "host:port" or
// "[IPv6]:port"; nothing when the port is not a number from 1 to 65535.
struct ServerAddress {
    std::string host;
    int port = 21;
};
std::optional<ServerAddress> parseServerAddress(std::string_view server);

} // namespace quillon::ui
