#pragma once
// SYSTEM (machine-code) tape files, the bytes behind the sync byte, as the SYSTEM command reads
// them:
//
//     55h  name (six characters, padded with spaces)
//     3Ch  count (00h = 256)  address (low, high)  data...  checksum     one per load block
//     78h  entry address (low, high)
//
// The checksum is the sum of both address bytes and the data, modulo 256.
#include "base/Bytes.h"
#include "writer/MachineCode.h"
#include "writer/Outcome.h"

#include <cstdint>
#include <string_view>

namespace tonvale {

inline constexpr std::size_t kSystemNameLength = 6;

// The tape file of `code`, in blocks of up to 256 bytes, entering at `entry`. Fails for a name
// longer than six characters and for no code at all.
Outcome<Bytes> SystemTapeFile(std::string_view name, const MachineCode& code, std::uint16_t entry);

} // namespace tonvale
