#include "core/Sha256.h"

#include <openssl/evp.h>

#include <stdexcept>

namespace quillon::core {

struct Sha256::Context {
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    ~Context() { EVP_MD_CTX_free(ctx); }
};

Sha256::Sha256()
    : m_context(std::make_unique<Context>())
{
    // Only an allocation can fail here; there is nothing sound to go on with.
    if (!m_context->ctx || EVP_DigestInit_ex(m_context->ctx, EVP_sha256(), nullptr) != 1)
        throw std::runtime_error("SHA-256 is not available");
}

Sha256::~Sha256() = default;

void Sha256::add(std::string_view piece)
{
    EVP_DigestUpdate(m_context->ctx, piece.data(), piece.size());
}

std::string Sha256::finishHex()
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    EVP_DigestFinal_ex(m_context->ctx, digest, &size);
    static constexpr char Digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(size * 2);
    for (unsigned int i = 0; i < size; ++i) {
        hex.push_back(Digits[digest[i] >> 4]);
        hex.push_back(Digits[digest[i] & 0xf]);
    }
    return hex;
}

std::string Sha256::ofText(std::string_view text)
{
    Sha256 hash;
    hash.add(text);
    return hash.finishHex();
}

} // namespace quillon::core
