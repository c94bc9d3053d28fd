#pragma once
// Mending tape files with what their formats know: a SYSTEM block's or a Level 1 tape file's
// checksum, a Level 2 BASIC program's chain of lines, and the other copies of a program that
// was recorded twice or three times. A byte is changed only when the evidence says so; one that
// stays unsure is kept and listed as doubtful.
#include "rescue/DecodedFile.h"
#include "rescue/Rescue.h"

#include <vector>

namespace tonvale {

// One tape file while it is mended.
struct MendWork {
    std::vector<DecodedByte> bytes;
    std::vector<bool> vouched; // a checksum that holds, or agreeing copies, stand for the byte
    std::vector<MendedByte> mended;
    std::optional<std::size_t> copyOf;
    std::uint64_t heard = 0;
};

// Flips the least sure bits of each SYSTEM block, or Level 1 tape file, whose checksum fails,
// when exactly one such flip (or, failing that, one pair) makes it hold; vouches for the bytes
// of every block that holds.
void MendByChecksums(MendWork& file, double rate);

// Finds the copies among the tape files and votes byte by byte between them: a byte that a
// checksum vouches for wins, then the value with the most confidence behind it. Every copy
// gets the result.
void MendByCopies(std::vector<MendWork>& files, const std::vector<TapeFormat>& formats,
                  double rate);

// Where a Level 2 BASIC line's next pointer or number breaks the chain, flips the one doubtful
// bit of its pointer or number, or of the line's in front, that mends the chain, if exactly one
// does; line by line.
void MendBasicChain(MendWork& file, double rate);

// The Level 2 BASIC line whose next pointer or number breaks the chain, if any: its offset.
std::optional<std::uint64_t> FirstBadBasicLine(const std::vector<DecodedByte>& bytes);

} // namespace tonvale
