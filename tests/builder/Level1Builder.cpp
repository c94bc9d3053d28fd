#include "builder/Level1Builder.h"

#include <algorithm>

namespace tonvale::test {

namespace {

constexpr Byte kLineEnd = 0x0D;
constexpr std::size_t kAddressSpace = 0x10000;

void PushBigEndian(Bytes& bytes, std::uint16_t value) {
    bytes.push_back(static_cast<Byte>(value >> 8));
    bytes.push_back(static_cast<Byte>(value));
}

void PushLittleEndian(Bytes& bytes, std::uint16_t value) {
    bytes.push_back(static_cast<Byte>(value));
    bytes.push_back(static_cast<Byte>(value >> 8));
}

} // namespace

template <typename Self>
Bytes Level1File<Self>::Finish(std::uint16_t start, ByteView memory) const {
    Bytes file;
    PushBigEndian(file, start);
    // The address behind the last byte; 64 KB from 4200h come round to 4200h again.
    PushBigEndian(file, m_stop.value_or(static_cast<std::uint16_t>(start + memory.size())));
    file.insert(file.end(), memory.begin(), memory.end());
    Byte sum = 0;
    for (Byte b : memory)
        sum = static_cast<Byte>(sum + b);
    file.push_back(m_checksum.value_or(static_cast<Byte>(-sum + m_checksumDelta)));
    file.resize(file.size() - std::min(m_dropLast, file.size()));
    if (m_cutTo) file.resize(std::min(*m_cutTo, file.size()));
    return file;
}

template class Level1File<Level1Basic>;
template class Level1File<Level1MachineCode>;
template class Level1File<Level1EmptyCsave>;

Level1Basic& Level1Basic::LineWithoutEnd(std::uint16_t number, std::string_view text) {
    PushLittleEndian(m_program, number);
    m_program.insert(m_program.end(), text.begin(), text.end());
    return *this;
}

Level1Basic& Level1Basic::Line(std::uint16_t number, std::string_view text) {
    LineWithoutEnd(number, text);
    m_program.push_back(kLineEnd);
    return *this;
}

Bytes Level1MachineCode::Build() const {
    Bytes memory;
    PushLittleEndian(memory, m_entry);
    memory.insert(memory.end(), m_code.begin(), m_code.end());
    return Finish(kStart, memory);
}

Level1EmptyCsave::Level1EmptyCsave() : m_memory(kAddressSpace, 0x00) {}

Level1EmptyCsave& Level1EmptyCsave::Memory(std::uint16_t address, ByteView bytes) {
    for (Byte b : bytes)
        m_memory[address++] = b;
    return *this;
}

Bytes Level1EmptyCsave::Build() const {
    // Tape order: from the start address up to the top of memory, then round from 0000h.
    Bytes tapeOrder(m_memory.begin() + kStart, m_memory.end());
    tapeOrder.insert(tapeOrder.end(), m_memory.begin(), m_memory.begin() + kStart);
    return Finish(kStart, tapeOrder);
}

Bytes MadeUpRom() {
    Bytes rom(Level1EmptyCsave::kRomSize);
    for (std::size_t i = 0; i < rom.size(); ++i)
        rom[i] = static_cast<Byte>(i * 7 + (i >> 8));
    return rom;
}

} // namespace tonvale::test
