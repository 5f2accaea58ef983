#include "capture/BrowserProfiles.h"

#include "core/IniFile.h"

#include <algorithm>
#include <cctype>

namespace quillon::capture {

std::string BrowserProfile::historyFile() const
{
    return folder + (family == BrowserFamily::Firefox ? "/places.sqlite" : "/History");
}

namespace {

class Finder {
public:
    Finder(platform::FileSystem& fs, std::vector<std::string>* watched, std::vector<BrowserProfile>* foreign)
        : m_fs(fs)
        , m_watched(watched)
        , m_foreign(foreign)
    {
    }

    // Firefox lists its profiles in profiles.ini ([ProfileN] sections with
    // Path, relative to the folder unless IsRelative=0, and Name) and the
    // one each installation uses in installs.ini ([hash] with Default).
    void firefox(const std::string& root)
    {
        watch(root + "/profiles.ini");
        watch(root + "/installs.ini");
        const std::string place = m_fs.ownerOf(root).resolved;
        const core::IniFile profiles(m_fs, root + "/profiles.ini");
        for (const std::string& section : profiles.sectionNames()) {
            if (section.rfind("Profile", 0) != 0)
                continue;
            const std::string path = profiles.readString(section, "Path").value_or(std::string());
            if (path.empty())
                continue;
            add(BrowserFamily::Firefox, "Firefox", profiles.readString(section, "Name").value_or(path),
                profiles.readInteger(section, "IsRelative", 1) != 0 ? root + "/" + path : path, place);
        }
        // A profile an installation uses that profiles.ini does not list.
        const core::IniFile installs(m_fs, root + "/installs.ini");
        for (const std::string& section : installs.sectionNames()) {
            const std::string path = installs.readString(section, "Default").value_or(std::string());
            if (!path.empty())
                add(BrowserFamily::Firefox, "Firefox", folderName(path), path.front() == '/' ? path : root + "/" + path,
                    place);
        }
    }

    void chromium(const std::string& root, const char* browser)
    {
        watch(root + "/Local State");
        // The first profile is "Default": watched until its history exists.
        if (!m_fs.fileExists(root + "/Default/History"))
            watch(root + "/Default/History");
        std::vector<platform::FolderEntry> entries;
        if (!m_fs.listFolder(root, entries))
            return;
        // A profile's entry may be a link to a folder elsewhere.
        const std::string place = m_fs.ownerOf(root).resolved;
        for (const platform::FolderEntry& e : entries) {
            if (e.isFolder && isChromiumProfileName(e.name))
                add(BrowserFamily::Chromium, browser, e.name, root + "/" + e.name, place);
        }
    }

    std::vector<BrowserProfile> take() { return std::move(m_profiles); }

private:
    void watch(const std::string& path)
    {
        if (m_watched && std::find(m_watched->begin(), m_watched->end(), path) == m_watched->end())
            m_watched->push_back(path);
    }

    // place: the browser's own folder, resolved.
    void add(BrowserFamily family, const char* browser, std::string name, std::string folder, const std::string& place)
    {
        while (folder.size() > 1 && folder.back() == '/')
            folder.pop_back();
        BrowserProfile p { family, browser, std::move(name), std::move(folder) };
        const auto same = [&](const BrowserProfile& q) { return q.folder == p.folder; };
        if (std::any_of(m_profiles.begin(), m_profiles.end(), same))
            return;
        if (!belongsToPerson(p.folder, place)) {
            if (m_foreign && std::none_of(m_foreign->begin(), m_foreign->end(), same))
                m_foreign->push_back(std::move(p));
            return;
        }
        if (!m_fs.fileExists(p.historyFile())) {
            watch(p.historyFile());
            return;
        }
        m_profiles.push_back(std::move(p));
    }

    // A folder that is not there holds no history yet: its history is
    // watched, and its owner is asked again when it appears.
    bool belongsToPerson(const std::string& folder, const std::string& place)
    {
        const platform::FileOwner owner = m_fs.ownerOf(folder);
        if (!owner.exists || owner.thisUser)
            return true;
        const std::string& at = owner.resolved;
        return !place.empty()
            && (at == place || (at.starts_with(place) && (place.back() == '/' || at[place.size()] == '/')));
    }

    static std::string folderName(const std::string& path)
    {
        std::string name = path;
        while (name.size() > 1 && name.back() == '/')
            name.pop_back();
        return name.substr(name.rfind('/') == std::string::npos ? 0 : name.rfind('/') + 1);
    }

    static bool isChromiumProfileName(const std::string& name)
    {
        if (name == "Default")
            return true;
        const std::string prefix = "Profile ";
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
            return false;
        return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                           [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
    }

    platform::FileSystem& m_fs;
    std::vector<std::string>* m_watched;
    std::vector<BrowserProfile>* m_foreign;
    std::vector<BrowserProfile> m_profiles;
};

} // namespace

std::vector<BrowserProfile> findBrowserProfiles(platform::FileSystem& fs, const std::string& home,
                                                const std::string& configHome, std::vector<std::string>* watched,
                                                std::vector<BrowserProfile>* foreign)
{
    Finder finder(fs, watched, foreign);
    for (const std::string& firefox : { configHome + "/mozilla/firefox", home + "/.mozilla/firefox",
                                        home + "/snap/firefox/common/.mozilla/firefox",
                                        home + "/.var/app/org.mozilla.firefox/.mozilla/firefox",
                                        home + "/.var/app/org.mozilla.firefox/config/mozilla/firefox" })
        finder.firefox(firefox);
    const struct {
        const char* folder;   // in the configuration folder
        const char* browser;
        const char* flatpak;  // the Flatpak's application id
    } chromiumFamily[] = {
        { "chromium", "Chromium", "org.chromium.Chromium" },
        { "google-chrome", "Google Chrome", "com.google.Chrome" },
        { "BraveSoftware/Brave-Browser", "Brave", "com.brave.Browser" },
        { "microsoft-edge", "Microsoft Edge", "com.microsoft.Edge" },
        { "vivaldi", "Vivaldi", "com.vivaldi.Vivaldi" },
    };
    for (const auto& c : chromiumFamily) {
        finder.chromium(configHome + "/" + c.folder, c.browser);
        if (std::string(c.folder) == "chromium")
            finder.chromium(home + "/snap/chromium/common/chromium", c.browser);
        finder.chromium(home + "/.var/app/" + c.flatpak + "/config/" + c.folder, c.browser);
    }
    return finder.take();
}

} // namespace quillon::capture
