// DNS replies as a name server sends them, over UDP or TCP (up to the
// largest message): the addresses of the asked name, and of the name the
// reply's own question holds. The first byte picks the asked name, the rest
// is the reply.
//
// Checked: the reader never reads outside the reply (the sanitizers), gives
// addresses only with no error and an error only with no addresses, and
// never more addresses than the reply has room for.

#include "platform/linux/DnsReply.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1 || size > 65536)
        return 0;
    static const char* const names[] = { "big.example", "www.example", "unrel.example", "a" };
    const char* name = names[data[0] % 4];
    // A copy of exactly the reply's size, so that a read past it is seen.
    const std::vector<unsigned char> reply(data + 1, data + size);
    for (const quillon::platform::ForwardAnswer& answer :
         { quillon::platform::addressesInReply(reply.data(), reply.size(), name),
           quillon::platform::addressesForQuestion(reply.data(), reply.size()) }) {
        if (answer.addresses.empty() == (answer.error == 0))
            std::abort();
        if (answer.addresses.size() * 16 > reply.size())
            std::abort();
    }
    return 0;
}
