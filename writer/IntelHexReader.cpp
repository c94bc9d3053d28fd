#include "writer/IntelHexReader.h"

#include "writer/TextLines.h"

namespace tonvale {

namespace {

constexpr Byte kData = 0x00;
constexpr Byte kEnd = 0x01;
constexpr Byte kExtendedSegment = 0x02;
constexpr Byte kStartSegment = 0x03;
constexpr Byte kExtendedLinear = 0x04;
constexpr Byte kStartLinear = 0x05;
constexpr std::size_t kFrame = 5; // length, address, type, checksum
constexpr std::uint32_t kAddressSpace = 0x10000;

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The bytes of a record's hex digits; none when a digit is wrong or one is left over.
std::optional<Bytes> HexBytes(std::string_view digits) {
    if (digits.size() % 2 != 0) return std::nullopt;
    Bytes bytes;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        const int high = HexDigit(digits[i]), low = HexDigit(digits[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<Byte>(high << 4 | low));
    }
    return bytes;
}

std::uint32_t Be(ByteView bytes) {
    std::uint32_t value = 0;
    for (Byte b : bytes)
        value = value << 8 | b;
    return value;
}

} // namespace

Outcome<MachineCode> ReadIntelHex(std::string_view text) {
    MachineCode code;
    bool ended = false;
    for (const TextLine& line : SplitLines(text)) {
        if (ended) break;
        const std::string_view record = line.text.substr(0, line.text.find_last_not_of(" \t") + 1);
        if (IsBlank(record)) continue;
        if (record.front() != ':') return FailAtLine(line.number, "not a record: no ':' in front");
        const auto bytes = HexBytes(record.substr(1));
        if (!bytes || bytes->size() < kFrame || bytes->size() != kFrame + (*bytes)[0])
            return FailAtLine(line.number, "not a record: wrong hex digits or length");
        if (ByteSum(*bytes) != 0) return FailAtLine(line.number, "checksum error");
        const ByteView data = ByteView(*bytes).subspan(4, (*bytes)[0]);
        const std::uint32_t address = Be(ByteView(*bytes).subspan(1, 2));
        switch ((*bytes)[3]) {
        case kData:
            if (!code.Add(address, data)) return FailAtLine(line.number, "data runs past FFFFh");
            break;
        case kEnd:
            if (address != 0) code.entry = static_cast<std::uint16_t>(address);
            ended = true;
            break;
        case kExtendedSegment:
        case kExtendedLinear:
            if (Be(data) != 0)
                return FailAtLine(line.number, "an extended address: beyond the 64 KB of a TRS-80");
            break;
        case kStartSegment:
        case kStartLinear: {
            const std::uint32_t start = data.size() == 4 && (*bytes)[3] == kStartSegment
                                            ? Be(data.first(2)) * 16 + Be(data.subspan(2))
                                            : Be(data);
            if (start >= kAddressSpace)
                return FailAtLine(line.number, "a start address beyond FFFFh");
            code.entry = static_cast<std::uint16_t>(start);
            break;
        }
        default:
            return FailAtLine(line.number, "an unknown record type");
        }
    }
    if (code.pieces.empty()) return Failure{"no data records"};
    if (!ended) code.notes.push_back("no end record: the file may be cut short");
    return code;
}

} // namespace tonvale
