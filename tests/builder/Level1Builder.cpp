#include "builder/Level1Builder.h"

namespace tonvale::test {

namespace {

constexpr Byte kLineEnd = 0x0D;
constexpr std::size_t kAddressSpace = 0x10000;

void PushLittleEndian(Bytes& bytes, std::uint16_t value) {
    bytes.push_back(static_cast<Byte>(value));
    bytes.push_back(static_cast<Byte>(value >> 8));
}

// The whole tape file for a memory image that begins at `start`.
Bytes Level1File(std::uint16_t start, ByteView memory) {
    // The stop address is the one behind the last byte; 64 KB from 4200h come round to 4200h.
    const auto stop = static_cast<std::uint16_t>(start + memory.size());
    Bytes file(4 + memory.size() + 1);
    file[0] = static_cast<Byte>(start >> 8);
    file[1] = static_cast<Byte>(start);
    file[2] = static_cast<Byte>(stop >> 8);
    file[3] = static_cast<Byte>(stop);
    Byte sum = 0;
    for (std::size_t i = 0; i < memory.size(); ++i)
        sum = static_cast<Byte>(sum + (file[4 + i] = memory[i]));
    file.back() = static_cast<Byte>(-sum);
    return file;
}

} // namespace

Level1Basic& Level1Basic::Line(std::uint16_t number, std::string_view text) {
    PushLittleEndian(m_program, number);
    m_program.insert(m_program.end(), text.begin(), text.end());
    m_program.push_back(kLineEnd);
    return *this;
}

Bytes Level1Basic::Build() const {
    return Level1File(kStart, m_program);
}

Bytes Level1MachineCode::Build() const {
    Bytes memory;
    PushLittleEndian(memory, kCodeStart);
    memory.insert(memory.end(), m_code.begin(), m_code.end());
    return Level1File(kStart, memory);
}

Level1EmptyCsave::Level1EmptyCsave() : m_memory(kAddressSpace, 0x00) {}

Level1EmptyCsave& Level1EmptyCsave::Rom(ByteView rom) {
    for (std::size_t i = 0; i < rom.size() && i < kRomSize; ++i)
        m_memory[i] = rom[i];
    return *this;
}

Bytes Level1EmptyCsave::Build() const {
    // Tape order: from the start address up to the top of memory, then round from 0000h.
    Bytes tapeOrder(m_memory.begin() + kStart, m_memory.end());
    tapeOrder.insert(tapeOrder.end(), m_memory.begin(), m_memory.begin() + kStart);
    return Level1File(kStart, tapeOrder);
}

Bytes MadeUpRom() {
    Bytes rom(Level1EmptyCsave::kRomSize);
    for (std::size_t i = 0; i < rom.size(); ++i)
        rom[i] = static_cast<Byte>(i * 7 + (i >> 8));
    return rom;
}

} // namespace tonvale::test
