#pragma once
// The registry values the program reads, kept in a small text file
// (docs/registry-store.md): one "[ROOT\key\path]" section per key, "name=value"
// lines, "@" for the key's default value. The file is read at every call, so
// a change made while the program runs is seen at once.

#include "platform/FileSystem.h"
#include "platform/Registry.h"

namespace quillon::platform {

class RegistryStore final : public Registry {
public:
    // path: the store; defaultPath() is the person's own.
    RegistryStore(FileSystem& fileSystem, std::string path);
    static std::string defaultPath(); // $XDG_CONFIG_HOME/quillon/registry.ini

    bool keyExists(RegistryRoot root, const std::string& keyPath) override;
    std::optional<std::string> readValue(RegistryRoot root, const std::string& keyPath,
                                         const std::string& valueName) override;

private:
    // Finds the key's section; when valueName is given, also the value.
    bool find(RegistryRoot root, const std::string& keyPath, const std::string* valueName,
              std::optional<std::string>& value);

    FileSystem& m_fs;
    std::string m_path;
};

} // namespace quillon::platform
