#include "analysis/ListingText.h"

#include "base/TextBuffer.h"
#include "format/Level1.h"
#include "format/Level2Basic.h"
#include "format/Level2Keywords.h"

#include <algorithm>
#include <string>

namespace tonvale {

namespace {

std::string Hex2(unsigned value) {
    TextBuffer text;
    text.Format("{:02X}", value);
    return std::string(text.Chars());
}

} // namespace

// A Level 2 BASIC program's lines as LIST shows them: keywords spelled out, bytes 80h-FFh in
// strings as they are, control bytes left out.
ListingText Level2Listing(ByteView bytes) {
    ListingText listing;
    Bytes& text = listing.text;
    for (const Level2ProgramLine& line : ParseLevel2Basic(bytes).lines) {
        const std::string number = std::to_string(line.number) + " ";
        text.insert(text.end(), number.begin(), number.end());
        WalkLevel2Text(bytes, line, [&text](const Level2ShownByte& shown) {
            if (shown.value >= kFirstLevel2Token && !shown.inString) {
                const std::string_view keyword = Level2Keyword(shown.value);
                text.insert(text.end(), keyword.begin(), keyword.end());
            } else if (shown.value >= ' ') {
                text.push_back(shown.value);
            }
        });
        text.push_back('\n');
        ++listing.lines;
    }
    return listing;
}

// A Level 1 BASIC program's lines as the report shows them, without the space LIST puts in
// front: a character Level 1 does not have as its value in angle brackets. The report shows
// the first line whole, in its scratch text of 359 characters.
ListingText Level1Listing(ByteView bytes) {
    ListingText listing;
    Bytes& text = listing.text;
    bool first = true;
    for (const Level1Line& line : ParseLevel1(bytes, Level1Kind::Basic).lines) {
        std::string shown = " " + std::to_string(line.number) + " ";
        for (std::size_t p = line.text; p < line.textEnd; ++p)
            shown += IsLevel1Plain(bytes[p]) ? std::string(1, static_cast<char>(bytes[p]))
                                             : "<" + Hex2(bytes[p]) + ">";
        if (first) shown.resize(std::min(shown.size(), TextBuffer::kCapacity));
        first = false;
        text.insert(text.end(), shown.begin() + 1, shown.end());
        text.push_back('\n');
        ++listing.lines;
    }
    return listing;
}

} // namespace tonvale
