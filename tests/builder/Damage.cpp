#include "builder/Damage.h"

namespace tonvale::test {

Bytes Noise(std::size_t count, std::uint32_t seed) {
    Bytes bytes(count);
    std::uint32_t x = seed * 2654435761u + 1;
    for (Byte& b : bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = static_cast<Byte>(x);
    }
    return bytes;
}

} // namespace tonvale::test
