#pragma once
// DOS load modules (/CMD files) as TRSDOS, NEWDOS and LDOS write them: records of a type byte,
// a length byte and that many bytes.
//
//     01h  length  address (low, high)  data...   a load record; the length counts the address
//                                                 and the data, 00h-02h standing for 256-258
//     02h  02h     entry (low, high)              the transfer record; the module ends here
//     05h, 1Fh, ...                               module name, copyright and the like: skipped
#include "base/Bytes.h"
#include "base/Outcome.h"
#include "writer/MachineCode.h"

namespace tonvale {

inline constexpr Byte kLoadRecord = 0x01;
inline constexpr Byte kTransferRecord = 0x02;

// The code of a load module; skipped records and a missing transfer record become notes. A
// record cut short or running past FFFFh fails with its offset, and so does a module without
// any load record.
Outcome<MachineCode> ReadLoadModule(ByteView module);

} // namespace tonvale
