#include "tape/FindSync.h"

namespace tonvale {

namespace {

// What follows a run of leader bytes at one shift: the byte at q must equal `atQ` (under
// `maskQ`), and the byte at q+1 under `maskNext` must equal `next` (when maskNext is not 0).
struct SyncPattern {
    std::uint32_t shift;
    Byte maskQ;
    Byte atQ;
    Byte maskNext;
    Byte next;
    bool dataAtQ; // shifts 6 and 7 of Highspeed: q itself holds the first data bit
};

// After 00h: q is A5h >> s, the top s bits of q+1 are the low s bits of A5h.
constexpr SyncPattern kAfterLevelLeader[] = {
    {0, 0xFF, 0xA5, 0x00, 0x00, false}, {1, 0xFF, 0x52, 0x80, 0x80, false},
    {2, 0xFF, 0x29, 0xC0, 0x40, false}, {3, 0xFF, 0x14, 0xE0, 0xA0, false},
    {4, 0xFF, 0x0A, 0xF0, 0x50, false}, {5, 0xFF, 0x05, 0xF8, 0x28, false},
    {6, 0xFF, 0x02, 0xFC, 0x94, false}, {7, 0xFF, 0x01, 0xFE, 0x4A, false},
};

// After 55h (even shifts): q is (55h << 8-s | 7Fh >> s), q+1 carries the low s bits of 7Fh.
constexpr SyncPattern kAfter55[] = {
    {0, 0xFF, 0x7F, 0x00, 0x00, false},
    {2, 0xFF, 0x5F, 0xC0, 0xC0, false},
    {4, 0xFF, 0x57, 0xF0, 0xF0, false},
    {6, 0xFC, 0xFC, 0x00, 0x00, true},
};

// After AAh (odd shifts): as above, and the bit right after the sync byte (the first start
// bit) must be 0.
constexpr SyncPattern kAfterAA[] = {
    {1, 0xFF, 0xBF, 0xC0, 0x80, false},
    {3, 0xFF, 0xAF, 0xF0, 0xE0, false},
    {5, 0xFF, 0xAB, 0xFC, 0xF8, false},
    {7, 0xFF, 0xFE, 0x00, 0x00, true},
};

template <std::size_t N>
bool MatchSync(const SyncPattern (&patterns)[N], ByteView s, std::size_t q, SyncResult& result) {
    for (const SyncPattern& pattern : patterns) {
        if ((s[q] & pattern.maskQ) != pattern.atQ) continue;
        if (pattern.maskNext != 0 &&
            (q + 1 >= s.size() || (s[q + 1] & pattern.maskNext) != pattern.next))
            continue;
        result.shift = pattern.shift;
        result.dataPos = pattern.dataAtQ ? q : q + 1;
        return true;
    }
    return false;
}

} // namespace

SyncResult FindSync(ByteView s) {
    SyncResult result;
    std::size_t p = 0;
    while (p < s.size()) {
        const Byte b = s[p];
        if (b != 0x00 && b != 0x55 && b != 0xAA) {
            ++p;
            continue;
        }
        std::size_t q = p;
        while (q < s.size() && s[q] == b)
            ++q;
        if (q < s.size() && q - p >= kMinLeader) {
            bool found = b == 0x00   ? MatchSync(kAfterLevelLeader, s, q, result)
                         : b == 0x55 ? MatchSync(kAfter55, s, q, result)
                                     : MatchSync(kAfterAA, s, q, result);
            if (found) {
                result.format = b == 0x00 ? TapeFormat::Level1or2 : TapeFormat::Highspeed;
                return result;
            }
        }
        // Starting again inside the run reaches the same end and fails the same way.
        p = q;
    }
    return SyncResult{};
}

} // namespace tonvale
