#pragma once
// A program's listing as the report shows it, the pieces of a long line joined, from what the
// format's parser read: one program line a line, LF ends. For the files extract writes.
#include "base/Bytes.h"

#include <cstddef>

namespace tonvale {

struct ListingText {
    Bytes text;
    std::size_t lines = 0; // program lines listed
};

// Level 2 and Highspeed BASIC: keywords spelled out, bytes 80h-FFh inside strings kept as they
// are, a line the report breaks at a control byte joined again without it.
ListingText Level2Listing(ByteView file);

// Level 1 BASIC, without the space LIST puts in front of a line.
ListingText Level1Listing(ByteView file);

// An EDTASM source: line numbers, tabs expanded.
ListingText EdtasmListing(ByteView file);

} // namespace tonvale
