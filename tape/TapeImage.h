#pragma once
// Reading a tape image file whole. A .cas image is a headerless bit stream, so any file is
// one; only its size and whether it can be read decide.
#include "base/Bytes.h"

#include <cstdint>
#include <limits>
#include <string>

namespace tonvale {

// The analysis counts a tape file's bytes in 32 bits.
inline constexpr std::uint64_t kMaxImageSize = 0xFFFFFFFFu;

#if defined(_WIN32)
// A Windows path buffer holds 259 characters and its terminator; longer paths are treated as
// not found.
inline constexpr std::size_t kMaxPath = 259;
#else
// No limit of the program's own: the system refuses what it cannot open, like any other path.
inline constexpr std::size_t kMaxPath = std::numeric_limits<std::size_t>::max();
#endif

enum class TapeReadOutcome {
    Read,
    NotOpened, // missing, not a regular file, not readable, or a path too long
    TooLarge,  // beyond kMaxImageSize
    NoMemory,
    ReadFailed, // fewer bytes than the file's size could be read
};

struct TapeImageFile {
    TapeReadOutcome outcome = TapeReadOutcome::NotOpened;
    std::uint64_t size = 0; // known from TooLarge on
    Bytes bytes;            // the whole file when Read
};

// `path` is UTF-8.
TapeImageFile ReadTapeImage(const std::string& path);

} // namespace tonvale
