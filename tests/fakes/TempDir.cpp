#include "fakes/TempDir.h"

#include <unistd.h>

namespace quillon::test {

bool runningAsRoot()
{
    return ::geteuid() == 0;
}

} // namespace quillon::test
