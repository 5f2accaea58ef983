#pragma once
// The few registry values the program reads: the browsers' App Paths under
// HKEY_LOCAL_MACHINE and the user's Shell Folders under HKEY_CURRENT_USER.
// On Linux they live in a small text store (docs/registry-store.md).

#include <optional>
#include <string>

namespace quillon::platform {

enum class RegistryRoot { LocalMachine, CurrentUser };

class Registry {
public:
    virtual ~Registry() = default;
    // Whether the key exists (it can be opened for reading).
    virtual bool keyExists(RegistryRoot root, const std::string& keyPath) = 0;
    // A text value of a key; valueName "" is the key's default value.
    // Nothing when the key or the value does not exist. Key paths and value
    // names are compared without regard to letter case.
    virtual std::optional<std::string> readValue(RegistryRoot root, const std::string& keyPath,
                                                 const std::string& valueName)
        = 0;
};

} // namespace quillon::platform
