#include "cli/Output.h"

#include "cli/TerminalText.h"

#include <cstdio>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace tonvale::cli {

namespace {

bool IsTerminal(std::FILE* stream) {
#if defined(_WIN32)
    // A console: _isatty() takes every character device for one, the NUL device too.
    DWORD mode = 0;
    return GetConsoleMode(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))), &mode) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

void Write(std::FILE* stream, ByteView bytes) {
    if (bytes.empty()) return; // an empty view may have no address, which fwrite must not get
    if (IsTerminal(stream)) {
        const Bytes safe = EscapeForTerminal(bytes);
        std::fwrite(safe.data(), 1, safe.size(), stream);
    } else {
        std::fwrite(bytes.data(), 1, bytes.size(), stream);
    }
}

} // namespace

bool StdinIsTerminal() {
    return IsTerminal(stdin);
}

bool StderrIsTerminal() {
    return IsTerminal(stderr);
}

void WriteOut(ByteView bytes) {
    Write(stdout, bytes);
}

void WriteErr(ByteView bytes) {
    std::fflush(stdout);
    Write(stderr, bytes);
}

void WriteErrLine(std::string_view text) {
    WriteErr(ByteView(reinterpret_cast<const Byte*>(text.data()), text.size()));
    std::fputc('\n', stderr);
}

void OutStream::Write(ByteView bytes) {
    m_pending.insert(m_pending.end(), bytes.begin(), bytes.end());
    if (m_pending.size() < kGather) return;
    // A CR at the end waits: the LF that may follow decides what it is.
    const std::size_t keep = m_pending.back() == '\r' ? 1 : 0;
    WriteOut(ByteView(m_pending).first(m_pending.size() - keep));
    m_pending.erase(m_pending.begin(), m_pending.end() - static_cast<std::ptrdiff_t>(keep));
}

void OutStream::Flush() {
    WriteOut(m_pending);
    m_pending.clear();
    std::fflush(stdout);
}

} // namespace tonvale::cli
