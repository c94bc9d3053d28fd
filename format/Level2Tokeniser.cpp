#include "format/Level2Tokeniser.h"

#include "format/Level2Keywords.h"

namespace tonvale {

namespace {

constexpr Byte kColon = ':';
constexpr Byte kQuote = '"';
constexpr Byte kTokenData = 0x88;
constexpr Byte kTokenPrint = 0xB2;

Byte Upper(Byte c) {
    return c >= 'a' && c <= 'z' ? static_cast<Byte>(c - 'a' + 'A') : c;
}

bool StartsWithKeyword(std::string_view text, std::string_view keyword) {
    if (text.size() < keyword.size()) return false;
    for (std::size_t i = 0; i < keyword.size(); ++i)
        if (Upper(static_cast<Byte>(text[i])) != static_cast<Byte>(keyword[i])) return false;
    return true;
}

// The token of the longest keyword at the start of `text` and its length; token 0 when none.
Byte LongestKeyword(std::string_view text, std::size_t& length) {
    Byte best = 0;
    length = 0;
    for (unsigned token = kFirstLevel2Token; token < kFirstUnusedToken; ++token) {
        const std::string_view keyword = Level2Keyword(static_cast<Byte>(token));
        if (keyword.size() > length && StartsWithKeyword(text, keyword)) {
            best = static_cast<Byte>(token);
            length = keyword.size();
        }
    }
    return best;
}

void PushToken(Bytes& out, Byte token) {
    if (token == kTokenElse) out.push_back(kColon);
    if (token == kTokenApostrophe) out.insert(out.end(), {kColon, kTokenRem});
    out.push_back(token);
}

} // namespace

Bytes TokeniseLevel2Line(std::string_view text) {
    Bytes out;
    bool inString = false, inData = false;
    std::size_t i = 0;
    while (i < text.size()) {
        const Byte c = static_cast<Byte>(text[i]);
        if (inString || c == kQuote) {
            if (c == kQuote) inString = !inString;
            out.push_back(c);
            ++i;
            continue;
        }
        if (inData) {
            inData = c != kColon;
            out.push_back(c);
            ++i;
            continue;
        }
        std::size_t length = 1;
        const Byte token = c == '?' ? kTokenPrint : LongestKeyword(text.substr(i), length);
        if (token == 0) {
            out.push_back(Upper(c));
            ++i;
            continue;
        }
        PushToken(out, token);
        i += length;
        if (token == kTokenRem || token == kTokenApostrophe) {
            out.insert(out.end(), text.begin() + static_cast<std::ptrdiff_t>(i), text.end());
            break;
        }
        inData = token == kTokenData;
    }
    return out;
}

} // namespace tonvale
