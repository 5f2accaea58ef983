#pragma once
// The result of a routine that can fail in a way the person must be told
// about: success, or the complete message to show (file errors carry the
// system's reason).

#include <string>
#include <utility>

namespace quillon::core {

class Outcome {
public:
    static Outcome success() { return Outcome(); }
    static Outcome failure(std::string message)
    {
        Outcome o;
        o.m_failed = true;
        o.m_message = std::move(message);
        return o;
    }

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const std::string& message() const { return m_message; }

private:
    bool m_failed = false;
    std::string m_message;
};

} // namespace quillon::core
