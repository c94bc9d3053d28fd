#include "cli/TerminalText.h"

namespace tonvale::cli {

namespace {

// Below 20h, 7Fh, and the C1 controls 80h-9Fh, which some terminals take as CSI and friends.
bool IsControl(Byte b) {
    return b < 0x20 || b == 0x7F || (b >= 0x80 && b <= 0x9F);
}

} // namespace

Bytes EscapeForTerminal(ByteView bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    Bytes out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const Byte b = bytes[i];
        const bool lineEnd =
            b == '\n' || (b == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n');
        if (!IsControl(b) || lineEnd) {
            out.push_back(b);
            continue;
        }
        out.insert(out.end(),
                   {'\\', 'x', static_cast<Byte>(kHex[b >> 4]), static_cast<Byte>(kHex[b & 15])});
    }
    return out;
}

} // namespace tonvale::cli
