#include "builder/TapeBuilder.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace tonvale::test {

void TapeBuilder::PushBit(bool bit) {
    if (m_bits % 8 == 0) m_bytes.push_back(0);
    if (bit) m_bytes.back() |= static_cast<Byte>(0x80 >> (m_bits % 8));
    ++m_bits;
}

TapeBuilder& TapeBuilder::Bits(std::uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i)
        PushBit(((value >> i) & 1) != 0);
    return *this;
}

TapeBuilder& TapeBuilder::Leader(std::size_t count, std::uint8_t value) {
    for (std::size_t i = 0; i < count; ++i)
        Bits(value, 8);
    return *this;
}

TapeBuilder& TapeBuilder::Sync(std::uint8_t value) {
    return Bits(value, 8);
}

TapeBuilder& TapeBuilder::Data(ByteView data) {
    for (Byte b : data)
        Bits(b, 8);
    return *this;
}

TapeBuilder& TapeBuilder::Data(std::string_view text) {
    return Data(ToBytes(text));
}

TapeBuilder& TapeBuilder::HighspeedData(ByteView data) {
    for (Byte b : data)
        Bits(b, 9); // a 0 start bit, then the byte
    return *this;
}

TapeBuilder& TapeBuilder::Level2File(ByteView data, std::size_t leader) {
    return Leader(leader, 0x00).Sync(0xA5).Data(data);
}

TapeBuilder& TapeBuilder::HighspeedFile(ByteView data, std::size_t leader) {
    return Leader(leader, 0x55).Sync(0x7F).HighspeedData(data);
}

TapeBuilder& TapeBuilder::Noise(std::size_t count, std::uint32_t seed) {
    std::uint32_t x = seed * 2654435761u + 1;
    for (std::size_t i = 0; i < count; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        Bits(x & 0xFF, 8);
    }
    return *this;
}

Bytes TapeBuilder::Build() const {
    return m_bytes;
}

std::string WriteFile(const std::string& path, ByteView bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::string TempDir(std::string_view name) {
    namespace fs = std::filesystem;
    // One tree per process: ctest runs tests side by side.
    fs::path dir = fs::temp_directory_path() / ("tonvale-tests-" + std::to_string(getpid())) /
                   std::string(name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string();
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace tonvale::test
