// Reporting a Level 1 machine-code tape: stop and entry address, the code, the checksum.
//
// On tape: start address 41FEh and stop address (high byte first), the entry address (low
// byte first, loaded at 41FEh), the machine code from 4200h up to the stop address, one
// checksum byte over the entry address and the code.
#include "analysis/Decoders.h"
#include "analysis/TapeBytes.h"

#include <algorithm>

namespace tonvale {

namespace {

constexpr std::uint16_t kCodeStart = 0x4200;
constexpr std::size_t kStopOffset = 2;
constexpr std::size_t kEntryOffset = 4;
constexpr std::size_t kCodeOffset = 6;
constexpr unsigned kFirstBeyond4K = 0x5000;  // a 4K machine's RAM ends at 4FFFh
constexpr unsigned kFirstBeyond16K = 0x8000; // a 16K machine's at 7FFFh

// Where an entry address lies in the Level 1 memory map, and what that says about the tape.
struct EntryRegion {
    unsigned last;
    const char* remark; // null: program RAM, nothing to say
    bool bad;
    bool suspicious;
};

constexpr EntryRegion kEntryRegions[] = {
    {0x0FFF, "in the level 1 ROM", false, true},
    {0x2FFF, "in the gap between the ROM and the i/o area", true, false},
    {0x3BFF, "in the i/o area", true, false},
    {0x3FFF, "in the screen RAM", true, false},
    {0x41FD, "in the basic houskeeping area", true, false},
    {0x7FFF, nullptr, false, false},
    {0xFFFF, "beyond the level 1 RAM", true, false},
};

const EntryRegion& RegionOf(unsigned address) {
    return *std::find_if(std::begin(kEntryRegions), std::end(kEntryRegions),
                         [address](const EntryRegion& r) { return address <= r.last; });
}

} // namespace

std::size_t DecodeLevel1System(ReportWriter& out, ByteView file) {
    TextBuffer text;
    const TapeBytes t(file);
    bool bad = false;
    bool suspicious = false;

    text.Set("Level 1 \"SYSTEM\"");
    out.Describe(text);
    out.AddReportLine("Start address 41FEh level 1 machine code");

    if (!t.Has(kStopOffset, 2)) {
        out.AddReportLine("Stop address missing");
        out.AddReportLine("transfer address missing");
        out.AddReportLine("checksum missing");
        out.AppendVerdict(true, false);
        return t.Size();
    }

    const unsigned stop = t.Be16(kStopOffset);
    out.File().load = kCodeStart;
    out.File().end = stop;
    if (t.Has(kEntryOffset, 2)) out.File().entry = t.Le16(kEntryOffset);
    // A stop address below 4200h leaves no room for code; the checksum then follows the entry.
    const std::size_t codeLength = stop > kCodeStart ? stop - kCodeStart : 0;
    const std::size_t checksumAt = kCodeOffset + codeLength;
    const bool complete = t.Has(checksumAt, 1);

    text.Format("Stop address {:04X}h ", stop);
    if (stop < kCodeStart) {
        text.Append("before the program");
        bad = true;
    } else if (complete) {
        if (stop < kFirstBeyond4K) {
            text.Append("ok");
        } else {
            text.Append(stop < kFirstBeyond16K ? "ok but exceedes 4K RAM"
                                               : "ok but exceedes 16K RAM");
            suspicious = true;
        }
    } else {
        text.Append(stop < kFirstBeyond4K    ? "mismatch but within 4K RAM"
                    : stop < kFirstBeyond16K ? "mismatch but within 16K RAM"
                                             : "mismatch and very unlikely");
        bad = true;
    }
    out.AddReportLine(text);

    if (t.Has(kEntryOffset, 2)) {
        const unsigned entry = t.Le16(kEntryOffset);
        text.Format("transfer address {:04X}h ", entry);
        const EntryRegion& region = RegionOf(entry);
        if (region.remark) text.Append(region.remark);
        bad = bad || region.bad;
        suspicious = suspicious || region.suspicious;
        out.AddReportLine(text);
    } else {
        out.AddReportLine("transfer address missing");
        bad = true;
    }

    // Only the code that is really there.
    const std::size_t present = t.Size() > kCodeOffset ? t.Size() - kCodeOffset : 0;
    if (present > 0)
        out.AddHexDump(true, t.From(kCodeOffset).first(std::min(codeLength, present)), kCodeStart);

    if (complete) {
        Byte sum = 0;
        for (std::size_t i = kEntryOffset; i <= checksumAt; ++i)
            sum = static_cast<Byte>(sum + t[i]);
        text.Format("checksum {:02X}h ", t[checksumAt]);
        if (sum == 0) {
            text.Append("ok");
        } else {
            text.Append("error");
            bad = true;
        }
        out.AddReportLine(text);
    } else {
        out.AddReportLine("checksum missing");
        bad = true;
    }

    out.AppendVerdict(bad, suspicious);
    return complete ? checksumAt + 1 : t.Size();
}

} // namespace tonvale
