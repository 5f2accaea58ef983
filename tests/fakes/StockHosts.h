#pragma once
// The /etc/hosts a stock Debian or Ubuntu system has, as the installer's
// network set-up (netcfg) writes it: the own name at 127.0.1.1, and the IPv6
// lines. Tests of the hosts file start from it, not from a file made up.

#include <string>

namespace quillon::test {

inline std::string stockDebianHosts(const std::string& ownName, const std::string& domain = "home.arpa")
{
    return "127.0.0.1\tlocalhost\n"
           "127.0.1.1\t" + ownName + "." + domain + "\t" + ownName + "\n"
           "\n"
           "# The following lines are desirable for IPv6 capable hosts\n"
           "::1     localhost ip6-localhost ip6-loopback\n"
           "ff02::1 ip6-allnodes\n"
           "ff02::2 ip6-allrouters\n";
}

} // namespace quillon::test
