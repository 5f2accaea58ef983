#include "platform/linux/KernelRouteAddress.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quillon::platform {

std::string KernelRouteAddress::sourceAddress()
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return {};
    sockaddr_in to {};
    to.sin_family = AF_INET;
    to.sin_port = htons(9); // discard
    ::inet_pton(AF_INET, "203.0.113.1", &to.sin_addr);
    std::string address;
    sockaddr_in local {};
    socklen_t size = sizeof local;
    // Without a route to it (no default route) the connect fails: offline.
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &size) == 0 && local.sin_addr.s_addr != 0) {
        char text[INET_ADDRSTRLEN] = {};
        if (::inet_ntop(AF_INET, &local.sin_addr, text, sizeof text))
            address = text;
    }
    ::close(fd);
    return address;
}

} // namespace quillon::platform
