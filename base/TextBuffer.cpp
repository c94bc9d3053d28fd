#include "base/TextBuffer.h"

#include <algorithm>
#include <cstring>

namespace tonvale {

void TextBuffer::AppendFormatted(fmt::string_view format, fmt::format_args args) {
    // One formatted piece never needs more than the buffer itself; the rest is dropped anyway.
    std::array<char, kCapacity> piece;
    const auto end = fmt::vformat_to_n(piece.begin(), piece.size(), format, args);
    // A NUL character ends the text there, as it ended the C string (AppendByte).
    Append(std::string_view(piece.data(), std::min(end.size, piece.size())));
}

void TextBuffer::DropFront(std::size_t n) {
    n = std::min(n, m_length);
    std::memmove(m_buffer.data(), m_buffer.data() + n, m_length - n);
    m_length -= n;
}

} // namespace tonvale
