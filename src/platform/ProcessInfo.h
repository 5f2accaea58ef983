#pragma once
// Facts about the running program.

#include <string>

namespace quillon::platform {

// Full path of the running executable; empty when it cannot be found.
std::string executablePath();
// The folder of the running executable, with a trailing "/".
std::string executableFolder();

// What decides where the program keeps its files.
struct ProgramPlace {
    std::string executableFolder; // with its trailing "/"
    bool executableFolderWritable = false; // by this user, and by no other
    std::string installedAssets; // PREFIX/share/quillon/ when the program runs from PREFIX/bin, else empty
    std::string configHome;      // $XDG_CONFIG_HOME, without a trailing "/"
    std::string dataHome;        // $XDG_DATA_HOME, without a trailing "/"
};

// The facts for a program in executableFolder, from the system and the
// person's XDG variables.
ProgramPlace programPlace(const std::string& executableFolder);

} // namespace quillon::platform
