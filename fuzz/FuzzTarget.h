#pragma once
// Shared by the fuzz targets: the first byte of an input chooses the answers and the font, the
// rest is the tape image.
#include "analysis/AnalyseTape.h"

#include <cstdint>

namespace tonvale::fuzz {

struct Input : LevelQuestion {
    Input(const std::uint8_t* data, std::size_t size)
        : choice(size > 0 ? data[0] : 0),
          image(size > 0 ? data + 1 : data, size > 0 ? size - 1 : 0) {}
    TapeFormat AskLevel() override { return choice & 2 ? TapeFormat::Level1 : TapeFormat::Level2; }
    bool TrsFont() const { return (choice & 1) != 0; }
    // The answer to the sound's format prompt of a mixed tape.
    TapeFormat Format() const {
        const TapeFormat formats[] = {TapeFormat::Level2, TapeFormat::Level1, TapeFormat::Highspeed,
                                      TapeFormat::Level2};
        return formats[(choice >> 2) & 3];
    }
    bool Lnw() const { return (choice & 16) != 0; }

    std::uint8_t choice;
    ByteView image;
};

} // namespace tonvale::fuzz
