#pragma once
// The rescue's trace as a CSV table, for a person, a spreadsheet or a plotting script: one
// header line, then the pulses and cells in time order, numbers in fixed-point decimals with a
// dot whatever the locale.
//
//     kind,seconds,cell,role,polarity,height,period,bit,confidence,format
//     cell,0.512300,17,,,,0.0020000,1,0.950,level1or2
//     pulse,0.512310,17,clock,up,1.000,,,,
//
// A cell row gives where the cell begins, its index, the clock's cell length there (seconds),
// its bit, how sure the decoder was (0 to 1) and the decoder that read it ("level1or2": clock
// and data pulses, or "highspeed"). A pulse row gives where it peaks, the index of the cell it
// falls in (a stray pulse: the next cell), clock, data or stray, which way its main lobe goes
// and its height against the clock pulses around it.
#include "app/SafeFile.h"
#include "rescue/Rescue.h"

namespace tonvale {

inline constexpr std::string_view kTraceCsvHeader =
    "kind,seconds,cell,role,polarity,height,period,bit,confidence,format\n";

// Hands the table to `write` piece by piece; false when a piece did not get there.
bool WriteTraceCsv(const RescueTrace& trace, const ByteWriter& write);

} // namespace tonvale
