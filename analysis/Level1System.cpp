// The report of a Level 1 machine-code tape file: stop and entry address, the code and the
// checksum, as the parser (format/Level1) read them.
#include "analysis/Decoders.h"
#include "format/Level1.h"

#include <algorithm>

namespace tonvale {

namespace {

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

class Level1CodeReport {
  public:
    Level1CodeReport(ReportWriter& out, ByteView file)
        : m_out(out), m_file(file), m_tape(ParseLevel1(file, Level1Kind::MachineCode)) {}

    std::size_t Write() {
        m_text.Set("Level 1 \"SYSTEM\"");
        m_out.Describe(m_text);
        m_out.AddReportLine("Start address 41FEh level 1 machine code");
        if (!m_tape.stop) {
            m_out.AddReportLine("Stop address missing");
            m_out.AddReportLine("transfer address missing");
            m_out.AddReportLine("checksum missing");
            m_out.AppendVerdict(true, false);
            return m_tape.end;
        }
        m_out.File().load = kLevel1Program;
        m_out.File().end = *m_tape.stop;
        m_out.File().entry = m_tape.entry;
        WriteStopAddress();
        WriteEntryAddress();
        WriteCode();
        WriteChecksum();
        m_out.AppendVerdict(m_bad, m_suspicious);
        return m_tape.end;
    }

  private:
    // Whether the machine the stop address needs has the RAM; with the code cut short, how
    // far off the recording is.
    void WriteStopAddress() {
        const unsigned stop = *m_tape.stop;
        m_text.Format("Stop address %04Xh ", stop);
        if (stop < kLevel1Program) {
            m_text.Append("before the program");
            m_bad = true;
        } else if (m_tape.Complete()) {
            if (stop < kLevel1FirstBeyond4K) {
                m_text.Append("ok");
            } else {
                m_text.Append(stop < kLevel1FirstBeyond16K ? "ok but exceedes 4K RAM"
                                                           : "ok but exceedes 16K RAM");
                m_suspicious = true;
            }
        } else {
            m_text.Append(stop < kLevel1FirstBeyond4K    ? "mismatch but within 4K RAM"
                          : stop < kLevel1FirstBeyond16K ? "mismatch but within 16K RAM"
                                                         : "mismatch and very unlikely");
            m_bad = true;
        }
        m_out.AddReportLine(m_text);
    }

    void WriteEntryAddress() {
        if (!m_tape.entry) {
            m_out.AddReportLine("transfer address missing");
            m_bad = true;
            return;
        }
        m_text.Format("transfer address %04Xh ", unsigned{*m_tape.entry});
        const EntryRegion& region = RegionOf(*m_tape.entry);
        if (region.remark) m_text.Append(region.remark);
        m_bad = m_bad || region.bad;
        m_suspicious = m_suspicious || region.suspicious;
        m_out.AddReportLine(m_text);
    }

    // Only the code that is really there.
    void WriteCode() {
        const std::size_t end = std::min(m_tape.checksumAt, m_file.size());
        if (end > kLevel1CodeOffset)
            m_out.AddHexDump(true, m_file.subspan(kLevel1CodeOffset, end - kLevel1CodeOffset),
                             kLevel1Program);
    }

    void WriteChecksum() {
        if (!m_tape.Complete()) {
            m_out.AddReportLine("checksum missing");
            m_bad = true;
            return;
        }
        m_text.Format("checksum %02Xh ", *m_tape.checksum);
        if (m_tape.Holds()) {
            m_text.Append("ok");
        } else {
            m_text.Append("error");
            m_bad = true;
        }
        m_out.AddReportLine(m_text);
    }

    ReportWriter& m_out;
    ByteView m_file;
    const Level1Tape m_tape;
    TextBuffer m_text;
    bool m_bad = false;
    bool m_suspicious = false;
};

} // namespace

std::size_t DecodeLevel1System(ReportWriter& out, ByteView file) {
    return Level1CodeReport(out, file).Write();
}

} // namespace tonvale
