#pragma once
// The privileged hosts-file helper (quillon-hosts-helper): what it does with
// its arguments and the text it reads, as a plain routine so that tests can
// run it without a process or rights.
//
//   quillon-hosts-helper /etc/hosts   < new text
//
// It runs as root through pkexec for a person who may not write /etc, so it
// trusts nothing it is given: the only target is the literal "/etc/hosts",
// the text is at most HostsHelperMaxInput bytes, and every line must be empty
// or a host line that Quillon itself writes (see firstRefusedHostsLine). A
// text with one bad line is refused whole, before anything is written. Then
// it replaces the hosts file with the program's own sequence
// (replaceHostsFile: hosts.tmp, hosts.orig, hosts.bak, the rename or the
// in-place rewrite, and first the end of a rewrite cut short).
//
// It reads no environment variable. The answer is its exit status and one
// line on standard output, which the program shows as it stands. pkexec
// itself exits with 126 and 127 (authorisation dismissed or refused, program
// not run), so the helper never uses those.

#include "platform/FileSystem.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::core {

// Exit statuses of the helper.
enum HostsHelperStatus : int {
    HelperReplaced = 0,        // the hosts file holds the new text
    HelperTargetRefused = 2,   // an argument list other than exactly "/etc/hosts"
    HelperTextRefused = 3,     // a line Quillon would not write; the message names it
    HelperInputTooLarge = 4,   // more than HostsHelperMaxInput bytes on standard input
    HelperReplaceFailed = 5,   // the replace failed; the message has the system's reason
    HelperInputUnreadable = 6, // standard input could not be read
};

// The one file the helper writes.
inline constexpr std::string_view HostsHelperTarget = "/etc/hosts";
// The most text it takes: a million lines written by Quillon come to about
// 68 MB, so this leaves room for three million and more.
inline constexpr std::size_t HostsHelperMaxInputMiB = 256;
inline constexpr std::size_t HostsHelperMaxInput = HostsHelperMaxInputMiB << 20;
// The longest line it takes: the program's own line readers cut longer lines
// there, so the rest of such a line could be read as a line of its own.
inline constexpr std::size_t HostsHelperMaxLine = std::size_t { 1 } << 20;

struct HostsHelperAnswer {
    int status = HelperReplaced;
    std::string message; // one line, without a line end
};

// 0 when every line of text is one the program writes into the hosts file,
// else the number (from 1) of the first line that is not. Lines end with LF
// or CR LF. A line passes when it is empty, or when it is exactly
//   ADDRESS SP NAME SP [ALIAS] SP #Quillon|YYYY/MM/DD|hh.mm.ss|S|F#
// with an address a host line may carry (or "0"), a name without blanks,
// control characters or "#", an alias without control characters or "#",
// and a record marker as the program writes it, ending the line. So what the
// system resolver reads from the line (all before its first "#") is exactly
// the record the program reads from it: no other byte of the line can name a
// host or an address. Comment lines never pass: the program never writes one.
std::size_t firstRefusedHostsLine(std::string_view text);

// The helper's whole work. args are its arguments without the program name;
// input is what standard input gave, of which at most HostsHelperMaxInput + 1
// bytes need be read. systemFolder is where "/etc/hosts" lives: "/etc" for
// the real helper, a temporary folder in tests.
HostsHelperAnswer runHostsHelper(const std::vector<std::string>& args, std::string_view input,
                                 platform::FileSystem& fs, const std::string& systemFolder);

} // namespace quillon::core
