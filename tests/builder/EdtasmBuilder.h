#pragma once
// EDTASM source tape files as the Editor/Assembler writes them, the bytes that follow the sync
// byte: D3h, the name padded with spaces to six bytes, the lines, and 1Ah at the end.
//
//     Bytes source = EdtasmSource("ASM").Line(10, "\tLD\tA,B").Line(20, "\tRET").Build();
#include "base/Bytes.h"

#include <string_view>

namespace tonvale::test {

class EdtasmSource {
  public:
    static constexpr Byte kSeparator = 0x20;

    // The name is padded with spaces, or cut, to six bytes.
    explicit EdtasmSource(std::string_view name);

    // A line as EDTASM writes it: the number as five digits with bit 7 set (B0h-B9h), a space,
    // the text, 0Dh.
    EdtasmSource& Line(unsigned number, std::string_view text);
    // A line with the five line-number bytes as given and its own separator.
    EdtasmSource& Line(ByteView digits, std::string_view text, Byte separator = kSeparator);
    // Without the 1Ah end marker.
    EdtasmSource& NoEnd() {
        m_end = false;
        return *this;
    }
    // The recording ends after `length` bytes.
    EdtasmSource& CutTo(std::size_t length) {
        m_cutTo = length;
        return *this;
    }

    // Where the next line will begin.
    std::size_t Size() const { return m_bytes.size(); }
    Bytes Build() const;

    // The five line-number bytes EDTASM writes for a number.
    static Bytes Digits(unsigned number);

  private:
    Bytes m_bytes;
    bool m_end = true;
    std::size_t m_cutTo = static_cast<std::size_t>(-1);
};

} // namespace tonvale::test
