#pragma once
// Where the program's files live: the hosts-file folder (hosts, hosts.bak,
// hosts.tmp, the kept original hosts.orig and the in-place rewrite's marker
// hosts.redo) and the program's own files (settings, list files, pictures,
// help) in the folders ProgramFolders chooses.

#include "core/HostsFile.h"
#include "core/ProgramFolders.h"
#include "platform/WindowsSystem.h"

#include <string>

namespace quillon::core {

struct Paths {
    HostsFilePaths hostsFile;
    ProgramFolders folders;
    std::string help00;
    std::string ini;
    std::string a01;
    std::string d01;
    std::string d02;
    std::string d03;
    std::string d04; // the change log of the hosts file
    // The Hosts list waiting for the hosts file: written in its place when
    // the hosts file could not be, read in its place at the next start.
    std::string d05;
    std::string n01;
    std::string n02;
    std::string ipHistory;
    std::string saveJournal; // Quillon.sav, present only while a save commits
};

// The Windows rule for the hosts-file folder: the Windows directory (empty
// when the call fails), followed by "\system32\drivers\etc" on the NT family.
std::string windowsHostsFolder(platform::WindowsSystem& system);
// The three hosts-file paths under that rule: folder, a backslash, and
// "Hosts", "Hosts.bak" or "Hosts.tmp".
HostsFilePaths windowsHostsFilePaths(const std::string& folder);

// The Linux hosts-file paths: folder/hosts, hosts.bak, hosts.tmp, hosts.orig,
// hosts.redo.
HostsFilePaths hostsFilePaths(const std::string& folder);
// The paths of the program's own files in their folders.
void setProgramPaths(Paths& paths, const ProgramFolders& folders);

} // namespace quillon::core
