#pragma once
// Standard output and error, with the bytes of a hostile tape made harmless on a terminal.
#include "base/Bytes.h"

#include <string_view>

namespace tonvale::cli {

void WriteOut(ByteView bytes);
void WriteErr(ByteView bytes);
void WriteErrLine(std::string_view text);
bool StdinIsTerminal();
bool StderrIsTerminal();

// Standard output for a text written in pieces, gathered so that the pieces cost few writes.
// On a terminal it is escaped as if it came whole: a CR that ends one piece and the LF that
// begins the next are still a line end.
class OutStream {
  public:
    OutStream() = default;
    OutStream(const OutStream&) = delete;
    OutStream& operator=(const OutStream&) = delete;
    ~OutStream() { Flush(); }

    void Write(ByteView bytes);
    void Write(std::string_view text) {
        Write(ByteView(reinterpret_cast<const Byte*>(text.data()), text.size()));
    }
    void Flush();

  private:
    static constexpr std::size_t kGather = std::size_t{64} << 10;
    Bytes m_pending;
};

} // namespace tonvale::cli
