#pragma once
// The keywords of Level 2 BASIC as a program stores them: every byte from 80h up is a token
// that stands for one keyword. The listing spells tokens out with this table; the tests'
// program builder tokenises readable lines with the same table.
#include "base/Bytes.h"

#include <array>
#include <string_view>

namespace tonvale {

inline constexpr Byte kFirstLevel2Token = 0x80;

// Tokens that are stored with a colon in front and listed without it.
inline constexpr Byte kTokenRem = 0x93;
inline constexpr Byte kTokenElse = 0x95;
inline constexpr Byte kTokenApostrophe = 0xFB; // stored as colon, REM, apostrophe
// FCh to FFh are not keywords; the listing shows them as their value in angle brackets.
inline constexpr Byte kFirstUnusedToken = 0xFC;

// The text of each token from 80h to FFh, in token order.
extern const std::array<std::string_view, 128> kLevel2Keywords;

inline std::string_view Level2Keyword(Byte token) {
    return kLevel2Keywords[static_cast<Byte>(token - kFirstLevel2Token)];
}

} // namespace tonvale
