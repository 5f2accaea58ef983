#pragma once
// The profiles of the browsers people run on Linux: Firefox (as Debian
// packages it, and as a Snap or a Flatpak), and the Chromium family
// (Chromium, Google Chrome, Brave, Microsoft Edge, Vivaldi; Chromium also as
// a Snap, each as a Flatpak). Each profile keeps its history in one SQLite
// database; the program only ever reads private copies of it.
//
// Firefox keeps its profiles in $XDG_CONFIG_HOME/mozilla/firefox (where
// recent releases, Debian's firefox-esr among them, make the first one) or
// in ~/.mozilla/firefox, listed in profiles.ini and installs.ini there. The
// Chromium family keeps one folder per profile ("Default", "Profile N") in
// its user-data folder, listed in "Local State".

#include "platform/FileSystem.h"

#include <string>
#include <vector>

namespace quillon::capture {

enum class BrowserFamily { Firefox, Chromium };

struct BrowserProfile {
    BrowserFamily family = BrowserFamily::Firefox;
    std::string browser; // "Firefox", "Chromium", "Google Chrome", ...
    std::string name;    // the profile's name: "default-esr", "Default", "Profile 1"
    std::string folder;  // without a trailing "/"

    // places.sqlite or History.
    std::string historyFile() const;
    // The person's words for it: "Firefox (default-esr)".
    std::string title() const { return browser + " (" + name + ")"; }
};

// Every profile found under the home folder and the configuration folder
// ($XDG_CONFIG_HOME), Firefox's first, in a fixed order, each once. Profiles
// whose history does not exist (yet) are left out. watched, when given,
// receives the files whose change can bring or take a profile: the lists of
// profiles (profiles.ini, installs.ini, Local State) and the histories of
// profiles listed or expected (a Chromium family's "Default") that do not
// exist yet; a stat of each tells when to look again.
//
// A profile folder is followed only when it lies in its browser's own
// folder (the one holding profiles.ini, or the user-data folder; links and
// ".." resolved) or belongs to the person (the user this process runs as).
// profiles.ini and installs.ini may name any folder, and a Snap or Flatpak
// writes its own: one naming another user's folder (in /tmp) would have
// that user's made-up visits captured and written into the hosts file.
// Such profiles are left out and go to foreign, when given, each once.
std::vector<BrowserProfile> findBrowserProfiles(platform::FileSystem& fs, const std::string& home,
                                                const std::string& configHome,
                                                std::vector<std::string>* watched = nullptr,
                                                std::vector<BrowserProfile>* foreign = nullptr);

// Why a profile of foreign is not read.
inline constexpr const char* ForeignProfileFolder = "its folder belongs to another user, outside the browser's own folder";

} // namespace quillon::capture
