#include "platform/linux/DdeWire.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace quillon::platform::dde {

namespace {

void putUint32(std::string& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

std::uint32_t getUint32(const char* bytes)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    return value;
}

} // namespace

std::string encodeFrame(Kind kind, std::uint32_t id, std::string_view payload)
{
    std::string frame;
    frame.reserve(HeaderBytes + payload.size());
    frame.push_back(static_cast<char>(kind));
    putUint32(frame, id);
    putUint32(frame, static_cast<std::uint32_t>(payload.size()));
    frame.append(payload);
    return frame;
}

std::string encodeReply(std::uint32_t id, std::uint8_t format, std::string_view bytes)
{
    std::string frame;
    frame.reserve(HeaderBytes + 1 + bytes.size());
    frame.push_back(static_cast<char>(Kind::Reply));
    putUint32(frame, id);
    putUint32(frame, static_cast<std::uint32_t>(bytes.size() + 1));
    frame.push_back(static_cast<char>(format));
    frame.append(bytes);
    return frame;
}

Header decodeHeader(const char* bytes)
{
    return { static_cast<std::uint8_t>(bytes[0]), getUint32(bytes + 1), getUint32(bytes + 5) };
}

std::string socketFolder()
{
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return std::string(runtime) + "/quillon-dde";
    return "/tmp/quillon-dde-" + std::to_string(::getuid());
}

std::string socketPath(std::string_view service)
{
    // A leading dot also keeps ".", ".." and the servers' ".<service>.lock"
    // files out of the names of sockets.
    if (service.empty() || service.front() == '.'
        || service.find_first_of(std::string_view("/\0", 2)) != std::string_view::npos)
        return {};
    std::string path = socketFolder() + "/";
    for (const char c : service)
        path.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    // sun_path needs room for the closing NUL.
    if (path.size() >= sizeof(sockaddr_un::sun_path))
        return {};
    return path;
}

Status checkFolder(const std::string& folder)
{
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0)
        return Status::fromErrno(errno);
    if (!S_ISDIR(st.st_mode))
        return Status::error(ENOTDIR, folder + " is not a folder");
    if (st.st_uid != ::geteuid())
        return Status::error(EPERM, folder + " belongs to another user");
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return Status::error(EPERM, folder + " may be written by other users");
    return Status::ok();
}

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept
{
    if (this != &other) {
        reset(other.m_fd);
        other.m_fd = -1;
    }
    return *this;
}

void UniqueFd::reset(int fd)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
}

} // namespace quillon::platform::dde
