#pragma once
// The log-on entry as a desktop entry in the person's autostart folder,
// $XDG_CONFIG_HOME/autostart/quillon.desktop, whose Exec line holds the
// program's full path. Desktop sessions (GNOME, KDE, Xfce, LXQt...) start
// every entry found there.

#include "platform/Autostart.h"
#include "platform/FileSystem.h"

namespace quillon::platform {

class XdgAutostart final : public Autostart {
public:
    // path: the entry; defaultPath() is the person's own.
    XdgAutostart(FileSystem& fileSystem, std::string path);
    static std::string defaultPath();

    std::optional<std::string> command() override;
    bool enable(const std::string& program) override;
    bool disable() override;

    const std::string& path() const { return m_path; }

    // The entry's text for program, its path quoted as an Exec argument.
    static std::string entryText(const std::string& program);

private:
    FileSystem& m_fs;
    std::string m_path;
};

} // namespace quillon::platform
