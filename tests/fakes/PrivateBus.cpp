#include "fakes/PrivateBus.h"

namespace quillon::test {

bool PrivateBus::available() { return !findProgram("dbus-daemon").empty(); }

PrivateBus::PrivateBus()
{
    m_dir.write("bus.conf", "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                            " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                            "<busconfig>\n"
                            "  <type>session</type>\n"
                            "  <listen>unix:path="
                    + m_dir.file("socket")
                    + "</listen>\n"
                      "  <auth>EXTERNAL</auth>\n"
                      "  <policy context=\"default\">\n"
                      "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                      "    <allow eavesdrop=\"true\"/>\n"
                      "    <allow own=\"*\"/>\n"
                      "  </policy>\n"
                      "</busconfig>\n");
    // The daemon prints its address once it listens.
    m_daemon = std::make_unique<ChildProcess>(std::vector<std::string> {
        "dbus-daemon", "--config-file=" + m_dir.file("bus.conf"), "--nofork", "--nopidfile", "--print-address" });
    m_address = m_daemon->readLine().value_or("");
}

} // namespace quillon::test
