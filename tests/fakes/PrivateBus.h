#pragma once
// A D-Bus bus of a test's own: dbus-daemon with a session-like configuration
// (anyone may own any name and call anything), listening on a socket in a
// temporary folder, ended with the object. For tests of programs that talk
// to system services, which get the bus's address instead of the system
// bus's.

#include "fakes/ChildProcess.h"
#include "fakes/TempDir.h"

#include <memory>
#include <string>

namespace quillon::test {

class PrivateBus {
public:
    PrivateBus();

    // Whether dbus-daemon is installed at all (Debian package dbus-daemon).
    static bool available();
    // The address to connect to ("unix:path=...,guid=..."); empty when the
    // daemon did not start.
    const std::string& address() const { return m_address; }

private:
    TempDir m_dir;
    std::unique_ptr<ChildProcess> m_daemon;
    std::string m_address;
};

} // namespace quillon::test
