#include "capture/BrowserProfiles.h"

#include "core/IniFile.h"

#include <cctype>

namespace quillon::capture {

std::string BrowserProfile::historyFile() const
{
    return folder + (family == BrowserFamily::Firefox ? "/places.sqlite" : "/History");
}

namespace {

// Firefox lists its profiles in profiles.ini: [ProfileN] sections with
// Path (relative to the folder unless IsRelative=0) and Name.
void addFirefoxProfiles(platform::FileSystem& fs, const std::string& root, std::vector<BrowserProfile>& out)
{
    const core::IniFile ini(fs, root + "/profiles.ini");
    for (const std::string& section : ini.sectionNames()) {
        if (section.rfind("Profile", 0) != 0)
            continue;
        const std::string path = ini.readString(section, "Path").value_or(std::string());
        if (path.empty())
            continue;
        BrowserProfile p;
        p.family = BrowserFamily::Firefox;
        p.browser = "Firefox";
        p.folder = ini.readInteger(section, "IsRelative", 1) != 0 ? root + "/" + path : path;
        while (p.folder.size() > 1 && p.folder.back() == '/')
            p.folder.pop_back();
        p.name = ini.readString(section, "Name").value_or(path);
        if (fs.fileExists(p.historyFile()))
            out.push_back(std::move(p));
    }
}

bool isChromiumProfileName(const std::string& name)
{
    if (name == "Default")
        return true;
    const std::string prefix = "Profile ";
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
        return false;
    for (std::size_t i = prefix.size(); i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i])))
            return false;
    }
    return true;
}

void addChromiumProfiles(platform::FileSystem& fs, const std::string& root, const char* browser,
                         std::vector<BrowserProfile>& out)
{
    std::vector<platform::FolderEntry> entries;
    if (!fs.listFolder(root, entries))
        return;
    for (const platform::FolderEntry& e : entries) {
        if (!e.isFolder || !isChromiumProfileName(e.name))
            continue;
        BrowserProfile p { BrowserFamily::Chromium, browser, e.name, root + "/" + e.name };
        if (fs.fileExists(p.historyFile()))
            out.push_back(std::move(p));
    }
}

} // namespace

std::vector<BrowserProfile> findBrowserProfiles(platform::FileSystem& fs, const std::string& home,
                                                const std::string& configHome)
{
    std::vector<BrowserProfile> profiles;
    for (const char* firefox : { "/.mozilla/firefox", "/snap/firefox/common/.mozilla/firefox",
                                 "/.var/app/org.mozilla.firefox/.mozilla/firefox" })
        addFirefoxProfiles(fs, home + firefox, profiles);
    const struct {
        const char* folder;
        const char* browser;
    } chromiumFamily[] = {
        { "/chromium", "Chromium" },
        { "/google-chrome", "Google Chrome" },
        { "/BraveSoftware/Brave-Browser", "Brave" },
        { "/microsoft-edge", "Microsoft Edge" },
        { "/vivaldi", "Vivaldi" },
    };
    for (const auto& c : chromiumFamily)
        addChromiumProfiles(fs, configHome + c.folder, c.browser, profiles);
    return profiles;
}

} // namespace quillon::capture
