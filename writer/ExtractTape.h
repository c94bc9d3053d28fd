#pragma once
// Each tape file of an image as a file a PC opens:
//
//     BASIC (Level 2, Highspeed, Level 1)  .bas  the listing, one program line a line, LF ends
//     SYSTEM tape                          .cmd  a DOS load module: the blocks, the entry
//     EDTASM source                        .asm  the listing as the report shows it, LF ends
//     Level 1 machine code                 .bin  memory from 41FEh: the entry address, the code
//     Level 1 empty CSAVE                  .bin  the 64 KB as recorded, from 4200h round to 41FFh
//     unidentified data                    .bin  the bytes behind the sync byte
//
// A listing is made from what the format's parser read, as the report lists it: keywords
// spelled out, bytes 80h-FFh inside strings kept as they are (the report's TRS-80 font view),
// so that tokenising the text again gives the same bytes; a line the report breaks at a control
// byte is one line again, without the control byte, as LIST shows it. Level 1 lines lose the
// space LIST puts in front.
#include "analysis/TapeReport.h"
#include "base/Bytes.h"
#include "format/SystemTape.h"

#include <cstddef>
#include <string>
#include <vector>

namespace tonvale {

struct ExtractedFile {
    std::size_t index = 0; // in the report
    std::string name;      // a safe file name, numbered where names repeat
    std::string kind;      // what it is, with its addresses or length
    Bytes contents;
    // What is wrong with the bytes written (a block whose checksum failed or that the tape
    // cuts short); written all the same.
    std::vector<std::string> damage;
};

// The outputs of every tape file that has a leader, in order. `report` is the analysis of
// `image`; a tape file with nothing to write (cut before its first byte of program) gives none.
std::vector<ExtractedFile> ExtractTapeFiles(ByteView image, const TapeReport& report);

// A SYSTEM tape file's load module: per block a load record, 01h, the length + 2 (one byte,
// so 00h-02h stand for 256-258), the address (low, high) and the data; then, when the tape has
// an entry address, the transfer record 02h 02h and the entry (low, high).
Bytes CmdLoadModule(ByteView bytes, const SystemTape& tape);

} // namespace tonvale
