#pragma once
// Machine-code ("SYSTEM") tape files, the bytes behind the sync byte, as the SYSTEM command
// reads them:
//
//     55h  name (six characters, padded with spaces)
//     3Ch  count (00h = 256)  address (low, high)  data...  checksum     one per load block
//     78h  entry address (low, high)                                    closes the file
//
// The checksum is the sum of both address bytes and the data, modulo 256.
#include "base/Bytes.h"
#include "base/Outcome.h"
#include "format/Damage.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tonvale {

inline constexpr Byte kSystemMarker = 0x55;
inline constexpr Byte kSystemBlockType = 0x3C;
inline constexpr Byte kSystemTransferType = 0x78;
inline constexpr std::size_t kSystemNameLength = 6;
inline constexpr std::size_t kSystemLongestBlock = 256;
// Type, count, two address bytes and the checksum around a block's data.
inline constexpr std::size_t kSystemBlockFrame = 5;

// A count byte of 00h stands for 256 bytes.
inline std::size_t SystemBlockLength(Byte count) {
    return count == 0 ? kSystemLongestBlock : count;
}

// A block's checksum over its two address bytes and its data, as they follow each other.
inline Byte SystemBlockChecksum(ByteView addressAndData) {
    return ByteSum(addressAndData);
}

// The name behind the 55h: six positions, spaces padding it, and whatever stops it short of a
// record. A 3Ch among the positions is a name character unless a block starts there.
struct SystemTapeName {
    std::size_t from = 0;     // behind the 55h
    std::size_t recordAt = 0; // the first record type at or behind `from`
    Bytes shown;              // its characters, padding left out, a 3Ch as '<'
    std::size_t spaces = 0;   // the padding
    std::size_t length = 0;   // the positions it takes, bytes behind it included
    // Bytes that stop the name short of a record, [behindFrom, behindTo); none when equal.
    std::size_t behindFrom = 0, behindTo = 0;

    // The six positions as they stand, up to the first record.
    ByteView Positions(ByteView file) const;
};

enum class SystemRecordType { Garbage, Block, Transfer };

// One record in the order of the tape. Garbage: bytes where a record type belongs that are
// neither 3Ch nor 78h, which the ROM skips.
struct SystemRecord {
    SystemRecordType type = SystemRecordType::Garbage;
    std::size_t offset = 0; // its type byte, or its first byte of garbage
    std::size_t length = 0; // garbage: how many bytes
    // A block: its count byte, address, where its data begins and how long it is, and its
    // checksums, missing when the tape ends inside it.
    Byte count = 0;
    std::uint16_t address = 0;
    std::size_t data = 0;
    std::size_t dataLength = 0;
    std::optional<Byte> stored;
    std::optional<Byte> computed;

    bool Holds() const { return stored && computed && *stored == *computed; }
};

// Where and how the parser stopped.
enum class SystemTapeStop {
    Transfer,         // behind a whole transfer record
    EndOfBytes,       // the bytes ran out where a record could begin
    InBlockCount,     // behind a block's type byte
    InBlockAddress,   // behind its count byte
    InBlockData,      // within its data or before its checksum
    InTransferAddress // behind the 78h, with one or no address byte
};

struct SystemTape {
    SystemTapeName name;
    std::vector<SystemRecord> records;
    std::optional<std::uint16_t> entry;
    SystemTapeStop stop = SystemTapeStop::EndOfBytes;
    // The first byte the loader did not read: behind the transfer record, or where a record cut
    // short can be read again (an address cut short, the low byte of a cut entry address).
    std::size_t end = 0;
    std::vector<FormatDamage> damage;
};

// Parses a SYSTEM tape file from its 55h on. Never fails: damage is listed.
SystemTape ParseSystemTape(ByteView file);

// A piece of memory: where it loads and its bytes.
struct MemoryPiece {
    std::uint16_t address;
    Bytes data;
};

// The tape file of `pieces`, in blocks of up to 256 bytes, entering at `entry`. Fails for a
// name longer than six characters and for no code at all.
Outcome<Bytes> SystemTapeFile(std::string_view name, const std::vector<MemoryPiece>& pieces,
                              std::uint16_t entry);

} // namespace tonvale
