#pragma once
// The scratch text in which every title, message, status text and report line is composed.
// It holds at most 359 characters: whatever would go beyond is dropped. A NUL byte ends the
// text, as it would end a C string; nothing appended after it shows until the text is cleared.
#include "base/Bytes.h"

#include <fmt/core.h>

#include <array>
#include <concepts>
#include <string_view>
#include <type_traits>

namespace tonvale {

// A {fmt} format string checked when compiling: each argument's type against its field, and,
// beyond what {fmt} checks, one field for each argument, so that no argument is left unshown
// (a printf-style "%d" left in the text would be).
template <class... Args> class CheckedFormat {
  public:
    template <class Text>
    requires std::convertible_to<const Text&, std::string_view>
    consteval CheckedFormat(const Text& text) : m_format(text) {
        if (CountFields(text) != sizeof...(Args)) throw "one {} field for each argument";
    }
    fmt::format_string<Args...> Get() const { return m_format; }

  private:
    static consteval std::size_t CountFields(std::string_view text) {
        std::size_t fields = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] != '{') continue;
            if (i + 1 < text.size() && text[i + 1] == '{')
                ++i; // "{{" is a brace of the text
            else
                ++fields; // a field, or a width or precision taken from an argument
        }
        return fields;
    }

    fmt::format_string<Args...> m_format;
};
template <class... Args> using TextFormat = CheckedFormat<std::type_identity_t<Args>...>;

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
    // {fmt} formatting, bounded like every other append; the format string is checked
    // against the arguments when compiling.
    template <class... Args> void AppendFormat(TextFormat<Args...> format, Args&&... args) {
        AppendFormatted(format.Get(), fmt::make_format_args(args...));
    }
    template <class... Args> void Format(TextFormat<Args...> format, Args&&... args) {
        Clear();
        AppendFormatted(format.Get(), fmt::make_format_args(args...));
    }

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
    void AppendFormatted(fmt::string_view format, fmt::format_args args);

    std::array<Byte, kCapacity> m_buffer{};
    std::size_t m_length = 0;
    bool m_ended = false;
};

} // namespace tonvale
