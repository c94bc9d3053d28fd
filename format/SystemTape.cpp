#include "format/SystemTape.h"

#include <algorithm>

namespace tonvale {

namespace {

void PushBlock(Bytes& out, std::uint16_t address, ByteView data) {
    out.push_back(kSystemBlockType);
    out.push_back(static_cast<Byte>(data.size())); // 256 is 00h
    const std::size_t summed = out.size();
    PushLe16(out, address);
    out.insert(out.end(), data.begin(), data.end());
    out.push_back(SystemBlockChecksum(ByteView(out).subspan(summed)));
}

} // namespace

Outcome<Bytes> SystemTapeFile(std::string_view name, const std::vector<MemoryPiece>& pieces,
                              std::uint16_t entry) {
    if (name.size() > kSystemNameLength)
        return Failure{"the name '" + std::string(name) +
                       "' is longer than six characters, all a SYSTEM tape has room for"};
    if (pieces.empty()) return Failure{"there is no code to load"};
    Bytes out(1 + kSystemNameLength, ' ');
    out[0] = kSystemMarker;
    std::copy(name.begin(), name.end(), out.begin() + 1);
    for (const MemoryPiece& piece : pieces) {
        for (std::size_t at = 0; at < piece.data.size(); at += kSystemLongestBlock) {
            const std::size_t length = std::min(kSystemLongestBlock, piece.data.size() - at);
            PushBlock(out, static_cast<std::uint16_t>(piece.address + at),
                      ByteView(piece.data).subspan(at, length));
        }
    }
    out.push_back(kSystemTransferType);
    PushLe16(out, entry);
    return out;
}

} // namespace tonvale

namespace tonvale {

namespace {

constexpr Byte kSpace = 0x20;
constexpr Byte kFirstNameChar = 0x21;
constexpr Byte kLastNameChar = 0x5F;
// A 3Ch among the first six name positions followed by another 3Ch this close is taken for a
// name character rather than the start of a block.
constexpr std::size_t kNameLookahead = 6;

bool IsRecordType(Byte b) {
    return b == kSystemBlockType || b == kSystemTransferType;
}

bool IsNameChar(Byte b) {
    return b >= kFirstNameChar && b <= kLastNameChar && b != kSystemBlockType;
}

class SystemTapeParser {
  public:
    explicit SystemTapeParser(ByteView file) : m_file(file) {}

    SystemTape Parse() {
        // The name starts behind the 55h marker.
        m_p = m_file.empty() ? 0 : 1;
        ReadName();
        ReadRecords();
        return std::move(m_tape);
    }

  private:
    bool Has(std::size_t offset, std::size_t count) const {
        return offset <= m_file.size() && count <= m_file.size() - offset;
    }
    bool More() const { return m_p < m_file.size(); }
    void Damage(std::size_t offset, std::string what) {
        m_tape.damage.push_back({offset, std::move(what)});
    }

    // The first record type byte at or behind `from`, or the end of the tape file.
    std::size_t NextRecord(std::size_t from) const {
        while (from < m_file.size() && !IsRecordType(m_file[from]))
            ++from;
        return from;
    }

    // Is the 3Ch at p the first block's type byte, or a character of a short name?
    bool BlockStartsAt(std::size_t p) const {
        if (!Has(p + 1, 1)) return true;
        const std::size_t count = SystemBlockLength(m_file[p + 1]);
        const std::size_t checksumAt = p + kSystemBlockFrame - 1 + count;
        // A block that checks out and is followed by a record type certainly starts here.
        if (Has(p, count + kSystemBlockFrame + 1)) {
            const Byte computed = SystemBlockChecksum(m_file.subspan(p + 2, count + 2));
            const bool recordFollows = IsRecordType(m_file[checksumAt + 1]);
            if (recordFollows && computed == m_file[checksumAt]) return true;
        }
        if (!Has(p, kNameLookahead + 1)) return false;
        for (std::size_t i = 1; i <= kNameLookahead; ++i) {
            if (m_file[p + i] == kSystemBlockType) return false;
        }
        return true;
    }

    // Six positions make the name; spaces pad it. A name that runs on past six keeps going
    // while it looks like one; whatever stops it short of a record belongs to it too.
    void ReadName() {
        SystemTapeName& name = m_tape.name;
        name.from = m_p;
        name.recordAt = NextRecord(m_p);
        while (name.length < kSystemNameLength && More()) {
            const Byte b = m_file[m_p];
            if (IsNameChar(b))
                name.shown.push_back(b);
            else if (b == kSpace)
                ++name.spaces;
            else if (b == kSystemBlockType && !BlockStartsAt(m_p))
                name.shown.push_back('<');
            else
                break;
            ++m_p;
            ++name.length;
        }
        for (; name.length >= kSystemNameLength && More(); ++m_p, ++name.length) {
            const Byte b = m_file[m_p];
            if (IsNameChar(b))
                name.shown.push_back(b);
            else if (b == kSpace)
                ++name.spaces;
            else
                break;
        }
        name.behindFrom = name.behindTo = m_p;
        if (More() && !IsRecordType(m_file[m_p])) {
            name.behindTo = m_p = NextRecord(m_p);
            name.length += name.behindTo - name.behindFrom;
        }
        if (name.length != kSystemNameLength)
            Damage(name.from, "the name has " + std::to_string(name.length) + " positions");
    }

    void ReadRecords() {
        while (More()) {
            if (m_file[m_p] == kSystemTransferType) return ReadTransfer();
            if (m_file[m_p] != kSystemBlockType) {
                SkipGarbage();
                continue;
            }
            if (!ReadBlock()) return;
        }
        m_tape.stop = SystemTapeStop::EndOfBytes;
        m_tape.end = m_file.size();
    }

    void SkipGarbage() {
        SystemRecord& garbage = m_tape.records.emplace_back();
        garbage.offset = m_p;
        garbage.length = NextRecord(m_p) - m_p;
        m_p += garbage.length;
    }

    // Reads one load block; false when the tape file ends inside it.
    bool ReadBlock() {
        const std::size_t offset = m_p++;
        if (!More()) return Stop(SystemTapeStop::InBlockCount, offset, m_file.size());
        const Byte count = m_file[m_p++];
        // An address cut short stays unread, so no more than one byte is left behind.
        if (!Has(m_p, 2)) return Stop(SystemTapeStop::InBlockAddress, offset, m_p);

        SystemRecord& block = m_tape.records.emplace_back();
        block.type = SystemRecordType::Block;
        block.offset = offset;
        block.count = count;
        block.address = static_cast<std::uint16_t>(m_file[m_p] | m_file[m_p + 1] << 8);
        block.data = m_p + 2;
        block.dataLength = SystemBlockLength(count);
        if (!Has(block.data, block.dataLength + 1))
            return Stop(SystemTapeStop::InBlockData, offset, m_file.size());
        // The checksum covers the two address bytes and the data.
        block.computed = SystemBlockChecksum(m_file.subspan(m_p, block.dataLength + 2));
        block.stored = m_file[block.data + block.dataLength];
        if (!block.Holds()) Damage(offset, "the block's checksum fails");
        m_p = block.data + block.dataLength + 1;
        return true;
    }

    bool Stop(SystemTapeStop stop, std::size_t offset, std::size_t end) {
        m_tape.stop = stop;
        m_tape.end = end;
        Damage(offset, "the tape file ends inside this record");
        return false;
    }

    void ReadTransfer() {
        SystemRecord& transfer = m_tape.records.emplace_back();
        transfer.type = SystemRecordType::Transfer;
        transfer.offset = m_p++;
        if (!Has(m_p, 2)) {
            // The low address byte stays unread; the loader counts it with the rest.
            Stop(SystemTapeStop::InTransferAddress, transfer.offset, m_p);
            return;
        }
        m_tape.entry = static_cast<std::uint16_t>(m_file[m_p] | m_file[m_p + 1] << 8);
        m_tape.stop = SystemTapeStop::Transfer;
        m_tape.end = m_p + 2;
    }

    ByteView m_file;
    SystemTape m_tape;
    std::size_t m_p = 0;
};

} // namespace

ByteView SystemTapeName::Positions(ByteView file) const {
    const std::size_t end = std::min(recordAt, from + kSystemNameLength);
    return file.subspan(from, end - from);
}

SystemTape ParseSystemTape(ByteView file) {
    return SystemTapeParser(file).Parse();
}

} // namespace tonvale
