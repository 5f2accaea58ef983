#pragma once
// The privileged hosts-file helper (quillon-hosts-helper): what it does with
// its arguments and the text it reads, as a plain routine so that tests can
// run it without a process or rights.
//
//   quillon-hosts-helper /etc/hosts            < framed new text
//   quillon-hosts-helper --finish /etc/hosts   (reads nothing)
//   quillon-hosts-helper --restore-original /etc/hosts   (reads nothing)
//   quillon-hosts-helper --restore-previous /etc/hosts   (reads nothing)
//
// It runs as root through pkexec for a person who may not write /etc, so it
// trusts nothing it is given. The only target is the literal "/etc/hosts".
// The text comes in the frame of core/HostsFrame.h: the header is read first
// and a size over HostsHelperMaxInput is refused before any byte of the text
// is read; then exactly that many bytes, their SHA-256 and the end of the
// input are checked, so that a text cut short (the program killed while it
// sent it) or lengthened is refused whole. Every line must then be empty, a
// host line that Quillon itself writes (see firstRefusedHostsLine), or a line
// the current /etc/hosts holds byte for byte (its comments, the person's own
// lines with their tabs); the system's own lines of the current /etc/hosts must stand unchanged, no
// other line may name localhost or the machine's own name, and every name
// must be admissible unless its line stands so in the current file (see
// core/SystemHostLines.h). Only then is the hosts file replaced, with the
// program's own sequence (replaceHostsFile: hosts.tmp, hosts.orig, hosts.bak,
// the rename or the in-place rewrite, and first the end of a rewrite cut
// short). Any refusal leaves /etc untouched.
//
// "--finish" only completes an in-place rewrite cut short (hosts.redo), so
// that the program can make /etc/hosts whole again at its start.
// "--restore-original" and "--restore-previous" put /etc/hosts.orig or
// /etc/hosts.bak back as /etc/hosts, through the same replace; only a copy
// root owns is taken (it was kept by the replace itself), and its lines are
// not checked: it is a hosts file the machine had before.
//
// It reads no environment variable. The answer is its exit status and one
// line on standard output, which the program shows as it stands. pkexec
// itself exits with 126 and 127 (authorisation dismissed or refused, program
// not run), so the helper never uses those.

#include "platform/FileSystem.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::core {

// Exit statuses of the helper.
enum HostsHelperStatus : int {
    HelperReplaced = 0,        // the hosts file holds the new text
    HelperTargetRefused = 2,   // an argument list other than the four above
    HelperTextRefused = 3,     // a line Quillon would not write, or a system line changed; the message says which
    HelperInputTooLarge = 4,   // the frame announces more than HostsHelperMaxInput bytes
    HelperReplaceFailed = 5,   // the replace failed; the message has the system's reason
    HelperInputUnreadable = 6, // standard input could not be read
    HelperFrameRefused = 7,    // no frame header, fewer or more bytes than it announces, another checksum, or a
                               // restore without the program's go-ahead
    HelperNameRefused = 8,     // a name that is not admissible, on a line the current file does not hold
    HelperLockUnavailable = 9, // another process held the writers' lock for 10 s, or its file is not root's alone
};

// The one file the helper writes.
inline constexpr std::string_view HostsHelperTarget = "/etc/hosts";
inline constexpr std::string_view HostsHelperFinish = "--finish";
inline constexpr std::string_view HostsHelperRestoreOriginal = "--restore-original";
inline constexpr std::string_view HostsHelperRestorePrevious = "--restore-previous";
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

// Standard input: reads up to size bytes into buffer and returns how many,
// 0 at the end of the input, or -1 with the system's error code in error.
using HelperInput = std::function<std::ptrdiff_t(char* buffer, std::size_t size, int& error)>;

// What the helper knows of the machine: the folder "/etc/hosts" lives in
// ("/etc" for the real helper, a temporary folder in tests) and the
// machine's own host name.
struct HelperSystem {
    std::string folder;
    std::string ownName;
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
// host or an address. Comment lines never pass here: the program writes only
// those the current file holds (see hostsTextRefusal).
std::size_t firstRefusedHostsLine(std::string_view text);

// Reads one framed text from input into text; an answer other than
// HelperReplaced says why it was refused.
HostsHelperAnswer readFramedText(const HelperInput& input, std::string& text);

// The helper's whole work. args are its arguments without the program name.
HostsHelperAnswer runHostsHelper(const std::vector<std::string>& args, const HelperInput& input,
                                 platform::FileSystem& fs, const HelperSystem& system);

} // namespace quillon::core
