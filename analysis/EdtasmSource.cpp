// Listing an EDTASM assembler source as the Editor/Assembler writes it to tape.
//
// On tape: D3h, a six-byte name padded with spaces, then the lines, then 1Ah. A line is five
// decimal digits with bit 7 set (B0h-B9h), a space, the text (20h-7Eh and tabs) and 0Dh.
#include "analysis/Decoders.h"
#include "analysis/TapeBytes.h"

namespace tonvale {

namespace {

constexpr std::size_t kNameOffset = 1; // behind the D3h
constexpr std::size_t kNameLength = 6;
constexpr std::size_t kDigits = 5;
constexpr Byte kEndOfSource = 0x1A;
constexpr Byte kLineEnd = 0x0D;
constexpr Byte kTab = 0x09;
constexpr Byte kSeparator = 0x20;
constexpr Byte kDigitBit = 0x80;
constexpr std::size_t kTabWidth = 8;

// Plain ASCII ranges: the bytes are the TRS-80's, not the locale's.
bool IsLetterOrDigit(Byte b) {
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9');
}
bool IsLineNumberDigit(Byte b) {
    return b >= (kDigitBit | '0') && b <= (kDigitBit | '9');
}
bool IsPrintable(Byte b) {
    return b >= 0x20 && b <= 0x7E;
}

} // namespace

std::size_t ListEdtasmSource(ReportWriter& out, ByteView file) {
    TextBuffer text;
    const TapeBytes t(file);
    bool odd = false; // something EDTASM does not write
    bool notSequential = false;
    bool truncated = false;
    long previous = -1;

    // The name, shown without its padding.
    text.Format("%s EDTASM named '",
                out.Format() == TapeFormat::Highspeed ? "Highspeed" : "Level 2");
    for (std::size_t i = kNameOffset; i < kNameOffset + kNameLength && t.Has(i, 1); ++i) {
        const Byte b = t[i];
        if (IsLetterOrDigit(b))
            text.AppendByte(b);
        else if (b != ' ')
            odd = true;
    }
    text.Append("'");
    out.Describe(text);

    const std::size_t nameEnd = std::min(kNameOffset + kNameLength, t.Size());
    if (nameEnd > kNameOffset)
        out.File().name = Bytes(file.begin() + kNameOffset, file.begin() + nameEnd);

    std::size_t p = kNameOffset + kNameLength;
    std::size_t resume = t.Size(); // where the loader goes on
    text.Clear();
    // Cut within the name: the file is not all there, whatever its lines would have said.
    if (t.Size() < p) truncated = true;

    while (!truncated && t.Has(p, 1)) {
        if (t[p] == kEndOfSource) {
            resume = p + 1;
            break;
        }

        // The line number: five digits with bit 7 set, shown without it.
        const std::size_t lineStart = p;
        text.Clear();
        out.BeginListingLine(lineStart);
        long number = 0;
        for (; p < lineStart + kDigits && t.Has(p, 1); ++p) {
            const Byte b = t[p];
            // A digit byte 80h becomes 00h, which ends the text as it stands.
            text.AppendByte(static_cast<Byte>(b & ~kDigitBit));
            odd = odd || !IsLineNumberDigit(b);
            number = number * 10 + (b & 0x0F);
        }
        // Cut within the number or before its space: the loader looks at these bytes again.
        if (!t.Has(lineStart, kDigits)) {
            truncated = true;
            resume = lineStart;
            break;
        }
        if (number <= previous) notSequential = true;
        previous = number;
        if (!t.Has(p, 1)) {
            truncated = true;
            resume = lineStart;
            break;
        }

        if (t[p] == kSeparator)
            text.AppendByte(' ');
        else
            odd = true;
        ++p;

        std::size_t column = 0;
        for (; t.Has(p, 1) && t[p] != kLineEnd; ++p) {
            const Byte b = t[p];
            if (b == kTab) {
                text.Append(std::string_view("        ", kTabWidth - column));
                column = 0;
            } else if (IsPrintable(b)) {
                text.AppendByte(b);
                column = (column + 1) % kTabWidth;
                // One piece per character: a line that grows long only by its last tab stays whole.
                if (text.Length() > kListingWidth) {
                    out.AddReportLine(text.View().first(kListingWidth), kTagContinued);
                    text.DropFront(kListingWidth);
                }
            } else {
                odd = true;
            }
        }
        if (!t.Has(p, 1)) {
            truncated = true;
            resume = t.Size();
            break;
        }
        out.AddReportLine(text);
        out.EndListingLine(p + 1);
        ++p; // the 0Dh
        resume = p;
    }

    if (truncated) {
        if (!text.Empty()) out.AddReportLine(text);
        // A line cut short is listed as far as it goes.
        if (!out.File().listing.empty() && out.File().listing.back().count == 0)
            out.EndListingLine(t.Size());
        out.AddReportLine("truncated");
    }
    if (notSequential) out.AddReportLine("line numbers are not sequential");
    out.AppendVerdict(odd || notSequential || truncated, false);
    return resume;
}

} // namespace tonvale
