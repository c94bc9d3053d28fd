// The report of a machine-code ("SYSTEM") tape file of a Level 2 or Highspeed recording: the
// parser (format/SystemTape) reads it, this writes what it found as report lines, in the order
// of the tape. Damage never stops it: it becomes report lines and the file's verdict.
#include "format/SystemTape.h"
#include "analysis/Decoders.h"

#include <string_view>

namespace tonvale {

namespace {

// A damaged tape's title is cut so that its closing quote, the verdict word and the loader's
// remark still fit in the saved file line behind it.
constexpr std::size_t kTitleRoom = kSavedFileLineLength - std::string_view("'").size() -
                                   std::string_view(" suspicious").size() -
                                   std::string_view(" (and more files)").size();
// The name line keeps room for its closing words with any count of spaces.
constexpr std::size_t kNameRoom =
    TextBuffer::kCapacity - std::string_view("' padded with 18446744073709551615 spaces").size();

class SystemTapeReport {
  public:
    SystemTapeReport(ReportWriter& out, ByteView file)
        : m_out(out), m_file(file), m_tape(ParseSystemTape(file)) {}

    std::size_t Write() {
        m_out.AddHeaderLine();
        DescribeTitle();
        m_out.File().name =
            Bytes(m_tape.name.Positions(m_file).begin(), m_tape.name.Positions(m_file).end());
        WriteName();
        for (const SystemRecord& record : m_tape.records)
            WriteRecord(record);
        WriteStop();
        m_out.AppendVerdict(m_bad, m_suspicious);
        return m_tape.end;
    }

  private:
    void AddLine() { m_out.AddReportLine(m_text); }
    void AddLine(std::string_view text) { m_out.AddReportLine(text); }
    bool Highspeed() const { return m_out.Format() == TapeFormat::Highspeed; }

    // The title shows the name bytes as they stand, spaces and all.
    void DescribeTitle() {
        m_text.Set(NamesOf(m_out.Format()).title);
        m_text.Append(" SYSTEM tape '");
        const SystemTapeName& name = m_tape.name;
        for (std::size_t i = name.from; i < name.recordAt && m_text.Length() < kTitleRoom; ++i)
            m_text.AppendByte(m_file[i]);
        m_text.Append("'");
        m_out.Describe(m_text);
    }

    // The name without its padding, which is counted; then whatever stops it short of a
    // record, raw, and what its length says.
    void WriteName() {
        const SystemTapeName& name = m_tape.name;
        m_text.Set("SYSTEM tape 55h name '");
        for (Byte b : name.shown)
            if (m_text.Length() < kNameRoom) m_text.AppendByte(b);
        if (name.spaces > 0)
            m_text.AppendFormat("' padded with {} spaces", name.spaces);
        else
            m_text.Append("'");
        AddLine();
        if (name.behindTo > name.behindFrom)
            m_out.AddHexDump(false,
                             m_file.subspan(name.behindFrom, name.behindTo - name.behindFrom), 0);
        if (name.length < kSystemNameLength) {
            AddLine("the name is shorter than 6 characters OK but odd");
            AddLine("would normally have been padded (suspicious)");
            m_suspicious = true;
        } else if (name.length > kSystemNameLength) {
            AddLine("the name is longer than 6 characters,");
            AddLine("only 6 are significant (suspicious)");
            m_suspicious = true;
        }
    }

    void WriteRecord(const SystemRecord& record) {
        if (record.type == SystemRecordType::Garbage) {
            m_text.Format("\"garbage\" {:04X}h bytes (ignored by ROM)", record.length);
            AddLine();
            m_out.AddHexDump(false, m_file.subspan(record.offset, record.length), 0);
        } else if (record.type == SystemRecordType::Block) {
            WriteBlock(record);
        } else if (m_tape.entry) {
            m_text.Format("transfer address 78h {:04X}h", *m_tape.entry);
            m_out.File().entry = *m_tape.entry;
            AddLine();
            AddLine("end");
        }
    }

    void WriteBlock(const SystemRecord& record) {
        // The end is shown as it is: a block that reaches the top of memory ends at 10000h.
        const std::uint32_t address = record.address;
        const std::uint32_t end = address + static_cast<std::uint32_t>(record.dataLength);
        m_text.Format("load block 3Ch {:02X}h {:04X}h ({:04X}h-{:04X}h)", record.count, address,
                      address, end);
        const bool follows = address == (m_expected & 0xFFFF);
        m_text.Append(m_firstBlock || follows ? "    " : " gap ");
        m_firstBlock = false;
        m_expected = end;

        TapeFileReport& file = m_out.File();
        SystemBlock& block = file.blocks.emplace_back();
        block.address = record.address;
        block.length = static_cast<std::uint32_t>(record.dataLength);
        block.data = record.data;
        block.stored = record.stored;
        block.computed = record.computed;
        if (!file.load) file.load = block.address;
        if (!file.end || *file.end < end) file.end = end;

        if (!record.stored) {
            m_text.Append(" csum missing bad!");
            m_bad = true;
            AddLine();
            m_out.MarkLines(m_out.LineCount() - 1, record.offset, m_file.size());
            m_out.AddHexDump(true, m_file.subspan(record.data), address);
            return;
        }
        m_text.AppendFormat(" csum {:02X}h", *record.computed);
        if (record.Holds()) {
            m_text.Append(" OK");
        } else {
            m_text.AppendFormat("!={:02X}h bad!", *record.stored);
            m_bad = true;
        }
        AddLine();
        m_out.MarkLines(m_out.LineCount() - 1, record.offset, record.data + record.dataLength + 1);
        m_out.AddHexDump(true, m_file.subspan(record.data, record.dataLength), address);
    }

    // A tape file cut short inside a record is never a good one.
    void WriteStop() {
        switch (m_tape.stop) {
        case SystemTapeStop::Transfer:
        case SystemTapeStop::EndOfBytes:
            return;
        case SystemTapeStop::InTransferAddress:
            WriteCutTransfer();
            break;
        default:
            break;
        }
        m_bad = true;
        AddLine("unexpected end of file");
    }

    void WriteCutTransfer() {
        m_text.Set("transfer address 78h truncated ");
        const std::size_t low = m_tape.end;
        if (low >= m_file.size()) {
            m_text.Append("bad");
            AddLine();
        } else if (Highspeed() && m_out.Tail().bitsShort >= 1 && m_out.Tail().bitsShort <= 7) {
            ReportIncompleteHighByte(m_file[low]);
        } else {
            m_text.AppendFormat("??{:02X}h bad", m_file[low]);
            AddLine();
        }
    }

    // The entry address's high byte is the image's incomplete last byte: its top bits are
    // known, the missing low bits could be anything.
    void ReportIncompleteHighByte(Byte low) {
        const unsigned missing = m_out.Tail().bitsShort;
        const unsigned known = m_out.Tail().lastBits;
        const unsigned unknown = (1u << missing) - 1;
        if (missing <= 4) {
            m_text.AppendFormat("{:1X}?{:02X} bad", known >> 4, low);
            AddLine();
            m_text.Format("where '?' can be {:1X} to {:1X}", known & 0x0F,
                          (known & 0x0F) | unknown);
        } else {
            m_text.AppendFormat("??{:02X} bad", low);
            AddLine();
            m_text.Format("where '^ can be {:02X} to {:02X}", known, known | unknown);
        }
        AddLine();
        AddLine("The last (incomplete) byte is missing resulting in the bad transfer-");
        AddLine("address. Loading this on a real machine will hang.");
        AddLine("(An older version of tapegrab may have done this, sorry).");
    }

    ReportWriter& m_out;
    ByteView m_file;
    const SystemTape m_tape;
    TextBuffer m_text;
    bool m_firstBlock = true;
    std::uint32_t m_expected = 0; // where the previous block ended
    bool m_bad = false;
    bool m_suspicious = false;
};

} // namespace

std::size_t DecodeSystemTape(ReportWriter& out, ByteView file) {
    return SystemTapeReport(out, file).Write();
}

} // namespace tonvale
