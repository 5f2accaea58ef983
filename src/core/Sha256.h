#pragma once
// SHA-256 over text that arrives in pieces (OpenSSL's libcrypto), as
// lower-case hexadecimal. The hosts text sent to the helper and its journal
// line carry it, so that a text cut short or changed on the way is refused.

#include <memory>
#include <string>
#include <string_view>

namespace quillon::core {

class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void add(std::string_view piece);
    // The digest of everything added, as 64 lower-case hexadecimal digits.
    // The object may not be used afterwards.
    std::string finishHex();

    static std::string ofText(std::string_view text);

private:
    struct Context;
    std::unique_ptr<Context> m_context;
};

} // namespace quillon::core
