#include "platform/Status.h"

#include <cstring>

namespace quillon::platform {

Status Status::fromErrno(int code)
{
    return Status::error(code, std::strerror(code));
}

} // namespace quillon::platform
