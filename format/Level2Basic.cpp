#include "format/Level2Basic.h"

namespace tonvale {

Bytes Level2BasicFile(Byte name, const std::vector<Level2Line>& lines, std::uint16_t load) {
    Bytes out{kLevel2BasicMarker, kLevel2BasicMarker, kLevel2BasicMarker, name};
    std::uint32_t address = load;
    for (const Level2Line& line : lines) {
        address += static_cast<std::uint32_t>(kLevel2LineOverhead + line.text.size());
        PushLe16(out, static_cast<std::uint16_t>(address));
        PushLe16(out, line.number);
        out.insert(out.end(), line.text.begin(), line.text.end());
        out.push_back(kLevel2LineEnd);
    }
    out.insert(out.end(), 2, kLevel2LineEnd);
    return out;
}

} // namespace tonvale
