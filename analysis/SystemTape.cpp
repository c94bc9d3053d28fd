// Machine-code ("SYSTEM") tape files of Level 2 and Highspeed recordings:
//
//     55h  name (six characters, padded with spaces)
//     3Ch  count (00h = 256)  address (low, high)  data...  checksum     one per load block
//     78h  entry address (low, high)                                    closes the file
//
// Bytes where a record type belongs that are neither 3Ch nor 78h are skipped by the ROM; the
// report shows them as garbage. Damage never stops the walk: it becomes report lines and the
// file's verdict.
#include "analysis/Decoders.h"
#include "analysis/TapeBytes.h"

#include <optional>
#include <string_view>

namespace tonvale {

namespace {

constexpr Byte kBlockType = 0x3C;
constexpr Byte kTransferType = 0x78;
constexpr Byte kSpace = 0x20;
constexpr Byte kFirstNameChar = 0x21;
constexpr Byte kLastNameChar = 0x5F;

constexpr std::size_t kNameLength = 6;
// Type, count, two address bytes and the checksum around a block's data.
constexpr std::size_t kBlockFrame = 5;
// A 3Ch among the first six name positions followed by another 3Ch this close is taken for a
// name character rather than the start of a block.
constexpr std::size_t kNameLookahead = 6;

// The file line is saved in 356 characters; a damaged tape's title is cut so that its closing
// quote, the verdict word and the loader's remark still fit behind it.
constexpr std::size_t kFileLineSaved = 356;
constexpr std::size_t kTitleRoom = kFileLineSaved - std::string_view("'").size() -
                                   std::string_view(" suspicious").size() -
                                   std::string_view(" (and more files)").size();
// The name line keeps room for its closing words with any count of spaces.
constexpr std::size_t kNameRoom =
    TextBuffer::kCapacity - std::string_view("' padded with 18446744073709551615 spaces").size();

bool IsRecordType(Byte b) {
    return b == kBlockType || b == kTransferType;
}

bool IsNameChar(Byte b) {
    return b >= kFirstNameChar && b <= kLastNameChar && b != kBlockType;
}

// A count byte of 00h stands for 256 bytes.
std::size_t BlockCount(Byte stored) {
    return stored == 0 ? 256 : stored;
}

Byte Checksum(ByteView bytes) {
    unsigned sum = 0;
    for (Byte b : bytes)
        sum += b;
    return static_cast<Byte>(sum);
}

class SystemTapeDecoder {
  public:
    SystemTapeDecoder(ReportWriter& out, ByteView file)
        : m_out(out), m_tape(file), m_highspeed(out.Format() == TapeFormat::Highspeed) {}

    std::size_t Decode() {
        AddHeaderLine();
        // The name starts behind the 55h marker.
        m_p = m_tape.Has(0, 1) ? 1 : 0;
        DescribeTitle();
        RecordName();
        ReadName();
        DumpBytesBehindName();
        WarnAboutNameLength();
        const std::size_t end = WalkRecords();
        m_out.AppendVerdict(m_bad, m_suspicious);
        return end;
    }

  private:
    void AddLine() { m_out.AddReportLine(m_text); }
    void AddLine(std::string_view text) { m_out.AddReportLine(text); }
    bool More() const { return m_tape.Has(m_p, 1); }

    // The first record type byte at or behind `from`, or the end of the tape file.
    std::size_t NextRecord(std::size_t from) const {
        while (m_tape.Has(from, 1) && !IsRecordType(m_tape[from]))
            ++from;
        return from;
    }

    void AddHeaderLine() {
        if (m_out.Format() == TapeFormat::Level2)
            AddLine("Level 2 header (many 00h then 5Ah)");
        else if (m_highspeed)
            AddLine("Highspeed header (many 55h then 7Fh)");
    }

    // The title shows the name bytes as they stand, spaces and all.
    void DescribeTitle() {
        m_text.Format("%s SYSTEM tape '", m_highspeed ? "Highspeed" : "Level 2");
        const std::size_t end = NextRecord(m_p);
        for (std::size_t i = m_p; i < end && m_text.Length() < kTitleRoom; ++i)
            m_text.AppendByte(m_tape[i]);
        m_text.Append("'");
        m_out.Describe(m_text);
    }

    // The six name positions as they stand, up to the first record.
    void RecordName() {
        const std::size_t end = std::min(NextRecord(m_p), m_p + kNameLength);
        m_out.File().name = Bytes(m_tape.View().begin() + m_p, m_tape.View().begin() + end);
    }

    void AppendNameChar(Byte b) {
        if (m_text.Length() < kNameRoom) m_text.AppendByte(b);
    }

    // Six positions make the name; spaces pad it and are counted, not shown. A name that
    // runs on past six keeps going while it looks like one.
    void ReadName() {
        m_text.Set("SYSTEM tape 55h name '");
        while (m_nameLength < kNameLength && More()) {
            const Byte b = m_tape[m_p];
            if (IsNameChar(b))
                AppendNameChar(b);
            else if (b == kSpace)
                ++m_spaces;
            else if (b == kBlockType && !BlockStartsAt(m_p))
                AppendNameChar('<');
            else
                break;
            ++m_p;
            ++m_nameLength;
        }
        if (m_nameLength == kNameLength) {
            for (; More(); ++m_p, ++m_nameLength) {
                const Byte b = m_tape[m_p];
                if (IsNameChar(b))
                    AppendNameChar(b);
                else if (b == kSpace)
                    ++m_spaces;
                else
                    break;
            }
        }
        if (m_spaces > 0)
            m_text.AppendFormat("' padded with %zu spaces", m_spaces);
        else
            m_text.Append("'");
        AddLine();
    }

    // Is the 3Ch at p the first block's type byte, or a character of a short name?
    bool BlockStartsAt(std::size_t p) const {
        if (!m_tape.Has(p + 1, 1)) return true;
        const std::size_t count = BlockCount(m_tape[p + 1]);
        const std::size_t checksumAt = p + kBlockFrame - 1 + count;
        // A block that checks out and is followed by a record type certainly starts here.
        if (m_tape.Has(p, count + kBlockFrame + 1)) {
            const Byte computed = Checksum(m_tape.View().subspan(p + 2, count + 2));
            const bool recordFollows = IsRecordType(m_tape[checksumAt + 1]);
            if (recordFollows && computed == m_tape[checksumAt]) return true;
        }
        if (!m_tape.Has(p, kNameLookahead + 1)) return false;
        for (std::size_t i = 1; i <= kNameLookahead; ++i) {
            if (m_tape[p + i] == kBlockType) return false;
        }
        return true;
    }

    // Whatever stops the name short of a record is shown raw and counted into its length.
    void DumpBytesBehindName() {
        if (!More() || IsRecordType(m_tape[m_p])) return;
        const std::size_t end = NextRecord(m_p);
        m_out.AddHexDump(false, m_tape.View().subspan(m_p, end - m_p), 0);
        m_nameLength += end - m_p;
        m_p = end;
    }

    void WarnAboutNameLength() {
        if (m_nameLength < kNameLength) {
            AddLine("the name is shorter than 6 characters OK but odd");
            AddLine("would normally have been padded (suspicious)");
            m_suspicious = true;
        } else if (m_nameLength > kNameLength) {
            AddLine("the name is longer than 6 characters,");
            AddLine("only 6 are significant (suspicious)");
            m_suspicious = true;
        }
    }

    // Returns where the tape file's consumed bytes end.
    std::size_t WalkRecords() {
        while (More()) {
            if (m_tape[m_p] == kTransferType) return ReadTransfer();
            if (m_tape[m_p] != kBlockType) {
                SkipGarbage();
                continue;
            }
            if (std::optional<std::size_t> end = ReadBlock()) return *end;
        }
        return m_tape.Size();
    }

    void SkipGarbage() {
        const std::size_t end = NextRecord(m_p);
        m_text.Format("\"garbage\" %04zXh bytes (ignored by ROM)", end - m_p);
        AddLine();
        m_out.AddHexDump(false, m_tape.View().subspan(m_p, end - m_p), 0);
        m_p = end;
    }

    // Reads one load block; returns where the tape file ends when it ends inside the block.
    std::optional<std::size_t> ReadBlock() {
        const std::size_t blockStart = m_p;
        ++m_p;
        if (!More()) return UnexpectedEnd(m_tape.Size());
        const Byte stored = m_tape[m_p++];
        const std::size_t count = BlockCount(stored);
        // An address cut short stays unconsumed, so no more than one byte is left behind.
        if (!m_tape.Has(m_p, 2)) return UnexpectedEnd(m_p);
        const std::uint32_t address = m_tape.Le16(m_p);
        m_p += 2;

        // The end is shown as it is: a block that reaches the top of memory ends at 10000h.
        const std::uint32_t end = address + static_cast<std::uint32_t>(count);
        m_text.Format("load block 3Ch %02Xh %04Xh (%04Xh-%04Xh)", stored, address, address, end);
        const bool follows = address == (m_expected & 0xFFFF);
        m_text.Append(m_firstBlock || follows ? "    " : " gap ");
        m_firstBlock = false;
        m_expected = end;
        SystemBlock& block = m_out.File().blocks.emplace_back();
        block.address = static_cast<std::uint16_t>(address);
        block.length = static_cast<std::uint32_t>(count);
        block.data = m_p;
        if (!m_out.File().load) m_out.File().load = block.address;
        if (!m_out.File().end || *m_out.File().end < end) m_out.File().end = end;

        if (!m_tape.Has(m_p, count + 1)) {
            m_text.Append(" csum missing bad!");
            m_bad = true;
            AddLine();
            m_out.MarkLines(m_out.LineCount() - 1, blockStart, m_tape.Size());
            m_out.AddHexDump(true, m_tape.From(m_p), address);
            AddLine("unexpected end of file");
            return m_tape.Size();
        }
        // The checksum covers the two address bytes and the data.
        const Byte computed = Checksum(m_tape.View().subspan(m_p - 2, count + 2));
        const Byte recorded = m_tape[m_p + count];
        block.stored = recorded;
        block.computed = computed;
        m_text.AppendFormat(" csum %02Xh", computed);
        if (computed == recorded) {
            m_text.Append(" OK");
        } else {
            m_text.AppendFormat("!=%02Xh bad!", recorded);
            m_bad = true;
        }
        AddLine();
        m_out.MarkLines(m_out.LineCount() - 1, blockStart, m_p + count + 1);
        m_out.AddHexDump(true, m_tape.View().subspan(m_p, count), address);
        m_p += count + 1;
        return std::nullopt;
    }

    // A block cut off before its data has no checksum to show; it is never a good block.
    std::size_t UnexpectedEnd(std::size_t end) {
        AddLine("unexpected end of file");
        m_bad = true;
        return end;
    }

    std::size_t ReadTransfer() {
        ++m_p;
        if (m_tape.Has(m_p, 2)) {
            m_text.Format("transfer address 78h %04Xh", m_tape.Le16(m_p));
            m_out.File().entry = m_tape.Le16(m_p);
            AddLine();
            AddLine("end");
            return m_p + 2;
        }
        m_bad = true;
        m_text.Set("transfer address 78h truncated ");
        if (!More()) {
            m_text.Append("bad");
            AddLine();
        } else if (m_highspeed && m_out.Tail().bitsShort >= 1 && m_out.Tail().bitsShort <= 7) {
            ReportIncompleteHighByte(m_tape[m_p]);
        } else {
            m_text.AppendFormat("??%02Xh bad", m_tape[m_p]);
            AddLine();
        }
        AddLine("unexpected end of file");
        // The low address byte stays unconsumed; the loader counts it with the rest.
        return m_p;
    }

    // The entry address's high byte is the image's incomplete last byte: its top bits are
    // known, the missing low bits could be anything.
    void ReportIncompleteHighByte(Byte low) {
        const unsigned missing = m_out.Tail().bitsShort;
        const unsigned known = m_out.Tail().lastBits;
        const unsigned unknown = (1u << missing) - 1;
        if (missing <= 4) {
            m_text.AppendFormat("%1X?%02X bad", known >> 4, low);
            AddLine();
            m_text.Format("where '?' can be %1X to %1X", known & 0x0F, (known & 0x0F) | unknown);
        } else {
            m_text.AppendFormat("??%02X bad", low);
            AddLine();
            m_text.Format("where '^ can be %02X to %02X", known, known | unknown);
        }
        AddLine();
        AddLine("The last (incomplete) byte is missing resulting in the bad transfer-");
        AddLine("address. Loading this on a real machine will hang.");
        AddLine("(An older version of tapegrab may have done this, sorry).");
    }

    ReportWriter& m_out;
    TextBuffer m_text;
    const TapeBytes m_tape;
    const bool m_highspeed;

    std::size_t m_p = 0;
    std::size_t m_nameLength = 0;
    std::size_t m_spaces = 0;
    bool m_firstBlock = true;
    std::uint32_t m_expected = 0; // where the previous block ended
    bool m_bad = false;
    bool m_suspicious = false;
};

} // namespace

std::size_t DecodeSystemTape(ReportWriter& out, ByteView file) {
    return SystemTapeDecoder(out, file).Decode();
}

} // namespace tonvale
