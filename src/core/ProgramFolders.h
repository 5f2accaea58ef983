#pragma once
// Where the program keeps its files. Run from a folder of its own that it
// may write (a build folder, a portable copy), everything stays beside the
// executable. Installed (its pages under PREFIX/share/quillon beside
// PREFIX/bin), or in a folder it may not write, it keeps Quillon.ini in
// $XDG_CONFIG_HOME/quillon/ and its lists, iphist.dat and downloads in
// $XDG_DATA_HOME/quillon/, and reads its pages and clip from the installed
// share folder.

#include "platform/ProcessInfo.h"

#include <string>

namespace quillon::core {

struct ProgramFolders {
    std::string settings; // Quillon.ini
    std::string data;     // list files, iphist.dat, the save journal, downloads
    std::string assets;   // help pages, the clip, Quillon.n02
    // Each with its trailing "/".
};

ProgramFolders chooseProgramFolders(const platform::ProgramPlace& place);

// Every file beside one folder (tests, a portable copy).
ProgramFolders foldersBeside(const std::string& folder);

} // namespace quillon::core
