#pragma once
// Intel HEX files as assemblers for the Z80 write them, one record per line:
//
//     :LLAAAATTDD...CC    LL data bytes at AAAA, record type TT, checksum CC (all the bytes of
//                         the record, checksum included, sum to 0)
//
//     type 00  data
//     type 01  end of file; an address other than 0000h is the entry address
//     type 02, 04  extended addresses: only 0, since a TRS-80 has 64 KB
//     type 03, 05  start address: the entry address
#include "base/Outcome.h"
#include "writer/MachineCode.h"

#include <string_view>

namespace tonvale {

// The code of an Intel HEX text. A line that is no record, a wrong checksum, an address beyond
// FFFFh fail with the line number; a missing end record becomes a note.
Outcome<MachineCode> ReadIntelHex(std::string_view text);

} // namespace tonvale
