#pragma once
// The scratch text in which every title, message, status text and report line is composed.
// It holds at most 359 characters: whatever would go beyond is dropped. A NUL byte ends the
// text, as it would end a C string; nothing appended after it shows until the text is cleared.
#include "base/Bytes.h"

#include <array>
#include <cstdarg>
#include <string_view>

#if defined(__MINGW32__)
// MinGW's "printf" is the Microsoft one; the build uses its C99 one (__USE_MINGW_ANSI_STDIO).
#define TONVALE_PRINTF(fmt, args) __attribute__((format(gnu_printf, fmt, args)))
#elif defined(__GNUC__) || defined(__clang__)
#define TONVALE_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define TONVALE_PRINTF(fmt, args)
#endif

namespace tonvale {

class TextBuffer {
  public:
    static constexpr std::size_t kCapacity = 359;

    void Clear() {
        m_length = 0;
        m_ended = false;
    }
    void Set(ByteView text) {
        Clear();
        Append(text);
    }
    void Set(std::string_view text) {
        Clear();
        Append(text);
    }

    void Append(ByteView text) {
        for (Byte b : text)
            AppendByte(b);
    }
    void Append(std::string_view text) {
        for (char c : text)
            AppendByte(static_cast<Byte>(c));
    }
    void AppendByte(Byte b) {
        if (m_ended) return;
        if (b == 0) {
            m_ended = true;
            return;
        }
        if (m_length < kCapacity) m_buffer[m_length++] = b;
    }
    // printf-style formatting, bounded like every other append.
    void AppendFormat(const char* format, ...) TONVALE_PRINTF(2, 3);
    void Format(const char* format, ...) TONVALE_PRINTF(2, 3);

    // Keeps the first n characters (n at most the length).
    void Truncate(std::size_t n) {
        if (n < m_length) m_length = n;
    }
    // Drops the first n characters and keeps the rest.
    void DropFront(std::size_t n);

    std::size_t Length() const { return m_length; }
    bool Empty() const { return m_length == 0; }
    ByteView View() const { return {m_buffer.data(), m_length}; }
    Bytes ToBytes() const { return Bytes(m_buffer.begin(), m_buffer.begin() + m_length); }
    std::string_view Chars() const { return AsChars(View()); }
    Byte& operator[](std::size_t i) { return m_buffer[i]; }

  private:
    void AppendFormatV(const char* format, va_list args);

    std::array<Byte, kCapacity> m_buffer{};
    std::size_t m_length = 0;
    bool m_ended = false;
};

} // namespace tonvale
