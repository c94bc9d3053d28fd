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
    // The name is padded with spaces, or cut, to six bytes.
    explicit EdtasmSource(std::string_view name);

    // A line as EDTASM writes it: the number as five digits with bit 7 set (B0h-B9h), a space,
    // the text, 0Dh.
    EdtasmSource& Line(unsigned number, std::string_view text);

    Bytes Build() const;

  private:
    Bytes m_bytes;
};

} // namespace tonvale::test
