#include "analysis/TapeFileBytes.h"

namespace tonvale {

std::optional<ByteView> TapeFileBytes::Of(std::size_t index) {
    const std::optional<ByteView> read = Read(index);
    if (!read) return std::nullopt;
    return Cut(index, *read);
}

std::optional<ByteView> TapeFileBytes::Read(std::size_t index) {
    const TapeFileReport& file = m_report.files.at(index);
    if (!file.synced) return std::nullopt;
    std::uint64_t asked = 0;
    std::optional<ByteView> rest;
    const std::size_t offset = static_cast<std::size_t>(file.offset);
    if (file.format == TapeFormat::Highspeed) {
        HighspeedTail tail;
        rest = m_buffers.Highspeed(offset, file.shift, tail, asked);
    } else {
        rest = m_buffers.Level(offset, file.shift, asked);
    }
    return rest;
}

ByteView TapeFileBytes::Cut(std::size_t index, ByteView read) const {
    const TapeFileReport& file = m_report.files.at(index);
    const bool remainderBehind =
        index + 1 < m_report.files.size() && !m_report.files[index + 1].synced;
    if (remainderBehind || file.length > read.size()) return read;
    return read.first(static_cast<std::size_t>(file.length));
}

} // namespace tonvale
