#include "platform/linux/Spawn.h"

#include <csignal>

namespace quillon::platform {

SpawnAttributes::SpawnAttributes(bool newSession)
{
    posix_spawnattr_init(&m_value);
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&m_value, &none);
    posix_spawnattr_setsigdefault(&m_value, &all);
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    if (newSession)
        flags |= POSIX_SPAWN_SETSID;
    posix_spawnattr_setflags(&m_value, flags);
}

} // namespace quillon::platform
