#include "format/Level1.h"

namespace tonvale {

namespace {

class Level1Parser {
  public:
    Level1Parser(ByteView file, Level1Kind kind) : m_file(file) { m_tape.kind = kind; }

    Level1Tape Parse() {
        m_tape.end = m_file.size();
        if (!Has(kLevel1StopOffset, 2)) {
            Damage(0, "the tape file ends before its stop address");
            return std::move(m_tape);
        }
        m_tape.stop = static_cast<std::uint16_t>(m_file[2] << 8 | m_file[3]);
        if (*m_tape.stop < kLevel1Program) Damage(kLevel1StopOffset, "stop before the program");
        const bool code = m_tape.kind == Level1Kind::MachineCode;
        if (code && Has(kLevel1EntryOffset, 2))
            m_tape.entry = static_cast<std::uint16_t>(m_file[4] | m_file[5] << 8);
        FindChecksum();
        if (m_tape.kind == Level1Kind::Basic) ReadLines();
        return std::move(m_tape);
    }

  private:
    bool Has(std::size_t offset, std::size_t count) const {
        return offset <= m_file.size() && count <= m_file.size() - offset;
    }
    void Damage(std::size_t offset, std::string what) {
        m_tape.damage.push_back({offset, std::move(what)});
    }

    // The memory runs from behind the addresses up to the stop address; a stop address below
    // 4200h leaves no room for a program (the machine code's entry address still comes first).
    void FindChecksum() {
        const unsigned stop = *m_tape.stop;
        if (m_tape.kind == Level1Kind::EmptyCsave)
            m_tape.checksumAt = kCsaveChecksum;
        else
            m_tape.checksumAt =
                (m_tape.kind == Level1Kind::MachineCode ? kLevel1CodeOffset : kLevel1MemoryOffset) +
                (stop > kLevel1Program ? stop - kLevel1Program : 0);
        if (!Has(m_tape.checksumAt, 1)) {
            Damage(m_file.size(), "the tape file ends before its checksum");
            return;
        }
        m_tape.checksum = m_file[m_tape.checksumAt];
        m_tape.sum =
            ByteSum(m_file.subspan(kLevel1MemoryOffset, m_tape.checksumAt - kLevel1MemoryOffset));
        m_tape.end = m_tape.checksumAt + 1;
        if (!m_tape.Holds()) Damage(m_tape.checksumAt, "the checksum fails");
    }

    // Lines up to the checksum, or to the end of a recording cut short, which has lost its
    // checksum: every byte there is program text. The first line needs its number within the
    // program; a later one may take its number's second byte from the checksum's place.
    void ReadLines() {
        const std::size_t textEnd = m_tape.Complete() ? m_tape.checksumAt : m_file.size();
        std::size_t p = kLevel1MemoryOffset;
        if (p < textEnd && Has(p, 2)) {
            p = ReadLine(p, textEnd);
        } else {
            m_tape.firstNumberCut = true;
            Damage(p, "the program ends before its first line number");
        }
        while (p < textEnd) {
            if (!Has(p, 2)) {
                m_tape.numberCut = true;
                Damage(p, "the program ends where a line number belongs");
                return;
            }
            p = ReadLine(p, textEnd);
        }
    }

    // Reads the line at `p`; returns where the next one begins.
    std::size_t ReadLine(std::size_t p, std::size_t textEnd) {
        Level1Line& line = m_tape.lines.emplace_back();
        line.offset = p;
        line.number = static_cast<std::uint16_t>(m_file[p] | m_file[p + 1] << 8);
        const std::size_t count = m_tape.lines.size();
        if (count > 1 && line.number <= m_tape.lines[count - 2].number)
            Damage(p, "the line number is not above the one before");
        line.text = p += 2;
        for (; p < textEnd && m_file[p] != kLevel1LineEnd; ++p)
            if (!IsLevel1Plain(m_file[p])) Damage(p, "a character Level 1 does not have");
        line.textEnd = p;
        line.terminated = p < textEnd;
        if (!line.terminated) Damage(p, "the line has no end");
        return line.terminated ? p + 1 : p;
    }

    ByteView m_file;
    Level1Tape m_tape;
};

} // namespace

Level1Tape ParseLevel1(ByteView file, Level1Kind kind) {
    return Level1Parser(file, kind).Parse();
}

Level1Kind ClassifyLevel1(ByteView file) {
    if (file.size() < kLevel1MemoryOffset) return Level1Kind::None;
    const unsigned start = file[0] << 8 | file[1];
    const unsigned stop = file[2] << 8 | file[3];
    // Any entry address: the decoder judges it by where it lies in memory.
    if (start == kLevel1EntrySlot && stop > kLevel1Program && file.size() >= kLevel1CodeOffset)
        return Level1Kind::MachineCode;
    if (start == kLevel1Program && stop > kLevel1Program) return Level1Kind::Basic;
    if (start == kLevel1Program && stop == kLevel1Program) return Level1Kind::EmptyCsave;
    return Level1Kind::None;
}

Bytes Level1File(std::uint16_t start, ByteView memory) {
    const auto stop = static_cast<std::uint16_t>(start + memory.size());
    Bytes file{static_cast<Byte>(start >> 8), static_cast<Byte>(start),
               static_cast<Byte>(stop >> 8), static_cast<Byte>(stop)};
    file.insert(file.end(), memory.begin(), memory.end());
    file.push_back(Level1Checksum(memory));
    return file;
}

Outcome<Bytes> Level1CodeFile(ByteView code, std::uint16_t load, std::uint16_t entry) {
    if (load < 2)
        return Failure{"the code must load at 0002h or above: the entry address sits "
                       "in the two bytes below it"};
    if (load + code.size() > kLevel1MemorySize)
        return FailAtOffset(kLevel1MemorySize - load, "the code does not fit below 10000h");
    Bytes memory;
    PushLe16(memory, entry);
    memory.insert(memory.end(), code.begin(), code.end());
    return Level1File(static_cast<std::uint16_t>(load - 2), memory);
}

} // namespace tonvale
