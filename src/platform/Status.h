#pragma once
// The outcome of a system operation: success, or the system's reason for the
// failure (its errno and the text the system gives for it). Callers show the
// reason to the person; code that needs to tell failures apart looks at code().

#include <string>
#include <utility>

namespace quillon::platform {

class Status {
public:
    Status() = default;
    static Status ok() { return Status(); }
    static Status error(int code, std::string reason)
    {
        Status s;
        s.m_failed = true;
        s.m_code = code;
        s.m_reason = std::move(reason);
        return s;
    }
    // An error from errno, with strerror's text.
    static Status fromErrno(int code);

    bool isOk() const { return !m_failed; }
    explicit operator bool() const { return isOk(); }
    int code() const { return m_code; }
    const std::string& reason() const { return m_reason; }

private:
    bool m_failed = false;
    int m_code = 0;
    std::string m_reason;
};

} // namespace quillon::platform
