#include "writer/LoadModuleReader.h"

#include <fmt/core.h>

namespace tonvale {

namespace {

constexpr Byte kModuleName = 0x05;
constexpr Byte kCopyright = 0x1F;

std::string Hex2(unsigned value) {
    return fmt::format("{:02X}h", value & 0xFFu);
}

std::string RecordName(Byte type) {
    const std::string name = "record type " + Hex2(type);
    if (type == kModuleName) return name + " (module name)";
    if (type == kCopyright) return name + " (copyright)";
    return name;
}

// A load record's length counts its address and data; 0, 1 and 2 stand for 256 to 258. Any
// other record's length 0 stands for 256.
std::size_t RecordLength(Byte type, Byte stored) {
    if (type == kLoadRecord && stored < 3) return stored + 256u;
    return stored == 0 ? 256 : stored;
}

} // namespace

Outcome<MachineCode> ReadLoadModule(ByteView module) {
    MachineCode code;
    std::size_t at = 0;
    bool transfer = false;
    while (at < module.size() && !transfer) {
        const Byte type = module[at];
        if (at + 1 >= module.size())
            return FailAtOffset(at, RecordName(type) + " has no length byte");
        const std::size_t length = RecordLength(type, module[at + 1]);
        const std::size_t body = at + 2;
        if (body + length > module.size())
            return FailAtOffset(at, RecordName(type) + " of " + std::to_string(length) +
                                        " bytes runs past the end of the file");
        const ByteView bytes = module.subspan(body, length);
        if (type == kLoadRecord || type == kTransferRecord) {
            if (length < 2) return FailAtOffset(at, RecordName(type) + " without an address");
            const auto address = static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
            if (type == kTransferRecord) {
                code.entry = address;
                transfer = true;
            } else if (!code.Add(address, bytes.subspan(2))) {
                return FailAtOffset(at, "the load record runs past FFFFh");
            }
        } else {
            std::string note = "offset " + std::to_string(at) + ": " + RecordName(type);
            if (type == kModuleName || type == kCopyright) {
                std::string text(AsChars(bytes));
                for (char& c : text)
                    if (c < 0x20 || c > 0x7E) c = '.'; // a note is no place for control bytes
                note += " '" + text + "'";
            }
            code.notes.push_back(note + " skipped");
        }
        at = body + length;
    }
    if (code.pieces.empty()) return FailAtOffset(at, "no load record: not a load module");
    if (!transfer) code.notes.push_back("no transfer record: the module has no entry address");
    if (at < module.size())
        code.notes.push_back(std::to_string(module.size() - at) +
                             " bytes behind the transfer record ignored");
    return code;
}

} // namespace tonvale
