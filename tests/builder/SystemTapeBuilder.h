#pragma once
// Builds the bytes of a SYSTEM tape file as they follow the sync byte, record by record, the
// way the SYSTEM command lays them down:
//
//     Bytes file = SystemTape("GAME").Block(0x4200, code).Transfer(0x4200).Build();
//
// Damage reads the same way: a block whose stored checksum is wrong, garbage between records,
// a tape that stops early.
#include "base/Bytes.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace tonvale::test {

class SystemTape {
  public:
    static constexpr Byte kMarker = 0x55;
    static constexpr Byte kBlockType = 0x3C;
    static constexpr Byte kTransferType = 0x78;

    // The marker and a name padded with spaces to six characters (a longer one as it is).
    explicit SystemTape(std::string_view name);

    // A load block of 1 to 256 data bytes (256 is recorded as the count 00h) and its checksum.
    SystemTape& Block(std::uint16_t address, ByteView data);
    // Replaces the checksum of the block just added with a wrong one: the right one plus delta.
    SystemTape& WrongChecksum(Byte delta = 1);
    // Bytes that stand where a record type belongs.
    SystemTape& Garbage(ByteView bytes);
    // The transfer record with the entry address.
    SystemTape& Transfer(std::uint16_t entry);

    // The tape stops without its last `count` bytes.
    SystemTape& DropLast(std::size_t count);

    Bytes Build() const;

  private:
    Bytes m_bytes;
    std::optional<std::size_t> m_lastChecksum;
    std::size_t m_dropLast = 0;
};

} // namespace tonvale::test
