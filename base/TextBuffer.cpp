#include "base/TextBuffer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace tonvale {

void TextBuffer::AppendFormatV(const char* format, va_list args) {
    // One formatted piece never needs more than the buffer itself; the rest is dropped anyway.
    char piece[kCapacity + 1];
    int n = std::vsnprintf(piece, sizeof piece, format, args);
    if (n < 0) return;
    // A %c with a NUL argument ends the text there, as it ended the C string (AppendByte).
    std::size_t len = std::min<std::size_t>(static_cast<std::size_t>(n), kCapacity);
    Append(std::string_view(piece, len));
}

void TextBuffer::AppendFormat(const char* format, ...) {
    va_list args;
    va_start(args, format);
    AppendFormatV(format, args);
    va_end(args);
}

void TextBuffer::Format(const char* format, ...) {
    Clear();
    va_list args;
    va_start(args, format);
    AppendFormatV(format, args);
    va_end(args);
}

void TextBuffer::DropFront(std::size_t n) {
    n = std::min(n, m_length);
    std::memmove(m_buffer.data(), m_buffer.data() + n, m_length - n);
    m_length -= n;
}

} // namespace tonvale
